#pragma once

#include "core/platform/Files.h"

#include <string>

// What a kind of file is called in a reason ("a FIFO (named pipe)"), from the
// type bits of st_mode.
std::string FileKind(unsigned nType);

// Whole files with the checks of the POSIX file system. A write replaces the
// file or leaves the old one as it was: the new content goes completely into
// a temporary file beside it, which then takes the file's place. A link stays
// a link (its target is written, where the kernel would follow it); a file
// with other names, or in a folder that cannot hold the temporary file, is
// written in place.
class CPosixFiles : public IFiles
{
public:
    EReadResult ReadRegularFile(const std::string& strPath, std::size_t nMaxBytes,
                                std::string& bytes, std::string* pstrReason = nullptr) override;
    bool WriteWholeFile(const std::string& strPath, std::string_view bytes,
                        std::string* pstrReason = nullptr) override;
};
