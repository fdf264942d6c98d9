#pragma once

// Title of the program's message boxes, as the class library takes it from
// the executable's name.
inline constexpr const char* kAppTitle = "RT3180";
