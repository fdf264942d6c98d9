// The settings file's 12 bytes, and loading and saving them through the
// platform's files.

#include "CoreFakes.h"
#include "core/settings/SettingsFile.h"

#include <doctest.h>

namespace
{

std::string FromHex(std::string_view hex)
{
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return bytes;
}

constexpr const char* kShort = "The file is shorter than 12 bytes.";
constexpr const char* kOutside = "A position is outside its list.";

} // namespace

TEST_CASE("a record is three 32-bit little-endian integers, idle first")
{
    CHECK(EncodeSettings({0x01020304, 7, -2}) == FromHex("0403020107000000feffffff"));
}

TEST_CASE("decoding checks the length and every position against its list")
{
    struct {
        const char* pszHex;
        std::optional<CRT3180Data> data;
        const char* pszReason;
    } const rows[] = {
        {"050000000900000003000000", CRT3180Data{5, 9, 3}, ""},
        {"07000000000000000000000009090909", CRT3180Data{7, 0, 0}, ""},
        {"0500000009000000030000", std::nullopt, kShort},
        {"", std::nullopt, kShort},
        {"080000000900000003000000", std::nullopt, kOutside},
        {"ffffffff0900000003000000", std::nullopt, kOutside},
        {"050000000a00000003000000", std::nullopt, kOutside},
        {"05000000ffffffff03000000", std::nullopt, kOutside},
        {"050000000900000004000000", std::nullopt, kOutside},
        {"050000000900000003000001", std::nullopt, kOutside},
    };
    for (const auto& row : rows) {
        CAPTURE(row.pszHex);
        std::string strReason;
        CHECK(DecodeSettings(FromHex(row.pszHex), &strReason) == row.data);
        CHECK(strReason == row.pszReason);
    }
}

TEST_CASE("loading and saving through the platform's files")
{
    CMemoryFiles files;
    const CRT3180Data saved{6, 2, 1};
    const CRT3180Data before{1, 8, 3};
    CHECK(SaveSettingsFile(files, "a.rt3", saved));
    CHECK(files.m_files["a.rt3"] == FromHex("060000000200000001000000"));
    files.m_files["short.rt3"] = FromHex("0600000002000000010000");
    files.m_files["fifo"] = FromHex("060000000200000001000000");
    files.m_notRegular.insert("fifo");

    struct {
        const char* pszPath;
        ELoadResult eResult;
        const char* pszReason;
    } const rows[] = {
        {"a.rt3", ELoadResult::Loaded, ""},
        {"missing.rt3", ELoadResult::NotOpened, "cannot be read"},
        {"fifo", ELoadResult::NotSettings, "not a regular file"},
        {"short.rt3", ELoadResult::NotSettings, kShort},
    };
    for (const auto& row : rows) {
        CAPTURE(row.pszPath);
        CRT3180Data data = before;
        std::string strReason;
        CHECK(LoadSettingsFile(files, row.pszPath, data, &strReason) == row.eResult);
        CHECK(data == (row.eResult == ELoadResult::Loaded ? saved : before));
        CHECK(strReason == row.pszReason);
    }

    files.m_failWrites.insert("a.rt3");
    std::string strReason;
    CHECK(!SaveSettingsFile(files, "a.rt3", before, &strReason));
    CHECK(strReason == "cannot be written");
}
