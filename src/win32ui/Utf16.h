#pragma once

#include <string>
#include <string_view>

// The core speaks UTF-8, Windows' wide functions UTF-16.
std::wstring Widen(std::string_view str);
std::string Narrow(std::wstring_view str);
