// The three setting lists (filling, the drive family's current list,
// Defaults and the user's changes) and the settings file commands.

#include "app/RT3180Dlg.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "settings/SettingLists.h"
#include "settings/SettingsFile.h"
#include "ui/FileDialog.h"
#include "ui/Resource.h"

#include <QComboBox>
#include <QDir>

namespace
{

constexpr const char* kOpenInitialName = "*.rt3";
constexpr const char* kSaveInitialName = "Config_RT3180.rt3";
constexpr const char* kFilterSettingsText = "RT3180 Files (*.rt3)";
constexpr const char* kFilterSettingsPattern = "*.rt3";
constexpr const char* kFilterAllText = "All Files (*.*) ";
constexpr const char* kFilterAllPattern = "*.*";
constexpr const char* kDefaultExtension = "rt3";
constexpr unsigned kLoadedPause = 100; // ms before the loaded selections are shown

constexpr const char* kTextNotSettingsFile = "This is not a valid settings file.";
constexpr const char* kTextSaveFailed = "The settings could not be saved.";

// Adds the texts, then attaches the codes, as the lists have always been built.
void AddEntries(QComboBox& list, std::span<const CSettingEntry> entries)
{
    for (const CSettingEntry& entry : entries)
        list.addItem(QString::fromLatin1(entry.pszText));
    for (std::size_t i = 0; i < entries.size(); ++i)
        list.setItemData(static_cast<int>(i), entries[i].nCode);
}

// Selects an entry by position; one outside the list leaves no selection.
void SetCurSel(QComboBox& list, int nIndex)
{
    list.setCurrentIndex(nIndex >= 0 && nIndex < list.count() ? nIndex : -1);
}

// The item code of the selected entry; -1 when nothing is selected.
int GetSelectedCode(const QComboBox& list)
{
    const int nIndex = list.currentIndex();
    return nIndex < 0 ? -1 : list.itemData(nIndex).toInt();
}

// Both commands start in the working directory with a file dialog.
std::optional<QString> AskForSettingsFile(const QString& strWorkDir, bool bOpen)
{
    QDir::setCurrent(strWorkDir);
    CFileDialogCall call;
    call.bOpenFileDialog = bOpen;
    call.strFileName =
        QDir(strWorkDir).filePath(QString::fromLatin1(bOpen ? kOpenInitialName : kSaveInitialName));
    call.filters = {
        {QString::fromLatin1(kFilterSettingsText), QString::fromLatin1(kFilterSettingsPattern)},
        {QString::fromLatin1(kFilterAllText), QString::fromLatin1(kFilterAllPattern)},
    };
    call.strDefExt = QString::fromLatin1(kDefaultExtension);
    call.bOverwritePrompt = true;
    return DoFileDialog(call);
}

} // namespace

void CRT3180Dlg::FillSettingLists()
{
    AddEntries(*m_cbResolution, kResolutionList);
    // The current list starts as the PKN61/72 variant; its unit label already
    // reads "%".
    AddEntries(*m_cbCurrent, DriveFamily(kStartFamilyFlag).currentList);
    AddEntries(*m_cbIdle, kIdleList);

    SetCurSel(*m_cbResolution, kDefaultResolution);
    SetCurSel(*m_cbCurrent, kDefaultCurrent);
    SetCurSel(*m_cbIdle, kDefaultIdle);
}

void CRT3180Dlg::SetDriveFamily(int nFlag)
{
    const CDriveFamily& family = DriveFamily(nFlag);
    SetDlgItemText(IDC_CURRENT_UNIT, QString::fromLatin1(family.pszCurrentUnit));
    m_cbCurrent->clear();
    AddEntries(*m_cbCurrent, family.currentList);
    // Always the default, even when the family has not changed.
    SetCurSel(*m_cbCurrent, kDefaultCurrent);
}

void CRT3180Dlg::OnDefaults()
{
    SetCurSel(*m_cbResolution, kDefaultResolution);
    SetCurSel(*m_cbCurrent, kDefaultCurrent);
    SetCurSel(*m_cbIdle, kDefaultIdle);
    if (m_drive.IsConnected())
        EnableDlgItem(IDC_APPLY, true);
}

void CRT3180Dlg::OnSelChangeSetting()
{
    if (!m_drive.IsConnected())
        return;
    if (QWidget* pApply = GetDlgItem(IDC_APPLY)) {
        pApply->setEnabled(true);
        pApply->setFocus();
    }
}

CSettingCodes CRT3180Dlg::SelectedCodes() const
{
    return {GetSelectedCode(*m_cbResolution), GetSelectedCode(*m_cbCurrent),
            GetSelectedCode(*m_cbIdle)};
}

CRT3180Data CRT3180Dlg::SelectedPositions() const
{
    CRT3180Data data;
    data.m_nIdle = m_cbIdle->currentIndex();
    data.m_nCurrent = m_cbCurrent->currentIndex();
    data.m_nResolution = m_cbResolution->currentIndex();
    return data;
}

void CRT3180Dlg::OnFileOpen()
{
    const std::optional<QString> strPath = AskForSettingsFile(m_strWorkDir, true);
    if (!strPath)
        return;

    // A file that cannot be opened loads nothing and is not reported.
    QString strReason;
    switch (LoadSettingsFile(*strPath, m_settings, &strReason)) {
    case ELoadResult::NotSettings:
        AfxMessageBox(QString::fromLatin1(kTextNotSettingsFile), MB_OK | MB_ICONSTOP,
                      *strPath + QStringLiteral(": ") + strReason);
        return;
    case ELoadResult::Loaded:
        Sleep(kLoadedPause);
        SetCurSel(*m_cbIdle, m_settings.m_nIdle);
        SetCurSel(*m_cbCurrent, m_settings.m_nCurrent);
        SetCurSel(*m_cbResolution, m_settings.m_nResolution);
        repaint();
        break;
    case ELoadResult::NotOpened:
        break;
    }
    if (m_drive.IsConnected())
        EnableDlgItem(IDC_APPLY, true);
}

void CRT3180Dlg::OnFileSave()
{
    const std::optional<QString> strPath = AskForSettingsFile(m_strWorkDir, false);
    if (!strPath)
        return;
    m_settings = SelectedPositions();
    QString strReason;
    if (!SaveSettingsFile(*strPath, m_settings, &strReason)) {
        AfxMessageBox(QString::fromLatin1(kTextSaveFailed), MB_OK | MB_ICONSTOP,
                      *strPath + QStringLiteral(": ") + strReason);
    }
}
