#pragma once

#include "core/platform/Files.h"
#include "core/settings/RT3180Data.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// A settings file "*.rt3": the three list positions (idle, current,
// resolution) as 32-bit little-endian integers, 12 bytes, no header; bytes
// after the twelfth are ignored.
inline constexpr std::size_t kSettingsFileSize = 12;

std::string EncodeSettings(const CRT3180Data& data);
// The record the bytes hold; nothing, with the reason, for fewer than 12
// bytes or a position its list does not have (in every family's current list).
std::optional<CRT3180Data> DecodeSettings(std::string_view bytes, std::string* pstrReason = nullptr);

enum class ELoadResult {
    Loaded,
    NotOpened,  // missing or unreadable: nothing is loaded, nothing reported
    NotSettings // not a regular file, too short, or a position its list does not have
};

ELoadResult LoadSettingsFile(IFiles& files, const std::string& strPath, CRT3180Data& data,
                             std::string* pstrReason = nullptr);
// The old file is replaced only once the new one is completely written.
bool SaveSettingsFile(IFiles& files, const std::string& strPath, const CRT3180Data& data,
                      std::string* pstrReason = nullptr);
