// File Open and File Save: the three list positions in a 12-byte file.

#include "app/RT3180Dlg.h"
#include "app/Resource.h"
#include "platform/Archive.h"
#include "platform/Clock.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "platform/WholeFile.h"
#include "settings/SettingLists.h"

#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QFile>

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

bool IsEntryOf(qint32 nIndex, const QComboBox& list)
{
    return nIndex >= 0 && nIndex < list.count();
}

} // namespace

void CRT3180Dlg::OnFileOpen()
{
    const std::optional<QString> strPath = AskForSettingsFile(m_strWorkDir, true);
    if (!strPath)
        return;

    // A file that cannot be opened loads nothing and is not reported.
    QFile file(*strPath);
    if (file.open(QIODevice::ReadOnly)) {
        CRT3180Data data;
        CArchive ar(file, CArchive::load);
        data.Serialize(ar);
        // A short file, or a position its list does not have, would leave a
        // list without a selection and a later Apply without a code to send.
        if (!ar.IsOk() || !IsEntryOf(data.m_nIdle, *m_cbIdle) ||
            !IsEntryOf(data.m_nCurrent, *m_cbCurrent) ||
            !IsEntryOf(data.m_nResolution, *m_cbResolution)) {
            AfxMessageBox(QString::fromLatin1(kTextNotSettingsFile), MB_OK | MB_ICONSTOP, *strPath);
            return;
        }
        m_settings = data;
        Sleep(kLoadedPause);
        SetCurSel(*m_cbIdle, m_settings.m_nIdle);
        SetCurSel(*m_cbCurrent, m_settings.m_nCurrent);
        SetCurSel(*m_cbResolution, m_settings.m_nResolution);
        repaint();
    }

    if (m_bConnected)
        EnableDlgItem(IDC_APPLY, true);
}

void CRT3180Dlg::OnFileSave()
{
    const std::optional<QString> strPath = AskForSettingsFile(m_strWorkDir, false);
    if (!strPath)
        return;

    m_settings.m_nIdle = m_cbIdle->currentIndex();
    m_settings.m_nCurrent = m_cbCurrent->currentIndex();
    m_settings.m_nResolution = m_cbResolution->currentIndex();

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(buffer, CArchive::store);
    m_settings.Serialize(ar);
    // The old file is replaced only once the new one is completely written.
    QString strReason;
    if (!WriteWholeFile(*strPath, buffer.data(), &strReason)) {
        AfxMessageBox(QString::fromLatin1(kTextSaveFailed), MB_OK | MB_ICONSTOP,
                      *strPath + QStringLiteral(": ") + strReason);
    }
}
