#include "protocol/DriveProtocol.h"

#include "platform/Clock.h"
#include "platform/RegisteredMessage.h"
#include "protocol/ReplyRules.h"
#include "settings/SettingLists.h"

#include <QCoreApplication>

namespace
{
constexpr unsigned char kCarriageReturn = 13;
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

void CDriveProtocol::Close()
{
    if (m_serial.m_bOpened)
        m_serial.Close();
}

void CDriveProtocol::RunSequence(std::span<const CCommandStep> steps, const CSettingCodes& codes)
{
    const bool bOpenAtStart = m_serial.m_hComm.IsOpen();
    for (const CCommandStep& step : steps) {
        const QByteArray command = CommandBytes(step.eCommand, codes, m_bTestOn);
        emit txLampChanged(1);
        Sleep(step.nLeadIn);
        // A hang-up met during a wait has been reported; no time-out follows it.
        if (bOpenAtStart && !m_serial.m_hComm.IsOpen()) {
            emit txLampChanged(0);
            return;
        }
        // A failed write shows only as a missing reply.
        m_serial.Write(command.constData(), static_cast<unsigned>(command.size()));
        SetReplyTimer(step.nReplyTimeout);
        emit txLampChanged(0);
        if (step.nTrailing)
            Sleep(step.nTrailing);
    }
}

void CDriveProtocol::SetReplyTimer(int nMilliseconds)
{
    m_replyTimer.start(nMilliseconds);
}

void CDriveProtocol::KillReplyTimer()
{
    m_replyTimer.stop();
}

void CDriveProtocol::OnTimer()
{
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
        OnHangup();
        return true;
    }
    if (pEvent->type() == PROC_KOLV_MSG) {
        OnReceiveByte(static_cast<unsigned char>(static_cast<CReceivedByteEvent*>(pEvent)->Byte()));
        return true;
    }
    return QObject::event(pEvent);
}

void CDriveProtocol::OnReceiveByte(unsigned char nByte)
{
    emit rxLampChanged(1);
    Sleep(1);
    emit rxLampChanged(0);
    if (nByte != kCarriageReturn) {
        m_strRxLine.append(QChar(nByte));
        return;
    }
    OnReplyLine();
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
