// Talking to the drive: Connect and Disconnect, Recall, Apply and Test hand
// the work to the drive link; what it reports is shown at once.

#include "app/RT3180Dlg.h"
#include "app/Texts.h"
#include "controls/LedIndicator.h"
#include "platform/MessageBox.h"
#include "ui/Resource.h"

#include <QApplication>
#include <QComboBox>

void CRT3180Dlg::ConnectDrive()
{
    // Delivered directly: each is painted before the link's next wait.
    connect(&m_drive, &CDriveProtocol::statusChanged, this,
            [this](const QString& strText) { SetDlgItemTextNow(IDC_STATUS, strText); });
    connect(&m_drive, &CDriveProtocol::replyChanged, this,
            [this](const QString& strText) { SetDlgItemTextNow(IDC_REPLY, strText); });
    connect(&m_drive, &CDriveProtocol::txLampChanged, this,
            [this](int nState) { m_ledTx->SetLedState(nState); });
    connect(&m_drive, &CDriveProtocol::rxLampChanged, this,
            [this](int nState) { m_ledRx->SetLedState(nState); });
    connect(&m_drive, &CDriveProtocol::familyIdentified, this, &CRT3180Dlg::SetDriveFamily);
    // Selected directly: a recalled setting is not the user's change.
    connect(&m_drive, &CDriveProtocol::resolutionRecalled, m_cbResolution,
            &QComboBox::setCurrentIndex);
    connect(&m_drive, &CDriveProtocol::currentRecalled, m_cbCurrent, &QComboBox::setCurrentIndex);
    connect(&m_drive, &CDriveProtocol::idleRecalled, m_cbIdle, &QComboBox::setCurrentIndex);
    connect(&m_drive, &CDriveProtocol::connectionLost, this, &CRT3180Dlg::OnTimer);
}

void CRT3180Dlg::OnConnect()
{
    if (m_drive.IsConnected()) {
        m_drive.Disconnect();
        ShowDisconnected(QString());
        return;
    }
    ReadStoredPort();
    if (!m_drive.Connect(m_strComPort)) {
        ShowDisconnected(QString::fromLatin1(kStatusNotConnected) + m_strComPort);
        return;
    }
    StorePort();
    SetDlgItemTextNow(IDC_STATUS, QString::fromLatin1(kStatusConnected) + m_strComPort);
    SetDlgItemTextNow(IDC_CONNECT, QString::fromLatin1(kTextDisconnect));
    EnableDlgItem(IDC_TEST, true);
    ShowSettings(true);
    // Connect asks what a Recall asks.
    RunDriveSequence([this] { m_drive.Recall(); });
}

// Nothing is connected: the status line says why, nothing can be sent.
void CRT3180Dlg::ShowDisconnected(const QString& strStatus)
{
    SetDlgItemTextNow(IDC_STATUS, strStatus);
    SetDlgItemTextNow(IDC_REPLY, QString());
    SetDlgItemText(IDC_CONNECT, QString::fromLatin1(kTextConnect));
    EnableDlgItem(IDC_APPLY, false);
    EnableDlgItem(IDC_TEST, false);
    ShowSettings(false);
}

void CRT3180Dlg::OnRecall()
{
    RunDriveSequence([this] { m_drive.Recall(); });
}

void CRT3180Dlg::OnApply()
{
    if (!m_drive.IsConnected())
        return;
    EnableDlgItem(IDC_APPLY, false);
    if (QWidget* pApply = GetDlgItem(IDC_APPLY))
        pApply->repaint();
    RunDriveSequence([this] { m_drive.Apply(SelectedCodes()); });
}

void CRT3180Dlg::OnTest()
{
    RunDriveSequence([this] { m_drive.Test(); });
    // The caption changes only after the command's waits.
    const bool bOn = !m_drive.IsConnected() || m_drive.IsTestOn();
    SetDlgItemText(IDC_TEST, QString::fromLatin1(bOn ? kTextTestOn : kTextTestOff));
}

// The pointer shows that the program is busy. Clicks, keys and the close
// box wait meanwhile in the window system's queue (see ui/WindowPump.h).
void CRT3180Dlg::RunDriveSequence(const std::function<void()>& sequence)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    sequence();
    QApplication::restoreOverrideCursor();
}

void CRT3180Dlg::OnTimer()
{
    // The link has put the loss in the status line; the port stays open.
    ShowSettings(false);
    AfxMessageBox(QString::fromLatin1(kStatusConnectionLost), MB_OK | MB_ICONHAND);
}
