#include "win32/Win32Text.h"

bool WideFromUtf8(std::string_view strText, std::wstring& strWide)
{
    strWide.clear();
    if (strText.empty())
        return true;
    const int nLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, strText.data(),
                                            int(strText.size()), nullptr, 0);
    if (nLength <= 0)
        return false;
    strWide.resize(std::size_t(nLength));
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, strText.data(), int(strText.size()),
                               strWide.data(), nLength) == nLength;
}

std::string Utf8FromWide(std::wstring_view strWide)
{
    if (strWide.empty())
        return {};
    const int nLength = WideCharToMultiByte(CP_UTF8, 0, strWide.data(), int(strWide.size()),
                                            nullptr, 0, nullptr, nullptr);
    if (nLength <= 0)
        return {};
    std::string strText(std::size_t(nLength), '\0');
    WideCharToMultiByte(CP_UTF8, 0, strWide.data(), int(strWide.size()), strText.data(), nLength,
                        nullptr, nullptr);
    return strText;
}

std::string SystemReason(DWORD nError)
{
    wchar_t* pText = nullptr;
    const DWORD nLength = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, nError, 0, reinterpret_cast<wchar_t*>(&pText), 0, nullptr);
    std::wstring strWide = nLength && pText ? std::wstring(pText, nLength) : std::wstring();
    LocalFree(pText);
    while (!strWide.empty() &&
           (strWide.back() == L'\n' || strWide.back() == L'\r' || strWide.back() == L' '))
        strWide.pop_back();
    if (strWide.empty())
        return "System error " + std::to_string(nError) + ".";
    return Utf8FromWide(strWide);
}
