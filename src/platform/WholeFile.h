#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file's content with bytes, or leaves the old file as it was:
// the new content goes completely into a temporary file beside it, which then
// takes the file's place. On failure pstrReason receives why.
bool WriteWholeFile(const QString& strPath, const QByteArray& bytes, QString* pstrReason = nullptr);
