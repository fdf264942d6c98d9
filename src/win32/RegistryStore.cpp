#include "win32/RegistryStore.h"

#include <windows.h>

namespace
{
// A port name is a few characters; anything far longer is not one.
constexpr DWORD kMaxValueBytes = 4096;

std::string ReadString(HKEY hKey, const char* pszName)
{
    DWORD nType = 0;
    DWORD nSize = 0;
    if (RegQueryValueExA(hKey, pszName, nullptr, &nType, nullptr, &nSize) != ERROR_SUCCESS ||
        nType != REG_SZ || nSize == 0 || nSize > kMaxValueBytes)
        return {};
    std::string strValue(nSize, '\0');
    if (RegQueryValueExA(hKey, pszName, nullptr, &nType, reinterpret_cast<BYTE*>(strValue.data()),
                         &nSize) != ERROR_SUCCESS ||
        nType != REG_SZ || nSize == 0 || nSize > strValue.size() || strValue[nSize - 1] != '\0')
        return {};
    strValue.resize(strValue.find('\0'));
    return strValue;
}
} // namespace

std::optional<std::string> CRegistryStore::Load()
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, m_strKeyPath.c_str(), 0, KEY_QUERY_VALUE, &hKey) !=
        ERROR_SUCCESS)
        return std::nullopt;
    std::string strPort = ReadString(hKey, kValueName);
    RegCloseKey(hKey);
    return strPort;
}

bool CRegistryStore::Save(const std::string& strPort)
{
    // The class is given to a key we create only (Wine would also give it
    // to one that exists).
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, m_strKeyPath.c_str(), 0, KEY_SET_VALUE, &hKey) !=
            ERROR_SUCCESS &&
        RegCreateKeyExA(HKEY_CURRENT_USER, m_strKeyPath.c_str(), 0, const_cast<char*>(kKeyClass),
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &hKey,
                        nullptr) != ERROR_SUCCESS)
        return false;
    // The size counts the terminating NUL.
    const bool bWritten =
        RegSetValueExA(hKey, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(strPort.c_str()),
                       DWORD(strPort.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(hKey);
    return bWritten;
}
