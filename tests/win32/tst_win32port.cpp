// The stored port in the registry of the test's Wine prefix (under a key of
// the test's own), and the Port menu's COM port items.

#include "win32/ComPortCatalog.h"
#include "win32/RegistryStore.h"

#include <doctest.h>
#include <windows.h>

namespace
{
const std::string kTestKey = "SOFTWARE\\KOLV\\RT318-test-" + std::to_string(GetCurrentProcessId());

// "Port" of the test key as stored (as UTF-16, as the registry holds it).
struct CRawValue {
    DWORD nType = REG_NONE;
    std::string bytes;
};

std::optional<CRawValue> ReadRaw()
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, std::wstring(kTestKey.begin(), kTestKey.end()).c_str(), 0,
                      KEY_QUERY_VALUE, &hKey))
        return std::nullopt;
    CRawValue value;
    value.bytes.resize(8192);
    DWORD nSize = DWORD(value.bytes.size());
    const bool bRead = !RegQueryValueExW(hKey, L"Port", nullptr, &value.nType,
                                         reinterpret_cast<BYTE*>(value.bytes.data()), &nSize);
    RegCloseKey(hKey);
    value.bytes.resize(bRead ? nSize : 0);
    return value;
}

std::string KeyClass()
{
    HKEY hKey = nullptr;
    char text[256] = "<no key>";
    DWORD nLength = sizeof text;
    if (!RegOpenKeyExA(HKEY_CURRENT_USER, kTestKey.c_str(), 0, KEY_QUERY_VALUE, &hKey)) {
        RegQueryInfoKeyA(hKey, text, &nLength, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr);
        RegCloseKey(hKey);
    }
    return text;
}

// The test key made afresh, holding "Port" as given (none without a value).
void PlantKey(const std::optional<CRawValue>& value)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey.c_str());
    HKEY hKey = nullptr;
    REQUIRE(!RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                             nullptr, &hKey, nullptr));
    if (value && value->nType != REG_NONE)
        RegSetValueExA(hKey, "Port", 0, value->nType,
                       reinterpret_cast<const BYTE*>(value->bytes.data()),
                       DWORD(value->bytes.size()));
    RegCloseKey(hKey);
}
} // namespace

// What a key gives, and what saving COM12 into it leaves.
TEST_CASE("the stored port in the registry")
{
    using namespace std::string_literals;
    struct {
        std::string strCase;
        std::optional<CRawValue> planted; // nothing: no key
        std::optional<std::string> loaded;
    } const rows[] = {
        {"no key", std::nullopt, std::nullopt},
        {"no value", CRawValue{}, ""},
        {"a port", CRawValue{REG_SZ, "COM27\0"s}, "COM27"},
        {"a device", CRawValue{REG_SZ, "\\\\.\\CNCB3\0"s}, "\\\\.\\CNCB3"},
        {"empty", CRawValue{REG_SZ, "\0"s}, ""},
        {"text after a NUL", CRawValue{REG_SZ, "COM5\0COM6\0"s}, "COM5"},
        {"a number", CRawValue{REG_DWORD, "\x07\0\0\0"s}, ""},
        {"expandable", CRawValue{REG_EXPAND_SZ, "COM9\0"s}, ""},
        {"oversized", CRawValue{REG_SZ, std::string(5000, 'C') + '\0'}, ""},
    };
    for (const auto& row : rows) {
        CAPTURE(row.strCase);
        if (row.planted)
            PlantKey(row.planted);
        else
            RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey.c_str());
        CRegistryStore store(kTestKey);
        CHECK(store.Load() == row.loaded);

        // The key keeps a class it had; a new one is given ours.
        REQUIRE(store.Save("COM12"));
        const std::optional<CRawValue> saved = ReadRaw();
        REQUIRE(saved);
        CHECK(saved->nType == REG_SZ);
        CHECK(saved->bytes == std::string(reinterpret_cast<const char*>(L"COM12"), 12));
        CHECK(KeyClass() == (row.planted ? "" : CRegistryStore::kKeyClass));
        CHECK(store.Load() == "COM12");
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey.c_str());
}

// Ports beyond the menu's four, and those four only with a friendly name, in
// natural order; then the stored port when it is none of the items.
TEST_CASE("the Port menu's COM port items")
{
    const std::vector<CComPortInfo> ports{{"COM100", ""},
                                          {"COM2", ""},
                                          {"COM10", "Maker & Co Adapter"},
                                          {"COM3", "USB Serial Port (COM3)"},
                                          {"CNCA0", ""},
                                          {"COM9", ""},
                                          {"COM11", ""}};
    const std::vector<std::string> listed{"CNCA0 CNCA0", "COM3 USB Serial Port (COM3)",
                                          "COM9 COM9",   "COM10 Maker && Co Adapter (COM10)",
                                          "COM11 COM11", "COM100 COM100"};
    struct {
        const char* pszStored;
        const char* pszAdded; // "": nothing added
    } const rows[] = {{"COM2", ""},
                      {"COM11", ""},
                      {"COM33", "COM33 COM33 (absent)"},
                      {"COM2:", "COM2: COM2:"},
                      {"com9", "com9 com9"},
                      {"A&B", "A&B A&&B (absent)"}};
    for (const auto& row : rows) {
        CAPTURE(row.pszStored);
        std::vector<std::string> items;
        for (const CSerialDevice& device : PortMenuItems(ports, row.pszStored))
            items.push_back(device.strPath + " " + device.strText);
        std::vector<std::string> expected = listed;
        if (*row.pszAdded)
            expected.push_back(row.pszAdded);
        CHECK(items == expected);
    }
}

TEST_CASE("typed port names")
{
    CComPortCatalog catalog;
    struct {
        const char* pszTyped;
        const char* pszPort;
        bool bTyped; // offered again under "Other..."
    } const rows[] = {{"com7", "COM7", true},  {"cOm12:", "COM12:", true},
                      {"COM4", "COM4", false}, {"CNCA0", "CNCA0", true},
                      {"com0", "com0", true},  {"COM1", "COM1", false}};
    for (const auto& row : rows) {
        CAPTURE(row.pszTyped);
        CHECK(catalog.PortFromTyped(row.pszTyped) == row.pszPort);
        CHECK(catalog.IsTypedPort(catalog.PortFromTyped(row.pszTyped)) == row.bTyped);
    }
}
