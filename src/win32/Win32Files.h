#pragma once

#include "core/platform/Files.h"

// Whole files on Windows' file system. Reading takes disk files only: a
// device name, a folder or a pipe is refused before it is opened. A write
// puts the new content completely into a temporary file beside the old one,
// which then takes its place (ReplaceFileW keeps the old file's attributes
// and security), or leaves the old file as it was; through a link, the
// link's target is written.
class CWin32Files : public IFiles
{
public:
    EReadResult ReadRegularFile(const std::string& strPath, std::size_t nMaxBytes,
                                std::string& bytes, std::string* pstrReason = nullptr) override;
    bool WriteWholeFile(const std::string& strPath, std::string_view bytes,
                        std::string* pstrReason = nullptr) override;
};
