#pragma once

#include "cli/CliLoop.h"
#include "cli/Json.h"
#include "cli/Platform.h"
#include "core/protocol/DriveProtocol.h"
#include "core/settings/RT3180Data.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

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
    std::string strCommand;                         // identify, recall, apply, save or test
    std::string strPort;                            // empty: the port the window has stored
    std::string strFile;                            // apply, save
    std::string strResolution, strCurrent, strIdle; // apply without a file: list texts
    bool bTestOn = false;
    bool bVerify = false;
    bool bJson = false;
    bool bQuiet = false;
};

// Runs one command against the drive on the drive link the window uses:
// Connect's query first (the family decides the current list), then the
// command's sequence, waiting for the replies on the main thread.
class CCliSession : private IDriveListener
{
public:
    CCliSession();
    ~CCliSession() override;

    // Prints the outcome (text or JSON) and returns the exit status.
    int Run(const CCliRequest& request);

private:
    enum class EWait { Done, Lost, Stopped };

    // The link's reports.
    void OnTxLamp(bool) override {}
    void OnRxLamp(bool) override {}
    void OnCommandSent(const CSentCommand& sent) override;
    void OnAccepted(EDriveFamily eFamily) override;
    void OnFamily(EDriveFamily eFamily, const std::string& strReply) override;
    void OnRecalled(ESetting eSetting, int nPosition) override;
    void OnLinkLost(ELinkLoss eLoss) override;

    int Execute();
    int Identify();
    int Recall();
    int Apply();
    int Save();
    int Test();

    // The family and the three settings, as Connect's query brings them.
    EWait RecallAll();
    // Serves the link (received bytes, the reply timer) until done, the
    // link is lost or Ctrl-C.
    EWait WaitFor(const std::function<bool()>& done);
    int ResolvePositions(CRT3180Data& positions);
    int NoReply();
    int Fail(int nStatus, const std::string& strText);
    std::string SettingsText(const CRT3180Data& positions) const;
    CJsonObject SettingsJson(const CRT3180Data& positions) const;
    const CDriveFamily& Family() const;

    CCliReceiveQueue m_queue;
    // The port's reader posts to m_queue: the platform goes before it.
    std::unique_ptr<CCliPlatform> m_pPlatform = MakeCliPlatform();
    CCliClock m_clock{m_pPlatform->PreciseClock(), m_queue};
    CCliReplyTimer m_timer;
    CDriveProtocol m_drive{m_clock, m_pPlatform->SerialPort(), m_queue, m_timer, *this};

    CCliRequest m_request;
    CJsonObject m_json;
    std::string m_strPort;
    std::optional<EDriveFamily> m_family; // none until a drive has named its own
    std::string m_strReply;
    CRT3180Data m_recalled = kNoPositions;
    bool m_bLost = false;
    std::function<bool()> m_waitDone; // set while waiting
};
