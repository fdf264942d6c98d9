#include "win32/Win32Files.h"

#include "win32/Win32Text.h"

#include <windows.h>

namespace
{

constexpr const char* kNotRegularFolder = "This is a folder, not a regular file.";
constexpr const char* kNotRegularDevice = "This is a device, not a regular file.";
constexpr const char* kNotRegularPipe = "This is a pipe, not a regular file.";

// A chunk of a read or write, well below what one call takes.
constexpr DWORD kChunkBytes = 1 << 20;

// Closes a file handle on every path.
class CFileHandle
{
public:
    explicit CFileHandle(HANDLE hFile) : m_hFile(hFile) {}
    ~CFileHandle() { Close(); }
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;
    HANDLE Get() const { return m_hFile; }
    bool IsValid() const { return m_hFile != INVALID_HANDLE_VALUE; }
    bool Close()
    {
        const bool bClosed = !IsValid() || CloseHandle(m_hFile);
        m_hFile = INVALID_HANDLE_VALUE;
        return bClosed;
    }

private:
    HANDLE m_hFile;
};

bool Fail(std::string* pstrReason, const std::string& strReason)
{
    if (pstrReason)
        *pstrReason = strReason;
    return false;
}

bool FailWithSystemReason(std::string* pstrReason)
{
    return Fail(pstrReason, SystemReason(GetLastError()));
}

// The full path (Read); NotOpened for a name that is not UTF-8, NotRegular
// for one of a device ("COM1", "C:\folder\NUL", "\\.\pipe\x").
EReadResult FullPath(const std::string& strPath, std::wstring& strFull, std::string* pstrReason)
{
    std::wstring strWide;
    if (strPath.empty())
        SetLastError(ERROR_PATH_NOT_FOUND);
    DWORD nLength = 0;
    if (strPath.empty() || !WideFromUtf8(strPath, strWide) ||
        (nLength = GetFullPathNameW(strWide.c_str(), 0, nullptr, nullptr)) == 0) {
        FailWithSystemReason(pstrReason);
        return EReadResult::NotOpened;
    }
    strFull.resize(nLength);
    const DWORD nWritten = GetFullPathNameW(strWide.c_str(), nLength, strFull.data(), nullptr);
    if (nWritten == 0 || nWritten >= nLength) {
        FailWithSystemReason(pstrReason);
        return EReadResult::NotOpened;
    }
    strFull.resize(nWritten);
    // Drive paths ("C:\...", "\\?\C:\...") and shares name files; the
    // device namespace does not.
    const bool bDevice =
        strFull.starts_with(L"\\\\.\\") ||
        (strFull.starts_with(L"\\\\?\\") && !strFull.starts_with(L"\\\\?\\UNC\\") &&
         !(strFull.size() > 6 && strFull[5] == L':'));
    if (bDevice) {
        Fail(pstrReason, kNotRegularDevice);
        return EReadResult::NotRegular;
    }
    return EReadResult::Read;
}

// Why what attributes describe is not a regular file; nothing when it is one.
const char* NotRegularReason(DWORD nAttributes)
{
    if (nAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return kNotRegularFolder;
    if (nAttributes & FILE_ATTRIBUTE_DEVICE)
        return kNotRegularDevice;
    return nullptr;
}

// Checked again on the open handle: the name may have been swapped.
const char* NotRegularReason(HANDLE hFile)
{
    switch (GetFileType(hFile)) {
    case FILE_TYPE_DISK:
        break;
    case FILE_TYPE_PIPE:
        return kNotRegularPipe;
    default:
        return kNotRegularDevice;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(hFile, &info))
        return kNotRegularDevice;
    return NotRegularReason(info.dwFileAttributes);
}

// The end of a chain of links: the file a write through strFull lands on.
bool LinkTarget(std::wstring& strFull, std::string* pstrReason)
{
    CFileHandle file(CreateFileW(strFull.c_str(), 0,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.IsValid())
        return FailWithSystemReason(pstrReason);
    std::wstring strTarget(MAX_PATH, L'\0');
    DWORD nLength = GetFinalPathNameByHandleW(file.Get(), strTarget.data(), DWORD(strTarget.size()),
                                              FILE_NAME_NORMALIZED);
    if (nLength >= strTarget.size()) {
        strTarget.resize(nLength + 1);
        nLength = GetFinalPathNameByHandleW(file.Get(), strTarget.data(), DWORD(strTarget.size()),
                                            FILE_NAME_NORMALIZED);
    }
    if (nLength == 0 || nLength >= strTarget.size())
        return FailWithSystemReason(pstrReason);
    strTarget.resize(nLength);
    strFull = strTarget;
    return true;
}

bool WriteAll(HANDLE hFile, std::string_view bytes)
{
    while (!bytes.empty()) {
        const DWORD nChunk = bytes.size() < kChunkBytes ? DWORD(bytes.size()) : kChunkBytes;
        DWORD nWritten = 0;
        if (!WriteFile(hFile, bytes.data(), nChunk, &nWritten, nullptr))
            return false;
        if (nWritten == 0) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        bytes.remove_prefix(nWritten);
    }
    return true;
}

// A new file beside strTarget, named after it, that no one else uses.
CFileHandle CreateTemporary(const std::wstring& strTarget, std::wstring& strTemporary)
{
    const std::wstring strStem = strTarget + L"." + std::to_wstring(GetCurrentProcessId()) + L"-";
    for (int nAttempt = 0; nAttempt < 100; ++nAttempt) {
        strTemporary = strStem + std::to_wstring(nAttempt) + L".tmp";
        HANDLE hFile = CreateFileW(strTemporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return CFileHandle(hFile);
    }
    return CFileHandle(INVALID_HANDLE_VALUE);
}

} // namespace

EReadResult CWin32Files::ReadRegularFile(const std::string& strPath, std::size_t nMaxBytes,
                                         std::string& bytes, std::string* pstrReason)
{
    std::wstring strFull;
    if (const EReadResult eName = FullPath(strPath, strFull, pstrReason);
        eName != EReadResult::Read)
        return eName;
    const DWORD nAttributes = GetFileAttributesW(strFull.c_str());
    if (nAttributes == INVALID_FILE_ATTRIBUTES) {
        FailWithSystemReason(pstrReason);
        return EReadResult::NotOpened;
    }
    if (const char* pszReason = NotRegularReason(nAttributes)) {
        Fail(pstrReason, pszReason);
        return EReadResult::NotRegular;
    }
    CFileHandle file(CreateFileW(strFull.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) {
        FailWithSystemReason(pstrReason);
        return EReadResult::NotOpened;
    }
    if (const char* pszReason = NotRegularReason(file.Get())) {
        Fail(pstrReason, pszReason);
        return EReadResult::NotRegular;
    }
    bytes.resize(nMaxBytes);
    std::size_t nDone = 0;
    while (nDone < nMaxBytes) {
        const std::size_t nLeft = nMaxBytes - nDone;
        DWORD nRead = 0;
        if (!ReadFile(file.Get(), bytes.data() + nDone,
                      nLeft < kChunkBytes ? DWORD(nLeft) : kChunkBytes, &nRead, nullptr)) {
            FailWithSystemReason(pstrReason);
            bytes.resize(nDone);
            return EReadResult::NotOpened;
        }
        if (nRead == 0)
            break;
        nDone += nRead;
    }
    bytes.resize(nDone);
    return EReadResult::Read;
}

bool CWin32Files::WriteWholeFile(const std::string& strPath, std::string_view bytes,
                                 std::string* pstrReason)
{
    std::wstring strTarget;
    if (FullPath(strPath, strTarget, pstrReason) != EReadResult::Read)
        return false;
    DWORD nAttributes = GetFileAttributesW(strTarget.c_str());
    if (nAttributes != INVALID_FILE_ATTRIBUTES && (nAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (!LinkTarget(strTarget, pstrReason))
            return false;
        nAttributes = GetFileAttributesW(strTarget.c_str());
    }
    const bool bExists = nAttributes != INVALID_FILE_ATTRIBUTES;
    if (const char* pszReason = bExists ? NotRegularReason(nAttributes) : nullptr)
        return Fail(pstrReason, pszReason);

    // A file another program holds cannot be replaced: found out before
    // anything is written (Wine's ReplaceFileW would leave a file of its own).
    if (bExists && !CFileHandle(CreateFileW(strTarget.c_str(), DELETE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
                        .IsValid())
        return FailWithSystemReason(pstrReason);

    std::wstring strTemporary;
    CFileHandle temporary = CreateTemporary(strTarget, strTemporary);
    if (!temporary.IsValid())
        return FailWithSystemReason(pstrReason);
    DWORD nError = 0;
    if (!WriteAll(temporary.Get(), bytes) || !FlushFileBuffers(temporary.Get()))
        nError = GetLastError();
    if (!temporary.Close() && nError == 0)
        nError = GetLastError();
    if (nError == 0 && !(bExists ? ReplaceFileW(strTarget.c_str(), strTemporary.c_str(), nullptr,
                                                REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                                 : MoveFileExW(strTemporary.c_str(), strTarget.c_str(),
                                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)))
        nError = GetLastError();
    if (nError == 0)
        return true;
    DeleteFileW(strTemporary.c_str());
    return Fail(pstrReason, SystemReason(nError));
}
