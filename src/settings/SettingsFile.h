#pragma once

#include "settings/RT3180Data.h"

#include <QString>

// A settings file "*.rt3": the three list positions (idle, current,
// resolution) as 32-bit little-endian integers, 12 bytes, no header; bytes
// after the twelfth are ignored.

enum class ELoadResult {
    Loaded,
    NotOpened,  // missing or unreadable: nothing is loaded, nothing reported
    NotSettings // too short, or a position its list does not have
};

ELoadResult LoadSettingsFile(const QString& strPath, CRT3180Data& data,
                             QString* pstrReason = nullptr);

// The old file is replaced only once the new one is completely written.
bool SaveSettingsFile(const QString& strPath, const CRT3180Data& data,
                      QString* pstrReason = nullptr);
