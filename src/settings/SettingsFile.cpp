#include "settings/SettingsFile.h"

#include "platform/Archive.h"
#include "platform/WholeFile.h"
#include "settings/SettingLists.h"

#include <QBuffer>

namespace
{

// Three positions of 32 bits; what follows them is not read.
constexpr qint64 kSettingsSize = 12;

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
    QByteArray bytes;
    switch (ReadRegularFile(strPath, kSettingsSize, bytes, pstrReason)) {
    case EReadResult::NotOpened:
        return ELoadResult::NotOpened;
    case EReadResult::NotRegular:
        return ELoadResult::NotSettings;
    case EReadResult::Read:
        break;
    }
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
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
