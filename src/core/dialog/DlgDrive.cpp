// Talking to the drive: Connect and Disconnect, Recall, Apply and Test hand
// the work to the drive link; what it reports is shown at once.

#include "core/dialog/RT3180Dlg.h"
#include "core/dialog/Resource.h"
#include "core/dialog/Texts.h"

void CRT3180Dlg::OnConnect()
{
    if (m_drive.IsConnected()) {
        m_drive.Disconnect();
        ShowDisconnected(std::string());
        return;
    }
    ReadStoredPort();
    const COpenResult result = m_drive.Connect(m_strComPort);
    if (!result.bOpened)
        m_window.MessageBox({kTextUnableToOpen + m_strComPort, EIcon::Stop, result.strDetail});
    // A failed configuration step is shown; the port may still be open.
    for (EOpenStep eStep : result.failedSteps)
        m_window.MessageBox({OpenStepFailure(eStep), EIcon::None, {}});
    if (!result.bOpened) {
        ShowDisconnected(kStatusNotConnected + m_strComPort);
        return;
    }
    StorePort();
    SetDlgItemTextNow(IDC_STATUS, kStatusConnected + m_strComPort);
    SetDlgItemTextNow(IDC_CONNECT, kTextDisconnect);
    m_window.EnableDlgItem(IDC_TEST, true);
    ShowSettings(true);
    // Connect asks what a Recall asks.
    RunDriveSequence(&CRT3180Dlg::SendRecall);
}

// Nothing is connected: the status line says why, nothing can be sent.
void CRT3180Dlg::ShowDisconnected(const std::string& strStatus)
{
    SetDlgItemTextNow(IDC_STATUS, strStatus);
    SetDlgItemTextNow(IDC_REPLY, std::string());
    m_window.SetDlgItemText(IDC_CONNECT, kTextConnect);
    m_window.EnableDlgItem(IDC_APPLY, false);
    m_window.EnableDlgItem(IDC_TEST, false);
    ShowSettings(false);
}

void CRT3180Dlg::OnRecall()
{
    RunDriveSequence(&CRT3180Dlg::SendRecall);
}

void CRT3180Dlg::OnApply()
{
    if (!m_drive.IsConnected())
        return;
    m_window.EnableDlgItem(IDC_APPLY, false);
    m_window.UpdateDlgItem(IDC_APPLY);
    RunDriveSequence(&CRT3180Dlg::SendApply);
}

void CRT3180Dlg::OnTest()
{
    RunDriveSequence(&CRT3180Dlg::SendTest);
    // The caption changes only after the command's waits.
    const bool bOn = !m_drive.IsConnected() || m_drive.IsTestOn();
    m_window.SetDlgItemText(IDC_TEST, bOn ? kTextTestOn : kTextTestOff);
}

// The pointer shows that the program is busy; user input waits meanwhile in
// the window system's queue.
void CRT3180Dlg::RunDriveSequence(void (CRT3180Dlg::*pSequence)())
{
    m_window.SetBusy(true);
    (this->*pSequence)();
    m_window.SetBusy(false);
}

void CRT3180Dlg::SendRecall()
{
    m_drive.Recall();
}

void CRT3180Dlg::SendApply()
{
    SetDlgItemTextNow(IDC_STATUS, kStatusSending);
    // The link sends the item codes of these positions in these lists.
    m_drive.Apply({SelectedPositions(), m_eCurrentList});
}

void CRT3180Dlg::SendTest()
{
    m_drive.Test();
}

void CRT3180Dlg::OnTimer(unsigned nIDEvent)
{
    if (nIDEvent == kReplyTimerId)
        m_drive.OnTimer();
}

void CRT3180Dlg::SetTimer(unsigned nMilliseconds)
{
    m_window.SetTimer(kReplyTimerId, nMilliseconds);
}

void CRT3180Dlg::KillTimer()
{
    m_window.KillTimer(kReplyTimerId);
}

void CRT3180Dlg::OnTxLamp(bool bLit)
{
    m_window.SetLedState(IDC_TX_LED, bLit);
}

void CRT3180Dlg::OnRxLamp(bool bLit)
{
    m_window.SetLedState(IDC_RX_LED, bLit);
}

void CRT3180Dlg::OnCommandSent(const CSentCommand&) {}

void CRT3180Dlg::OnAccepted(EDriveFamily eFamily)
{
    SetDlgItemTextNow(IDC_STATUS, DriveFamily(eFamily).pszAccepted);
}

void CRT3180Dlg::OnFamily(EDriveFamily eFamily, const std::string& strReply)
{
    SetDriveFamily(eFamily);
    SetDlgItemTextNow(IDC_REPLY, strReply);
}

// Selected directly: a recalled setting is not the user's change.
void CRT3180Dlg::OnRecalled(ESetting eSetting, int nPosition)
{
    m_window.SetCurSel(ListId(eSetting), nPosition);
}

void CRT3180Dlg::OnLinkLost(ELinkLoss)
{
    // After a time-out the port stays open and the link connected.
    SetDlgItemTextNow(IDC_STATUS, kStatusConnectionLost);
    ShowSettings(false);
    m_window.MessageBox({kStatusConnectionLost, EIcon::Stop, {}});
}
