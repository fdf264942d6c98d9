#pragma once

#include "protocol/Commands.h"
#include "serial/SerialPort.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <span>

// Status texts of the drive's sequences, exactly as shown.
inline constexpr const char* kStatusSending = "Sending the New Settings,  wait ...";
inline constexpr const char* kStatusConnectionLost =
    "PKN61/72 & RT3180 SPI Interface Connection Lost!";

// Talking to the drive: the port, the command sequences paced by waits on
// the calling thread (WaitUntil: a window keeps answering the window system
// meanwhile, nothing else), the reply timer, and the reply lines gathered
// from the received bytes and acted on by the reply rules. It knows nothing
// of a window: what one must show is reported through the signals, which
// are delivered at once, before the next wait.
class CDriveProtocol : public QObject
{
    Q_OBJECT

public:
    explicit CDriveProtocol(QObject* pParent = nullptr);
    ~CDriveProtocol() override;

    // Opens the port. On success the link is connected and the drive's test
    // counts as on; on failure the port's message box has said why.
    bool Connect(const QString& strPort);
    // Stops the reply timer and closes the port; nothing is sent.
    void Disconnect();
    // Recall mode on; while connected, asks for the family and the settings.
    void Recall();
    // Recall mode off; while connected, sends the three settings.
    void Apply(const CSettingCodes& codes);
    // While connected, switches the drive's test off when on, on when off.
    void Test();
    // While connected, sends the command that switches the test on or off.
    void SetTest(bool bOn);
    // At the program's end: closes the port if one was opened in this run.
    void Close();

    // One received byte; a carriage return ends the line, which is then
    // acted on. The reader's byte events arrive here.
    void OnReceiveByte(unsigned char nByte);
    // Bytes that arrived together: the RX lamp flashes once, then each byte
    // is handled as above, in order.
    void OnReceiveBytes(const QByteArray& bytes);
    // The reply time-out: bytes already received are handled first, and a
    // recognised line among them means there was no time-out.
    void OnTimer();
    // True while a sequence runs: received bytes and the time-out wait for its end.
    bool IsInSequence() const { return m_bInSequence; }
    // The device hung up (the reader's hang-up event): it is closed and the
    // loss reported at once, as a time-out would; the link stays connected
    // so that Disconnect and Connect open it again.
    void OnHangup();

    // The reply timer: arming it again replaces the pending time-out.
    void SetReplyTimer(int nMilliseconds);
    void KillReplyTimer();
    bool IsReplyTimerPending() const { return m_replyTimer.isActive(); }
    int ReplyTimerInterval() const { return m_replyTimer.interval(); }

    bool IsConnected() const { return m_bConnected; }
    bool IsRecallPending() const { return m_bRecallPending; }
    bool IsTestOn() const { return m_bTestOn; }
    // The status text of the latest family to answer.
    const QString& AcceptedText() const { return m_strAcceptedText; }
    // Bytes received since the last carriage return.
    const QString& ReceivedLine() const { return m_strRxLine; }

signals:
    void statusChanged(const QString& strText);
    // A line that names a drive family, trimmed.
    void replyChanged(const QString& strText);
    void txLampChanged(int nState);
    void rxLampChanged(int nState);
    // The flag of the family a reply named (1 RT3180, 0 PKN61/72).
    void familyIdentified(int nFlag);
    // List positions a recall found.
    void resolutionRecalled(int nIndex);
    void currentRecalled(int nIndex);
    void idleRecalled(int nIndex);
    // No recognised reply in time (the port stays open), or the device hung
    // up (it is closed).
    void connectionLost();

protected:
    bool event(QEvent* pEvent) override;

private:
    void RunSequence(std::span<const CCommandStep> steps, const CSettingCodes& codes = {});
    void DeliverHeld();
    void OnReplyLine();
    void AcceptSetting(const struct CSettingLine& line, void (CDriveProtocol::*pSignal)(int));

    bool m_bTestOn = false;
    QString m_strRxLine;
    bool m_bRecallPending = false;
    bool m_bConnected = false;
    CSerialPort m_serial;
    QString m_strAcceptedText;
    QTimer m_replyTimer;
    // Held while a sequence waits (see RunSequence).
    bool m_bInSequence = false;
    std::deque<CReceivedChunk> m_heldChunks;
    bool m_bHangupHeld = false;
    bool m_bTimeoutHeld = false;
};
