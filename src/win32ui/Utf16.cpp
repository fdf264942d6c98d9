#include "win32ui/Utf16.h"

#include "win32ui/Win32.h"

std::wstring Widen(std::string_view str)
{
    if (str.empty())
        return {};
    const int nSize = static_cast<int>(str.size());
    std::wstring strWide(
        static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, str.data(), nSize, nullptr, 0)),
        L'\0');
    MultiByteToWideChar(CP_UTF8, 0, str.data(), nSize, strWide.data(),
                        static_cast<int>(strWide.size()));
    return strWide;
}

std::string Narrow(std::wstring_view str)
{
    if (str.empty())
        return {};
    const int nSize = static_cast<int>(str.size());
    std::string strUtf8(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, str.data(), nSize,
                                                                     nullptr, 0, nullptr, nullptr)),
                        '\0');
    WideCharToMultiByte(CP_UTF8, 0, str.data(), nSize, strUtf8.data(),
                        static_cast<int>(strUtf8.size()), nullptr, nullptr);
    return strUtf8;
}
