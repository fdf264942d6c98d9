#pragma once

#include "platform/Clock.h"
#include "protocol/DriveProtocol.h"

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <span>

// How rt3180-cli ends.
enum EExitStatus : int {
    kExitDone = 0,
    kExitRefused = 1, // the drive answered but kept something else
    kExitUsage = 2,
    kExitPortNotOpened = 3,
    kExitNoReply = 4,
    kExitBadFile = 5,
    kExitInterrupted = 130,
};

// One command line's worth of work.
struct CCliRequest {
    QString strCommand;                         // identify, recall, apply, save or test
    QString strPort;                            // empty: the port the window has stored
    QString strFile;                            // apply, save
    QString strResolution, strCurrent, strIdle; // apply without a file: list texts
    bool bTestOn = false;
    bool bVerify = false;
    bool bJson = false;
    bool bQuiet = false;
};

// Runs one command against the drive on the drive link the window uses:
// Connect's query first (the family decides the current list), then the
// command's sequence, waiting for the replies in the event loop.
class CCliSession : public QObject
{
    Q_OBJECT

public:
    CCliSession();
    ~CCliSession() override;

    // Prints the outcome (text or JSON) and returns the exit status.
    int Run(const CCliRequest& request);

    // Set from the SIGINT handler; honoured between commands.
    static void RequestStop();

private:
    enum class EWait { Done, Lost, Stopped };

    int Execute();
    int Identify();
    int Recall();
    int Apply();
    int Save();
    int Test();

    // The family and the three settings, as Connect's query brings them.
    EWait RecallAll();
    EWait WaitFor(const std::function<bool()>& done);
    void RunSequence(std::span<const CCommandStep> steps, const std::function<void()>& run);
    bool Pause(CSteadyClock::time_point deadline);
    int ResolveCodes(CSettingCodes& codes, std::array<int, 3>& positions);
    int NoReply();
    int Fail(int nStatus, const QString& strText);
    QString SettingsText(const std::array<int, 3>& positions) const;
    QJsonObject SettingsJson(const std::array<int, 3>& positions) const;

    CDriveProtocol m_drive;
    CCliRequest m_request;
    QJsonObject m_json;
    QString m_strPort;
    int m_nFamilyFlag = -1;
    QString m_strReply;
    std::array<int, 3> m_recalled{-1, -1, -1}; // resolution, current, idle positions
    bool m_bLost = false;
    std::function<bool()> m_waitDone;
    class QEventLoop* m_pLoop = nullptr;
    // Progress of the running sequence.
    std::span<const CCommandStep> m_steps;
    int m_nStep = -1;
    unsigned m_nPauseLeft = 0;
    CSettingCodes m_codes;
};
