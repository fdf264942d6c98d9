#include "win32/ComPortCatalog.h"

#include "core/port/PortNames.h"
#include "win32/Win32Text.h"

#include <algorithm>
#include <setupapi.h>
#include <windows.h>

namespace
{

// The Ports device class (GUID_DEVCLASS_PORTS), here rather than from a library.
constexpr GUID kPortsClass{
    0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

bool IsDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

char AsciiLower(char ch)
{
    return ch >= 'A' && ch <= 'Z' ? char(ch - 'A' + 'a') : ch;
}

bool IsMenuPort(const std::string& strPort)
{
    return std::find(kPortNames.begin(), kPortNames.end(), strPort) != kPortNames.end();
}

// "COM7" and "com7:" are one port; other names are compared without case.
bool SamePort(const std::string& strLeft, const std::string& strRight)
{
    const std::optional<int> nLeft = ComPortNumber(strLeft);
    if (nLeft || ComPortNumber(strRight))
        return nLeft == ComPortNumber(strRight);
    return std::equal(strLeft.begin(), strLeft.end(), strRight.begin(), strRight.end(),
                      [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
}

// Menu texts take '&' as a shortcut mark.
std::string MenuText(const std::string& strText)
{
    std::string strMenu;
    for (const char ch : strText) {
        strMenu += ch;
        if (ch == '&')
            strMenu += '&';
    }
    return strMenu;
}

std::string ItemText(const CComPortInfo& port)
{
    if (port.strFriendlyName.empty())
        return MenuText(port.strPort);
    if (port.strFriendlyName.find("(" + port.strPort + ")") != std::string::npos)
        return MenuText(port.strFriendlyName);
    return MenuText(port.strFriendlyName + " (" + port.strPort + ")");
}

// A REG_SZ read into a wide buffer: up to its first NUL.
std::string TextOf(const wchar_t* pText, DWORD nBytes)
{
    const std::wstring_view strWide(pText, nBytes / sizeof(wchar_t));
    return Utf8FromWide(strWide.substr(0, strWide.find(L'\0')));
}

void AddSerialCommPorts(std::vector<CComPortInfo>& ports)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE,
                      &hKey) != ERROR_SUCCESS)
        return;
    for (DWORD nIndex = 0;; ++nIndex) {
        wchar_t name[256];
        wchar_t data[256];
        DWORD nNameLength = DWORD(std::size(name));
        DWORD nDataBytes = sizeof data;
        DWORD nType = 0;
        const LONG nResult = RegEnumValueW(hKey, nIndex, name, &nNameLength, nullptr, &nType,
                                           reinterpret_cast<BYTE*>(data), &nDataBytes);
        if (nResult == ERROR_NO_MORE_ITEMS)
            break;
        if (nResult == ERROR_SUCCESS && nType == REG_SZ)
            ports.push_back({TextOf(data, nDataBytes), {}});
    }
    RegCloseKey(hKey);
}

void AddFriendlyNames(std::vector<CComPortInfo>& ports)
{
    const HDEVINFO hDevices = SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
    if (hDevices == INVALID_HANDLE_VALUE)
        return;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD nIndex = 0; SetupDiEnumDeviceInfo(hDevices, nIndex, &device); ++nIndex) {
        wchar_t text[256];
        DWORD nBytes = sizeof text;
        DWORD nType = 0;
        const HKEY hKey = SetupDiOpenDevRegKey(hDevices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV,
                                               KEY_QUERY_VALUE);
        if (hKey == INVALID_HANDLE_VALUE)
            continue;
        const bool bNamed =
            RegQueryValueExW(hKey, L"PortName", nullptr, &nType, reinterpret_cast<BYTE*>(text),
                             &nBytes) == ERROR_SUCCESS &&
            nType == REG_SZ;
        RegCloseKey(hKey);
        if (!bNamed)
            continue;
        const std::string strPort = TextOf(text, nBytes);
        nBytes = sizeof text;
        if (!SetupDiGetDeviceRegistryPropertyW(hDevices, &device, SPDRP_FRIENDLYNAME, &nType,
                                               reinterpret_cast<BYTE*>(text), nBytes, &nBytes) ||
            nType != REG_SZ)
            continue;
        const std::string strFriendly = TextOf(text, nBytes);
        auto it = std::find_if(ports.begin(), ports.end(),
                               [&](const CComPortInfo& port) { return port.strPort == strPort; });
        if (it == ports.end())
            ports.push_back({strPort, strFriendly});
        else
            it->strFriendlyName = strFriendly;
    }
    SetupDiDestroyDeviceInfoList(hDevices);
}

} // namespace

