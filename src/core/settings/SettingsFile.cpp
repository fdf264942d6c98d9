#include "core/settings/SettingsFile.h"

#include "core/settings/SettingLists.h"

#include <array>

namespace
{

constexpr const char* kReasonShort = "The file is shorter than 12 bytes.";
constexpr const char* kReasonOutside = "A position is outside its list.";

// The order on file.
constexpr std::array<ESetting, 3> kFileOrder{ESetting::Idle, ESetting::Current,
                                             ESetting::Resolution};

bool IsPositionOf(std::int32_t nIndex, std::size_t nCount)
{
    return nIndex >= 0 && static_cast<std::size_t>(nIndex) < nCount;
}

// Every family's current list must have the position: the file does not say
// which family it was saved for.
bool IsCurrentPosition(std::int32_t nIndex)
{
    for (const CDriveFamily& family : kDriveFamilies) {
        if (!IsPositionOf(nIndex, family.currentList.size()))
            return false;
    }
    return true;
}

bool Fail(const char* pszReason, std::string* pstrReason)
{
    if (pstrReason)
        *pstrReason = pszReason;
    return false;
}

} // namespace

std::string EncodeSettings(const CRT3180Data& data)
{
    std::string bytes;
    for (const ESetting eSetting : kFileOrder) {
        const auto nValue = static_cast<std::uint32_t>(data[eSetting]);
        for (int nShift = 0; nShift < 32; nShift += 8)
            bytes.push_back(static_cast<char>((nValue >> nShift) & 0xFF));
    }
    return bytes;
}

std::optional<CRT3180Data> DecodeSettings(std::string_view bytes, std::string* pstrReason)
{
    if (bytes.size() < kSettingsFileSize) {
        Fail(kReasonShort, pstrReason);
        return std::nullopt;
    }
    CRT3180Data data;
    std::size_t nByte = 0;
    for (const ESetting eSetting : kFileOrder) {
        std::uint32_t nValue = 0;
        for (int nShift = 0; nShift < 32; nShift += 8)
            nValue |= std::uint32_t(static_cast<unsigned char>(bytes[nByte++])) << nShift;
        data[eSetting] = static_cast<std::int32_t>(nValue);
    }
    // A position its list does not have would leave a list without a
    // selection and a later Apply without a code to send.
    if (!IsPositionOf(data.m_nIdle, kIdleList.size()) || !IsCurrentPosition(data.m_nCurrent) ||
        !IsPositionOf(data.m_nResolution, kResolutionList.size())) {
        Fail(kReasonOutside, pstrReason);
        return std::nullopt;
    }
    return data;
}

ELoadResult LoadSettingsFile(IFiles& files, const std::string& strPath, CRT3180Data& data,
                             std::string* pstrReason)
{
    std::string bytes;
    switch (files.ReadRegularFile(strPath, kSettingsFileSize, bytes, pstrReason)) {
    case EReadResult::NotOpened:
        return ELoadResult::NotOpened;
    case EReadResult::NotRegular:
        return ELoadResult::NotSettings;
    case EReadResult::Read:
        break;
    }
    const std::optional<CRT3180Data> loaded = DecodeSettings(bytes, pstrReason);
    if (!loaded)
        return ELoadResult::NotSettings;
    data = *loaded;
    return ELoadResult::Loaded;
}

bool SaveSettingsFile(IFiles& files, const std::string& strPath, const CRT3180Data& data,
                      std::string* pstrReason)
{
    return files.WriteWholeFile(strPath, EncodeSettings(data), pstrReason);
}
