#pragma once

#include <QByteArray>
#include <QString>

// What a kind of file is called in a reason ("a FIFO (named pipe)"), from the
// type bits of st_mode.
QString FileKind(unsigned nType);

enum class EReadResult { Read, NotOpened, NotRegular };

// Reads at most nMaxBytes of a regular file. Anything else (a device, a FIFO,
// a folder, also behind a link) is refused before it is opened, and nothing
// blocks. On failure pstrReason receives why.
EReadResult ReadRegularFile(const QString& strPath, qint64 nMaxBytes, QByteArray& bytes,
                            QString* pstrReason = nullptr);

// Replaces the file's content with bytes, or leaves the old file as it was:
// the new content goes completely into a temporary file beside it, which then
// takes the file's place. A link stays a link (its target is written, where
// the kernel would follow it); a file with other names, or in a folder that
// cannot hold the temporary file, is written in place; anything but a regular
// file is refused. On failure pstrReason receives why.
bool WriteWholeFile(const QString& strPath, const QByteArray& bytes, QString* pstrReason = nullptr);
