#pragma once

#include "core/settings/SettingLists.h"

#include <cstdint>

// The positions of the three list selections: what the lists select, what a
// settings file holds and what a recall finds (-1: none). On file it is these
// three 32-bit little-endian integers, idle first.
struct CRT3180Data {
    std::int32_t m_nIdle = 0;
    std::int32_t m_nCurrent = 0;
    std::int32_t m_nResolution = 0;

    std::int32_t& operator[](ESetting eSetting);
    std::int32_t operator[](ESetting eSetting) const;
    bool operator==(const CRT3180Data&) const = default;
};

// Nothing selected, nothing recalled.
inline constexpr CRT3180Data kNoPositions{-1, -1, -1};
