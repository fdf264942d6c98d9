#pragma once

#include "core/platform/Clock.h"
#include "core/protocol/Commands.h"
#include "core/serial/ReceiveQueue.h"
#include "core/serial/SerialPort.h"
#include "core/settings/SettingLists.h"

#include <deque>
#include <span>
#include <string>

// The reply timer (the dialog's window timer 1): arming it again replaces
// the pending time-out. When it expires, whoever runs it calls
// CDriveProtocol::OnTimer on the GUI thread, and again each period until killed.
class IReplyTimer
{
public:
    virtual ~IReplyTimer() = default;
    virtual void SetTimer(unsigned nMilliseconds) = 0;
    virtual void KillTimer() = 0;
};

// A command the link has just written.
struct CSentCommand {
    std::string strCommand;
    std::span<const CCommandStep> steps; // the sequence it belongs to
    std::size_t nStep = 0;               // its place in steps
};

enum class ELinkLoss {
    TimedOut, // no recognised reply in time; the port stays open
    HungUp    // the device went away; the port is closed
};

// What the drive link reports, typed, as it happens; each is delivered at
// once, before the link's next wait, so a window paints it then.
class IDriveListener
{
public:
    virtual ~IDriveListener() = default;

    virtual void OnTxLamp(bool bLit) = 0;
    virtual void OnRxLamp(bool bLit) = 0;
    virtual void OnCommandSent(const CSentCommand& sent) = 0;
    // A recognised reply line: the status line shows that family's accepted text.
    virtual void OnAccepted(EDriveFamily eFamily) = 0;
    // A line named a family: its current list is to be shown, and the line
    // (trimmed) in the reply line. OnAccepted follows.
    virtual void OnFamily(EDriveFamily eFamily, const std::string& strReply) = 0;
    // A recall found a setting's list position. OnAccepted follows.
    virtual void OnRecalled(ESetting eSetting, int nPosition) = 0;
    virtual void OnLinkLost(ELinkLoss eLoss) = 0;
};

// Talking to the drive: the port, the command sequences paced by waits on
// the calling thread, the reply timer, and the reply lines gathered from the
// received bytes and acted on by the reply rules. It knows nothing of a
// window: it reports to its listener.
class CDriveProtocol : public IReceiveTarget
{
public:
    CDriveProtocol(IClock& clock, ISerialPort& serial, IReceiveQueue& queue, IReplyTimer& timer,
                   IDriveListener& listener);
    ~CDriveProtocol() override;
    CDriveProtocol(const CDriveProtocol&) = delete;
    CDriveProtocol& operator=(const CDriveProtocol&) = delete;

    // Opens the port. On success the link is connected and the drive's test
    // counts as on.
    COpenResult Connect(const std::string& strPort);
    // Stops the reply timer and closes the port; nothing is sent.
    void Disconnect();
    // Recall mode on; while connected, asks for the family and the settings.
    void Recall();
    // While connected: recall mode off, the three settings sent.
    void Apply(const CApplySettings& settings);
    // While connected, switches the drive's test off when on, on when off.
    void Test();
    // While connected, sends the command that switches the test on or off.
    void SetTest(bool bOn);
    // At the program's end: closes the port if one was opened in this run.
    void Close();

    // What the reader found (PROC_KOLV_MSG): the RX lamp flashes once, then
    // each byte is handled in order; a carriage return ends the line, which
    // is then acted on. Held while a sequence runs.
    void OnReceived(CReceivedChunk chunk) override;
    // The device hung up: it is closed and the loss reported at once (after
    // a sequence under way); the link stays connected, so that Disconnect
    // and Connect open it again.
    void OnHangup() override;
    // Bytes handled as received bytes are.
    void OnReceiveBytes(std::string_view bytes);
    // The reply timer expired: bytes already posted are handled first, and a
    // recognised line among them means there was no time-out. Held while a
    // sequence runs.
    void OnTimer();

    // The reply timer, armed and killed through IReplyTimer.
    void SetReplyTimer(unsigned nMilliseconds);
    void KillReplyTimer();
    bool IsReplyTimerPending() const { return m_bReplyTimerPending; }

    bool IsInSequence() const { return m_bInSequence; }
    bool IsConnected() const { return m_bConnected; }
    bool IsRecallPending() const { return m_bRecallPending; }
    bool IsTestOn() const { return m_bTestOn; }
    // The family whose accepted text the status line shows.
    EDriveFamily AcceptedFamily() const { return m_eAcceptedFamily; }
    // Bytes received since the last carriage return.
    const std::string& ReceivedLine() const { return m_strRxLine; }

private:
    void RunSequence(std::span<const CCommandStep> steps, const CApplySettings& settings = {});
    void DeliverHeld();
    void OnReplyLine();

    IClock& m_clock;
    ISerialPort& m_serial;
    IReceiveQueue& m_queue;
    IReplyTimer& m_timer;
    IDriveListener& m_listener;

    bool m_bTestOn = false;
    std::string m_strRxLine;
    bool m_bRecallPending = false;
    bool m_bConnected = false;
    EDriveFamily m_eAcceptedFamily = kStartAcceptedFamily;
    bool m_bReplyTimerPending = false;
    // Held while a sequence waits (see RunSequence).
    bool m_bInSequence = false;
    std::deque<CReceivedChunk> m_heldChunks;
    bool m_bHangupHeld = false;
    bool m_bTimeoutHeld = false;
};
