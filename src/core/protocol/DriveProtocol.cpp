#include "core/protocol/DriveProtocol.h"

#include "core/protocol/ReplyRules.h"

#include <algorithm>
#include <utility>

namespace
{
constexpr char kCarriageReturn = 13;
// Far longer than any reply: a longer line keeps its last part, so that a
// device that never ends a line cannot fill memory.
constexpr std::size_t kMaxLineLength = 4096;
} // namespace

CDriveProtocol::CDriveProtocol(IClock& clock, ISerialPort& serial, IReceiveQueue& queue,
                               IReplyTimer& timer, IDriveListener& listener)
    : m_clock(clock), m_serial(serial), m_queue(queue), m_timer(timer), m_listener(listener)
{
    m_queue.SetTarget(this);
}

CDriveProtocol::~CDriveProtocol() = default;

COpenResult CDriveProtocol::Connect(const std::string& strPort)
{
    COpenResult result = m_serial.Open(strPort, m_queue);
    m_bConnected = result.bOpened;
    if (m_bConnected)
        m_bTestOn = true;
    return result;
}

void CDriveProtocol::Disconnect()
{
    KillReplyTimer();
    m_serial.Close();
    m_queue.DropHangup();
    m_bConnected = false;
}

void CDriveProtocol::Recall()
{
    m_bRecallPending = true;
    if (m_bConnected)
        RunSequence(kRecallSequence);
}

void CDriveProtocol::Apply(const CApplySettings& settings)
{
    if (!m_bConnected)
        return;
    m_bRecallPending = false;
    RunSequence(kApplySequence, settings);
}

void CDriveProtocol::Test()
{
    if (!m_bConnected)
        return;
    RunSequence(kTestSequence);
    m_bTestOn = !m_bTestOn;
}

void CDriveProtocol::SetTest(bool bOn)
{
    // The toggle sends "off" for a test that counts as on.
    m_bTestOn = !bOn;
    Test();
}

void CDriveProtocol::Close()
{
    if (!m_serial.WasOpened())
        return;
    m_serial.Close();
    m_queue.DropHangup();
}

// Each wait ends at its deadline counted from the sequence's start, so the
// work between waits (painting, a slow display) does not add up on the line.
// A step that starts late counts on from where it is, keeping the gaps after
// it whole.
void CDriveProtocol::RunSequence(std::span<const CCommandStep> steps,
                                 const CApplySettings& settings)
{
    m_bInSequence = true;
    CSteadyClock::time_point deadline = m_clock.Now();
    bool bStopped = false;
    auto waitFor = [this, &deadline, &bStopped](unsigned nMilliseconds) {
        deadline = std::max(deadline + std::chrono::milliseconds(nMilliseconds), m_clock.Now());
        bStopped = !m_clock.WaitUntil(deadline) || bStopped;
    };
    for (std::size_t nStep = 0; nStep < steps.size(); ++nStep) {
        const CCommandStep& step = steps[nStep];
        const std::string command = CommandBytes(step.eCommand, settings, m_bTestOn);
        m_listener.OnTxLamp(true);
        waitFor(step.nLeadIn);
        // The device hung up during the wait: nothing more is sent, and the
        // loss is reported once the sequence has ended. The same when the
        // program is stopping: the command written last stays the last.
        if (m_bHangupHeld || bStopped) {
            m_listener.OnTxLamp(false);
            break;
        }
        // A failed write shows only as a missing reply.
        m_serial.Write(command);
        SetReplyTimer(step.nReplyTimeout);
        m_listener.OnTxLamp(false);
        m_listener.OnCommandSent({command, steps, nStep});
        if (step.nTrailing)
            waitFor(step.nTrailing);
    }
    m_bInSequence = false;
    DeliverHeld();
}

// What came while the sequence waited is handled now, in the order it came,
// as if the thread had been blocked: the bytes, a hang-up, then a time-out
// that no later arming replaced.
void CDriveProtocol::DeliverHeld()
{
    // Each chunk frees its place at the reader's gate once handled.
    for (std::deque<CReceivedChunk> held = std::exchange(m_heldChunks, {}); !held.empty();
         held.pop_front())
        OnReceiveBytes(held.front().Bytes());
    if (std::exchange(m_bHangupHeld, false))
        OnHangup();
    if (std::exchange(m_bTimeoutHeld, false))
        OnTimer();
}

void CDriveProtocol::SetReplyTimer(unsigned nMilliseconds)
{
    m_bTimeoutHeld = false; // a new arming replaces a time-out not yet acted on
    m_bReplyTimerPending = true;
    m_timer.SetTimer(nMilliseconds);
}

void CDriveProtocol::KillReplyTimer()
{
    m_bReplyTimerPending = false;
    m_timer.KillTimer();
}

void CDriveProtocol::OnTimer()
{
    if (m_bInSequence) {
        m_bTimeoutHeld = true;
        return;
    }
    m_queue.DeliverPosted();
    if (!m_bReplyTimerPending)
        return;
    KillReplyTimer();
    m_listener.OnLinkLost(ELinkLoss::TimedOut);
}

void CDriveProtocol::OnHangup()
{
    if (m_bInSequence) {
        m_bHangupHeld = true;
        return;
    }
    // Bytes posted before the hang-up are handled first, as on a time-out.
    m_queue.DeliverPosted();
    KillReplyTimer();
    m_serial.Close();
    m_queue.DropHangup();
    m_listener.OnLinkLost(ELinkLoss::HungUp);
}

void CDriveProtocol::OnReceived(CReceivedChunk chunk)
{
    // Held chunks keep their places at the gate: the reader waits, and the
    // device holds what comes meanwhile.
    if (m_bInSequence)
        m_heldChunks.push_back(std::move(chunk));
    else
        OnReceiveBytes(chunk.Bytes());
}

void CDriveProtocol::OnReceiveBytes(std::string_view bytes)
{
    // One flash for bytes that came together: lit at least 1 ms each time.
    m_listener.OnRxLamp(true);
    m_clock.Sleep(1);
    m_listener.OnRxLamp(false);
    for (const char ch : bytes) {
        if (ch != kCarriageReturn) {
            m_strRxLine.push_back(ch);
            if (m_strRxLine.size() >= 2 * kMaxLineLength)
                m_strRxLine.erase(0, m_strRxLine.size() - kMaxLineLength);
            continue;
        }
        if (m_strRxLine.size() > kMaxLineLength)
            m_strRxLine.erase(0, m_strRxLine.size() - kMaxLineLength);
        OnReplyLine();
    }
}

void CDriveProtocol::OnReplyLine()
{
    const std::string strReply = std::exchange(m_strRxLine, {});
    const CReplyResult result = InterpretReply(strReply, m_bRecallPending);

    if (result.bAccepted) {
        KillReplyTimer();
        m_listener.OnAccepted(m_eAcceptedFamily);
    }
    for (const EDriveFamily eFamily : result.families) {
        m_eAcceptedFamily = eFamily;
        KillReplyTimer();
        m_listener.OnFamily(eFamily, TrimReply(strReply));
        m_listener.OnAccepted(eFamily);
    }
    for (const ESetting eSetting : kSettings) {
        const CSettingLine& line = result[eSetting];
        if (!line.bSeen)
            continue;
        KillReplyTimer();
        if (line.nIndex >= 0)
            m_listener.OnRecalled(eSetting, line.nIndex);
        m_listener.OnAccepted(m_eAcceptedFamily);
    }
}
