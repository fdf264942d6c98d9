#pragma once

#include <QString>
#include <cstddef>

// Every byte on the serial link with the time it passed, for a bug report:
// a line a write, a line a received reply (up to its carriage return), in
// hex and as printable text. Written from the GUI thread and the reader.
class CWireLog
{
public:
    // "-" is standard error. False, with the reason, when it cannot be opened.
    static bool Open(const QString& strFile, QString* pstrReason = nullptr);
    // Ends the pending received line and closes the file.
    static void Close();

    static void Sent(const void* pBuffer, std::size_t nCount);
    static void Received(unsigned char nByte);
};
