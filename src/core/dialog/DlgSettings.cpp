// The three setting lists (filling, the drive family's current list,
// Defaults and the user's changes) and the settings file commands.

#include "core/dialog/RT3180Dlg.h"
#include "core/dialog/Resource.h"
#include "core/dialog/Texts.h"
#include "core/settings/SettingLists.h"
#include "core/settings/SettingsFile.h"

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace
{

constexpr unsigned kLoadedPause = 100; // ms before the loaded selections are shown

// Adds the texts, then attaches the codes, as the lists have always been built.
void AddEntries(IDlgWindow& window, int nID, std::span<const CSettingEntry> entries)
{
    for (const CSettingEntry& entry : entries)
        window.AddString(nID, entry.pszText);
    for (std::size_t i = 0; i < entries.size(); ++i)
        window.SetItemData(nID, static_cast<int>(i), entries[i].nCode);
}

std::filesystem::path PathFromUtf8(const std::string& strPath)
{
    return std::filesystem::path(std::u8string(strPath.begin(), strPath.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path)
{
    const std::u8string strUtf8 = path.u8string();
    return std::string(strUtf8.begin(), strUtf8.end());
}

// Both commands start in the working directory with a file dialog.
std::optional<std::string> AskForSettingsFile(IDlgWindow& window, const std::string& strWorkDir,
                                              bool bOpen)
{
    const std::filesystem::path workDir = PathFromUtf8(strWorkDir);
    std::error_code error;
    std::filesystem::current_path(workDir, error);
    CFileDialogCall call;
    call.bOpenFileDialog = bOpen;
    call.strFileName = Utf8FromPath(workDir / (bOpen ? kOpenInitialName : kSaveInitialName));
    call.filters = {
        {kFilterSettingsText, kFilterSettingsPattern},
        {kFilterAllText, kFilterAllPattern},
    };
    call.strDefExt = kDefaultExtension;
    call.bOverwritePrompt = true;
    return window.DoFileDialog(call);
}

} // namespace

int CRT3180Dlg::ListId(ESetting eSetting) const
{
    switch (eSetting) {
    case ESetting::Resolution:
        return IDC_RESOLUTION;
    case ESetting::Current:
        return IDC_CURRENT;
    case ESetting::Idle:
        break;
    }
    return IDC_IDLE;
}

void CRT3180Dlg::FillSettingLists()
{
    AddEntries(m_window, IDC_RESOLUTION, kResolutionList);
    // The current list starts as the PKN61/72 variant; its unit label already
    // reads "%".
    m_eCurrentList = kStartFamily;
    AddEntries(m_window, IDC_CURRENT, DriveFamily(kStartFamily).currentList);
    AddEntries(m_window, IDC_IDLE, kIdleList);

    m_window.SetCurSel(IDC_RESOLUTION, kDefaultResolution);
    m_window.SetCurSel(IDC_CURRENT, kDefaultCurrent);
    m_window.SetCurSel(IDC_IDLE, kDefaultIdle);
}

void CRT3180Dlg::SetDriveFamily(EDriveFamily eFamily)
{
    const CDriveFamily& family = DriveFamily(eFamily);
    m_window.SetDlgItemText(IDC_CURRENT_UNIT, family.pszCurrentUnit);
    m_window.ResetContent(IDC_CURRENT);
    m_eCurrentList = eFamily;
    AddEntries(m_window, IDC_CURRENT, family.currentList);
    // Always the default, even when the family has not changed.
    m_window.SetCurSel(IDC_CURRENT, kDefaultCurrent);
}

void CRT3180Dlg::OnDefaults()
{
    m_window.SetCurSel(IDC_RESOLUTION, kDefaultResolution);
    m_window.SetCurSel(IDC_CURRENT, kDefaultCurrent);
    m_window.SetCurSel(IDC_IDLE, kDefaultIdle);
    if (m_drive.IsConnected())
        m_window.EnableDlgItem(IDC_APPLY, true);
}

void CRT3180Dlg::OnSelChangeSetting()
{
    if (!m_drive.IsConnected())
        return;
    m_window.EnableDlgItem(IDC_APPLY, true);
    m_window.SetFocusDlgItem(IDC_APPLY);
}

CRT3180Data CRT3180Dlg::SelectedPositions() const
{
    CRT3180Data data;
    data.m_nIdle = m_window.GetCurSel(IDC_IDLE);
    data.m_nCurrent = m_window.GetCurSel(IDC_CURRENT);
    data.m_nResolution = m_window.GetCurSel(IDC_RESOLUTION);
    return data;
}

// Unchecked: a position outside its list leaves that list with no selection.
void CRT3180Dlg::SelectPositions(const CRT3180Data& positions)
{
    m_window.SetCurSel(IDC_IDLE, positions.m_nIdle);
    m_window.SetCurSel(IDC_CURRENT, positions.m_nCurrent);
    m_window.SetCurSel(IDC_RESOLUTION, positions.m_nResolution);
}

void CRT3180Dlg::OnFileOpen()
{
    const std::optional<std::string> strPath = AskForSettingsFile(m_window, m_strWorkDir, true);
    if (!strPath)
        return;

    // A file that cannot be opened loads nothing and is not reported.
    std::string strReason;
    switch (LoadSettingsFile(m_platform.files, *strPath, m_settings, &strReason)) {
    case ELoadResult::NotSettings:
        m_window.MessageBox({kTextNotSettingsFile, EIcon::Stop, *strPath + ": " + strReason});
        return;
    case ELoadResult::Loaded:
        m_platform.clock.Sleep(kLoadedPause);
        SelectPositions(m_settings);
        m_window.UpdateWindow();
        break;
    case ELoadResult::NotOpened:
        break;
    }
    if (m_drive.IsConnected())
        m_window.EnableDlgItem(IDC_APPLY, true);
}

void CRT3180Dlg::OnFileSave()
{
    const std::optional<std::string> strPath = AskForSettingsFile(m_window, m_strWorkDir, false);
    if (!strPath)
        return;
    m_settings = SelectedPositions();
    std::string strReason;
    if (!SaveSettingsFile(m_platform.files, *strPath, m_settings, &strReason))
        m_window.MessageBox({kTextSaveFailed, EIcon::Stop, *strPath + ": " + strReason});
}
