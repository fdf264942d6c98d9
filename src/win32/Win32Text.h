#pragma once

#include <string>
#include <string_view>
#include <windows.h>

// The core's strings are UTF-8; Windows' wide calls take UTF-16.

// False when strText is not valid UTF-8 (the reason is then in GetLastError).
bool WideFromUtf8(std::string_view strText, std::wstring& strWide);
std::string Utf8FromWide(std::wstring_view strWide);
// The system's words for an error code, without the line break it ends with.
std::string SystemReason(DWORD nError);
