// Whole files in a temporary folder of the test's own: what is read, what is
// refused, and a write that either replaces the file or leaves it.

#include "win32/Win32Files.h"

#include <doctest.h>
#include <filesystem>
#include <fstream>
#include <windows.h>

namespace fs = std::filesystem;

namespace
{
struct CTempFolder {
    fs::path path =
        fs::temp_directory_path() / ("rt3180-files-" + std::to_string(GetCurrentProcessId()));
    CTempFolder() { fs::create_directories(path); }
    ~CTempFolder()
    {
        std::error_code error;
        fs::remove_all(path, error);
    }
    std::string File(const char8_t* pszName) const { return Utf8(path / pszName); }
    static std::string Utf8(const fs::path& path)
    {
        const std::u8string strText = path.u8string();
        return std::string(strText.begin(), strText.end());
    }
    std::size_t Entries() const
    {
        return std::size_t(std::distance(fs::directory_iterator(path), fs::directory_iterator()));
    }
};

void Plant(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Content(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}
} // namespace

TEST_CASE("reading regular files only")
{
    const CTempFolder folder;
    Plant(folder.path / u8"Größe.rt3", std::string("\x02\0\0\0\x07\0\0\0\x01\0\0\0\xff", 13));
    fs::create_directory(folder.path / "sub.rt3");
    struct {
        std::string strPath;
        std::size_t nMax;
        EReadResult eResult;
        std::string bytes;
        std::string strReason; // "*": the system's words, whatever they are
    } const rows[] = {
        {folder.File(u8"Größe.rt3"), 13, EReadResult::Read,
         std::string("\x02\0\0\0\x07\0\0\0\x01\0\0\0\xff", 13), ""},
        {folder.File(u8"Größe.rt3"), 5, EReadResult::Read, std::string("\x02\0\0\0\x07", 5), ""},
        {folder.File(u8"sub.rt3"), 13, EReadResult::NotRegular, "",
         "This is a folder, not a regular file."},
        {folder.File(u8"missing.rt3"), 13, EReadResult::NotOpened, "", "*"},
        {"NUL", 13, EReadResult::NotRegular, "", "This is a device, not a regular file."},
        {folder.File(u8"COM1"), 13, EReadResult::NotRegular, "",
         "This is a device, not a regular file."},
        {"\\\\.\\pipe\\rt3180", 13, EReadResult::NotRegular, "",
         "This is a device, not a regular file."},
    };
    for (const auto& row : rows) {
        CAPTURE(row.strPath);
        std::string bytes = "old";
        std::string strReason;
        CHECK(CWin32Files().ReadRegularFile(row.strPath, row.nMax, bytes, &strReason) ==
              row.eResult);
        if (row.eResult == EReadResult::Read)
            CHECK(bytes == row.bytes);
        if (row.strReason == "*")
            CHECK(strReason.size() > 5);
        else
            CHECK(strReason == row.strReason);
    }
}

TEST_CASE("writing whole files")
{
    const CTempFolder folder;
    const fs::path file = folder.path / u8"Ü config.rt3";
    CWin32Files files;
    std::string strReason;

    // New, then replaced by shorter content: no old tail, no temporary left.
    REQUIRE(files.WriteWholeFile(folder.File(u8"Ü config.rt3"), "first content", &strReason));
    CHECK(Content(file) == "first content");
    REQUIRE(files.WriteWholeFile(folder.File(u8"Ü config.rt3"), "2nd", &strReason));
    CHECK(Content(file) == "2nd");
    CHECK(folder.Entries() == 1);

    // A file another program holds stays as it was.
    const HANDLE hHeld = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    REQUIRE(hHeld != INVALID_HANDLE_VALUE);
    CHECK_FALSE(files.WriteWholeFile(folder.File(u8"Ü config.rt3"), "third", &strReason));
    CHECK(strReason.size() > 5);
    CloseHandle(hHeld);
    CHECK(Content(file) == "2nd");
    CHECK(folder.Entries() == 1);

    // Not a file: refused, left alone.
    fs::create_directory(folder.path / "sub");
    strReason.clear();
    CHECK_FALSE(files.WriteWholeFile(folder.File(u8"sub"), "x", &strReason));
    CHECK(strReason == "This is a folder, not a regular file.");
    CHECK(fs::is_directory(folder.path / "sub"));
    CHECK_FALSE(files.WriteWholeFile("NUL", "x", &strReason));
    CHECK(strReason == "This is a device, not a regular file.");
}
