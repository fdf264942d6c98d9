// Talking to the drive: Connect and Disconnect, Recall, Apply and Test, each
// a fixed sequence of short commands paced by blocking waits, and the reply
// time-out that reports a drive that stopped answering.

#include "app/RT3180Dlg.h"
#include "app/Resource.h"
#include "app/Texts.h"
#include "controls/LedIndicator.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/RegisteredMessage.h"
#include "protocol/Commands.h"
#include "settings/SettingLists.h"

#include <QComboBox>
#include <QCoreApplication>

void CRT3180Dlg::SendCommand(const QByteArray& command, unsigned nLeadIn, int nReplyTimeout,
                             unsigned nTrailing)
{
    m_ledTx->SetLedState(1);
    Sleep(nLeadIn);
    // A failed write shows only as a missing reply.
    m_serial.Write(command.constData(), static_cast<unsigned>(command.size()));
    SetReplyTimer(nReplyTimeout);
    m_ledTx->SetLedState(0);
    if (nTrailing)
        Sleep(nTrailing);
}

void CRT3180Dlg::SendRecallCommands()
{
    SendCommand(kCmdQuery, 50, kReplyTimeout, 50);
    SendCommand(kCmdSettings, 50, kReplyTimeout, 0);
}

void CRT3180Dlg::OnConnect()
{
    if (m_bConnected) {
        Disconnect();
        return;
    }
    ReadStoredPort();
    if (m_serial.Open(m_strComPort)) {
        StorePort();
        SetDlgItemTextNow(IDC_STATUS, QString::fromLatin1(kStatusConnected) + m_strComPort);
        SetDlgItemTextNow(IDC_CONNECT, QString::fromLatin1(kTextDisconnect));
        EnableDlgItem(IDC_TEST, true);
        m_bConnected = true;
        m_bTestOn = true;
        ShowSettings(true);
        m_bRecallPending = true;
        SendRecallCommands();
        return;
    }
    ShowDisconnected(QString::fromLatin1(kStatusNotConnected) + m_strComPort);
}

void CRT3180Dlg::Disconnect()
{
    KillReplyTimer();
    m_serial.Close();
    ShowDisconnected(QString());
}

// Nothing is connected: the status line says why, nothing can be sent.
void CRT3180Dlg::ShowDisconnected(const QString& strStatus)
{
    SetDlgItemTextNow(IDC_STATUS, strStatus);
    SetDlgItemTextNow(IDC_REPLY, QString());
    SetDlgItemText(IDC_CONNECT, QString::fromLatin1(kTextConnect));
    EnableDlgItem(IDC_APPLY, false);
    EnableDlgItem(IDC_TEST, false);
    m_bConnected = false;
    ShowSettings(false);
}

void CRT3180Dlg::OnRecall()
{
    m_bRecallPending = true;
    if (!m_bConnected)
        return;
    SendRecallCommands();
}

void CRT3180Dlg::OnApply()
{
    if (!m_bConnected)
        return;
    SetDlgItemTextNow(IDC_STATUS, QString::fromLatin1(kStatusSending));
    EnableDlgItem(IDC_APPLY, false);
    if (QWidget* pApply = GetDlgItem(IDC_APPLY))
        pApply->repaint();
    m_bRecallPending = false;

    const QByteArray resolution = SettingCommand(kCmdResolution, GetSelectedCode(*m_cbResolution));
    const QByteArray idle = SettingCommand(kCmdIdle, GetSelectedCode(*m_cbIdle));
    const QByteArray current = SettingCommand(kCmdCurrent, GetSelectedCode(*m_cbCurrent));

    SendCommand(kCmdQuery, 100, kReplyTimeout, 1000);
    // The drive takes longest to answer a new resolution.
    SendCommand(resolution, 50, kResolutionReplyTimeout, 3500);
    SendCommand(current, 50, kReplyTimeout, 1100);
    SendCommand(idle, 50, kReplyTimeout, 1100);
}

void CRT3180Dlg::OnTest()
{
    if (!m_bConnected) {
        SetDlgItemText(IDC_TEST, QString::fromLatin1(kTextTestOn));
        return;
    }
    // The caption changes only after the command's waits.
    SendCommand(m_bTestOn ? kCmdTestOff : kCmdTestOn, 100, kReplyTimeout, 1000);
    m_bTestOn = !m_bTestOn;
    SetDlgItemText(IDC_TEST, QString::fromLatin1(m_bTestOn ? kTextTestOn : kTextTestOff));
}

void CRT3180Dlg::SetReplyTimer(int nMilliseconds)
{
    m_replyTimer.start(nMilliseconds);
}

void CRT3180Dlg::KillReplyTimer()
{
    m_replyTimer.stop();
}

void CRT3180Dlg::OnTimer()
{
    // Bytes that arrived before the time-out are interpreted first; a
    // recognised line among them stops the timer and there is no time-out.
    QCoreApplication::sendPostedEvents(this, PROC_KOLV_MSG);
    if (!m_replyTimer.isActive())
        return;
    KillReplyTimer();
    const QString strLost = QString::fromLatin1(kStatusConnectionLost);
    SetDlgItemTextNow(IDC_STATUS, strLost);
    ShowSettings(false);
    AfxMessageBox(strLost, MB_OK | MB_ICONHAND);
}
