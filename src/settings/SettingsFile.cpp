#include "settings/SettingsFile.h"

#include "platform/Archive.h"
#include "platform/WholeFile.h"
#include "settings/SettingLists.h"

#include <QBuffer>
#include <QFile>

namespace
{

bool IsPositionOf(qint32 nIndex, std::size_t nCount)
{
    return nIndex >= 0 && std::size_t(nIndex) < nCount;
}

// Every family's current list must have the position: the file does not say
// which family it was saved for.
bool IsCurrentPosition(qint32 nIndex)
{
    for (const CDriveFamily& family : kDriveFamilies) {
        if (!IsPositionOf(nIndex, family.currentList.size()))
            return false;
    }
    return true;
}

} // namespace

ELoadResult LoadSettingsFile(const QString& strPath, CRT3180Data& data, QString* pstrReason)
{
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly)) {
        if (pstrReason)
            *pstrReason = file.errorString();
        return ELoadResult::NotOpened;
    }
    CRT3180Data loaded;
    CArchive ar(file, CArchive::load);
    loaded.Serialize(ar);
    // A short file, or a position its list does not have, would leave a
    // list without a selection and a later Apply without a code to send.
    if (!ar.IsOk() || !IsPositionOf(loaded.m_nIdle, kIdleList.size()) ||
        !IsCurrentPosition(loaded.m_nCurrent) ||
        !IsPositionOf(loaded.m_nResolution, kResolutionList.size())) {
        if (pstrReason)
            *pstrReason = ar.IsOk() ? QStringLiteral("A position is outside its list.")
                                    : QStringLiteral("The file is shorter than 12 bytes.");
        return ELoadResult::NotSettings;
    }
    data = loaded;
    return ELoadResult::Loaded;
}

bool SaveSettingsFile(const QString& strPath, const CRT3180Data& data, QString* pstrReason)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(buffer, CArchive::store);
    CRT3180Data(data).Serialize(ar);
    return WriteWholeFile(strPath, buffer.data(), pstrReason);
}