bool NaturalLess(std::string_view strLeft, std::string_view strRight)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < strLeft.size() && j < strRight.size()) {
        if (IsDigit(strLeft[i]) && IsDigit(strRight[j])) {
            // Leading zeros aside, a longer run of digits is the larger number.
            while (i < strLeft.size() && strLeft[i] == '0')
                ++i;
            while (j < strRight.size() && strRight[j] == '0')
                ++j;
            std::size_t nEndLeft = i;
            std::size_t nEndRight = j;
            while (nEndLeft < strLeft.size() && IsDigit(strLeft[nEndLeft]))
                ++nEndLeft;
            while (nEndRight < strRight.size() && IsDigit(strRight[nEndRight]))
                ++nEndRight;
            const std::string_view left = strLeft.substr(i, nEndLeft - i);
            const std::string_view right = strRight.substr(j, nEndRight - j);
            if (left.size() != right.size())
                return left.size() < right.size();
            if (left != right)
                return left < right;
            i = nEndLeft;
            j = nEndRight;
            continue;
        }
        const char chLeft = AsciiLower(strLeft[i++]);
        const char chRight = AsciiLower(strRight[j++]);
        if (chLeft != chRight)
            return chLeft < chRight;
    }
    return strLeft.size() - i < strRight.size() - j;
}

std::vector<CSerialDevice> PortMenuItems(std::vector<CComPortInfo> ports,
                                         const std::string& strStoredPort)
{
    std::sort(ports.begin(), ports.end(), [](const CComPortInfo& a, const CComPortInfo& b) {
        return NaturalLess(a.strPort, b.strPort);
    });
    std::vector<CSerialDevice> items;
    for (const CComPortInfo& port : ports) {
        const bool bListed = !items.empty() && items.back().strPath == port.strPort;
        if (!bListed && (!IsMenuPort(port.strPort) || !port.strFriendlyName.empty()))
            items.push_back({port.strPort, ItemText(port)});
    }
    const bool bStoredListed =
        std::any_of(items.cbegin(), items.cend(),
                    [&](const CSerialDevice& d) { return d.strPath == strStoredPort; });
    if (!strStoredPort.empty() && !IsMenuPort(strStoredPort) && !bStoredListed) {
        const bool bPresent = std::any_of(ports.cbegin(), ports.cend(), [&](const CComPortInfo& p) {
            return SamePort(p.strPort, strStoredPort);
        });
        items.push_back(
            {strStoredPort, MenuText(bPresent ? strStoredPort : strStoredPort + " (absent)")});
    }
    return items;
}

std::vector<CComPortInfo> CComPortCatalog::PresentPorts()
{
    std::vector<CComPortInfo> ports;
    AddSerialCommPorts(ports);
    AddFriendlyNames(ports);
    return ports;
}

std::vector<CSerialDevice> CComPortCatalog::ListSerialDevices(const std::string& strStoredPort)
{
    return PortMenuItems(PresentPorts(), strStoredPort);
}

std::string CComPortCatalog::PortFromTyped(const std::string& strTyped)
{
    if (!ComPortNumber(strTyped))
        return strTyped;
    return "COM" + strTyped.substr(3);
}

bool CComPortCatalog::IsTypedPort(const std::string& strPort)
{
    return !strPort.empty() && !IsMenuPort(strPort);
}
