// Construction, start-up, the two appearances and ending the dialog.

#include "core/dialog/RT3180Dlg.h"

#include "core/dialog/Resource.h"
#include "core/dialog/Texts.h"

#include <array>
#include <filesystem>
#include <string>
#include <system_error>

namespace
{

// Shown while connected, hidden behind the banner otherwise; in this order.
constexpr std::array<int, 9> kSettingsControls{
    IDC_SETTINGS_GROUP, IDC_RESOLUTION_LABEL, IDC_IDLE_LABEL, IDC_CURRENT_LABEL, IDC_IDLE_UNIT,
    IDC_CURRENT_UNIT,   IDC_RESOLUTION,       IDC_IDLE,       IDC_CURRENT,
};

// The system command's low four bits are the window system's own.
constexpr unsigned kSysCommandMask = 0xFFF0;

} // namespace

CRT3180Dlg::CRT3180Dlg(IDlgWindow& window, const CDlgPlatform& platform)
    : m_window(window), m_platform(platform),
      m_drive(platform.clock, platform.serial, platform.queue, *this, *this)
{
}

CRT3180Dlg::~CRT3180Dlg() = default;

bool CRT3180Dlg::OnInitDialog()
{
    m_window.SetLedState(IDC_TX_LED, false);
    m_window.SetLedState(IDC_RX_LED, false);

    FillSettingLists();

    m_window.EnableDlgItem(IDC_APPLY, false);
    m_window.EnableDlgItem(IDC_TEST, false);
    m_window.SetDlgItemText(IDC_TEST, kTextTestOn);

    ReadStoredPort();
    CheckStoredPortItem();

    m_window.SetDlgItemText(IDC_STATUS, kStatusNotConnectedStartup + m_strComPort);

    ShowSettings(false);

    // The file commands start here; an unreadable folder leaves it empty.
    std::error_code error;
    const std::filesystem::path workDir = std::filesystem::current_path(error);
    if (!error) {
        const std::u8string strUtf8 = workDir.u8string();
        m_strWorkDir.assign(strUtf8.begin(), strUtf8.end());
    }
    return true;
}

void CRT3180Dlg::ShowSettings(bool bShow)
{
    for (int nID : kSettingsControls)
        m_window.ShowDlgItem(nID, bShow);
    m_window.ShowDlgItem(IDC_BANNER, !bShow);
}

void CRT3180Dlg::OnHelpAbout()
{
    m_window.ShowAboutBox();
}

void CRT3180Dlg::OnSysCommand(unsigned nID)
{
    if ((nID & kSysCommandMask) == IDM_ABOUTBOX)
        OnHelpAbout();
}

// The one closing path: every way of ending the dialog comes here.
void CRT3180Dlg::OnCancel()
{
    m_drive.Close();
    m_window.EndDialog(IDCANCEL);
}

// Enter while a control that does not take the key has the focus.
void CRT3180Dlg::OnOK()
{
    OnCancel();
}

void CRT3180Dlg::SetDlgItemTextNow(int nID, const std::string& strText)
{
    m_window.SetDlgItemText(nID, strText);
    m_window.UpdateDlgItem(nID);
}
