#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum class EReadResult { Read, NotOpened, NotRegular };

// Whole files, read and written by the platform with its checks. Paths are
// UTF-8.
class IFiles
{
public:
    virtual ~IFiles() = default;

    // At most nMaxBytes of a regular file. Anything else (a device, a FIFO, a
    // folder, also behind a link) is refused before it is opened, and nothing
    // blocks. On failure pstrReason receives why, in words for the user.
    virtual EReadResult ReadRegularFile(const std::string& strPath, std::size_t nMaxBytes,
                                        std::string& bytes, std::string* pstrReason) = 0;
    // Replaces the file's content with bytes, or leaves the old file as it
    // was; anything but a regular file is refused.
    virtual bool WriteWholeFile(const std::string& strPath, std::string_view bytes,
                                std::string* pstrReason) = 0;
};
