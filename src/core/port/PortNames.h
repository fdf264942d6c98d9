#pragma once

#include <array>
#include <optional>
#include <string_view>

// The Port menu's items, which are also the names of the ports they choose.
inline constexpr std::array<const char*, 4> kPortNames{"COM1", "COM2", "COM3", "COM4"};
// The port of a new dialog, before anything is read.
inline constexpr const char* kFirstPort = "COM1";
// The port used when the store exists but holds no usable value.
inline constexpr const char* kPortWithoutValue = "COM2:";

// n of a name "COMn" (any case, n from 1 to 999 without a leading zero, one
// trailing ':' allowed); nothing for any other name, "COM1\n" included.
std::optional<int> ComPortNumber(std::string_view strName);
