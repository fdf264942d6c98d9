#include "protocol/DriveProtocol.h"

#include "platform/Clock.h"
#include "platform/RegisteredMessage.h"
#include "protocol/ReplyRules.h"
#include "settings/SettingLists.h"

#include <QCoreApplication>
#include <algorithm>
#include <utility>

namespace
{
constexpr unsigned char kCarriageReturn = 13;
// Far longer than any reply: a longer line keeps its last part, so that a
// device that never ends a line cannot fill memory.
constexpr qsizetype kMaxLineLength = 4096;
} // namespace

CDriveProtocol::CDriveProtocol(QObject* pParent)
    : QObject(pParent), m_strAcceptedText(QString::fromLatin1(DriveFamily(1).pszAccepted))
{
    m_serial.m_pOwner = this;
    // A coarse timer may fire up to 5 % early; the drive is owed its full time.
    m_replyTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_replyTimer, &QTimer::timeout, this, &CDriveProtocol::OnTimer);
}

CDriveProtocol::~CDriveProtocol() = default;

bool CDriveProtocol::Connect(const QString& strPort)
{
    m_bConnected = m_serial.Open(strPort);
    if (m_bConnected)
        m_bTestOn = true;
    return m_bConnected;
}

void CDriveProtocol::Disconnect()
{
    KillReplyTimer();
    m_serial.Close();
    m_bConnected = false;
}

void CDriveProtocol::Recall()
{
    m_bRecallPending = true;
    if (m_bConnected)
        RunSequence(kRecallSequence);
}

void CDriveProtocol::Apply(const CSettingCodes& codes)
{
    if (!m_bConnected)
        return;
    emit statusChanged(QString::fromLatin1(kStatusSending));
    m_bRecallPending = false;
    RunSequence(kApplySequence, codes);
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
    if (m_serial.m_bOpened)
        m_serial.Close();
}

// Each wait ends at its deadline counted from the sequence's start, so the
// work between waits (painting, a slow display) does not add up on the line.
// A step that starts late counts on from where it is, keeping the gaps after
// it whole.
void CDriveProtocol::RunSequence(std::span<const CCommandStep> steps, const CSettingCodes& codes)
{
    m_bInSequence = true;
    CSteadyClock::time_point deadline = Now();
    bool bStopped = false;
    auto waitFor = [&deadline, &bStopped](unsigned nMilliseconds) {
        deadline = std::max(deadline + std::chrono::milliseconds(nMilliseconds), Now());
        bStopped = !WaitUntil(deadline) || bStopped;
    };
    for (const CCommandStep& step : steps) {
        const QByteArray command = CommandBytes(step.eCommand, codes, m_bTestOn);
        emit txLampChanged(1);
        waitFor(step.nLeadIn);
        // The device hung up during the wait: nothing more is sent, and the
        // loss is reported once the sequence has ended. The same when the
        // program is stopping: the command written last stays the last.
        if (m_bHangupHeld || bStopped) {
            emit txLampChanged(0);
            break;
        }
        // A failed write shows only as a missing reply.
        m_serial.Write(command.constData(), static_cast<unsigned>(command.size()));
        SetReplyTimer(step.nReplyTimeout);
        emit txLampChanged(0);
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

void CDriveProtocol::SetReplyTimer(int nMilliseconds)
{
    m_bTimeoutHeld = false; // a new arming replaces a time-out not yet acted on
    m_replyTimer.start(nMilliseconds);
}

void CDriveProtocol::KillReplyTimer()
{
    m_replyTimer.stop();
}

void CDriveProtocol::OnTimer()
{
    if (m_bInSequence) {
        m_bTimeoutHeld = true;
        return;
    }
    QCoreApplication::sendPostedEvents(this, PROC_KOLV_MSG);
    if (!IsReplyTimerPending())
        return;
    KillReplyTimer();
    emit statusChanged(QString::fromLatin1(kStatusConnectionLost));
    emit connectionLost();
}

void CDriveProtocol::OnHangup()
{
    // Bytes posted before the hang-up are handled first, as on a time-out.
    QCoreApplication::sendPostedEvents(this, PROC_KOLV_MSG);
    KillReplyTimer();
    m_serial.Close();
    emit statusChanged(QString::fromLatin1(kStatusConnectionLost));
    emit connectionLost();
}

bool CDriveProtocol::event(QEvent* pEvent)
{
    if (pEvent->type() == PROC_KOLV_HANGUP) {
        if (m_bInSequence)
            m_bHangupHeld = true;
        else
            OnHangup();
        return true;
    }
    if (pEvent->type() == PROC_KOLV_MSG) {
        // Held chunks keep their places at the gate: the reader waits, and
        // the terminal holds what comes meanwhile.
        auto* pReceived = static_cast<CReceivedByteEvent*>(pEvent);
        if (m_bInSequence)
            m_heldChunks.push_back(pReceived->TakeChunk());
        else
            OnReceiveBytes(pReceived->Bytes());
        return true;
    }
    return QObject::event(pEvent);
}

void CDriveProtocol::OnReceiveByte(unsigned char nByte)
{
    OnReceiveBytes(QByteArray(1, static_cast<char>(nByte)));
}

void CDriveProtocol::OnReceiveBytes(const QByteArray& bytes)
{
    // One flash for bytes that came together: lit at least 1 ms each time.
    emit rxLampChanged(1);
    Sleep(1);
    emit rxLampChanged(0);
    for (const char ch : bytes) {
        const auto nByte = static_cast<unsigned char>(ch);
        if (nByte != kCarriageReturn) {
            m_strRxLine.append(QChar(nByte));
            if (m_strRxLine.size() >= 2 * kMaxLineLength)
                m_strRxLine.remove(0, m_strRxLine.size() - kMaxLineLength);
            continue;
        }
        if (m_strRxLine.size() > kMaxLineLength)
            m_strRxLine.remove(0, m_strRxLine.size() - kMaxLineLength);
        OnReplyLine();
    }
}

void CDriveProtocol::AcceptSetting(const CSettingLine& line, void (CDriveProtocol::*pSignal)(int))
{
    if (!line.bSeen)
        return;
    KillReplyTimer();
    if (line.nIndex >= 0)
        emit(this->*pSignal)(line.nIndex);
    emit statusChanged(m_strAcceptedText);
}

void CDriveProtocol::OnReplyLine()
{
    const QString strReply = m_strRxLine;
    m_strRxLine.clear();
    const CReplyResult result = InterpretReply(strReply, m_bRecallPending);

    if (result.bAccepted) {
        KillReplyTimer();
        emit statusChanged(m_strAcceptedText);
    }
    for (const int nFamily : result.families) {
        const CDriveFamily& family = kDriveFamilies[nFamily];
        emit familyIdentified(family.nFlag);
        m_strAcceptedText = QString::fromLatin1(family.pszAccepted);
        KillReplyTimer();
        emit replyChanged(TrimReply(strReply));
        emit statusChanged(m_strAcceptedText);
    }
    AcceptSetting(result.resolution, &CDriveProtocol::resolutionRecalled);
    AcceptSetting(result.current, &CDriveProtocol::currentRecalled);
    AcceptSetting(result.idle, &CDriveProtocol::idleRecalled);
}
