#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Every byte on the serial link with the time it passed, for a bug report:
// a line a write, a line a received reply (up to its carriage return), in
// hex and as printable text. Written from the GUI thread and the reader;
// the serial ports of every platform call it.
class CWireLog
{
public:
    // "-" is standard error. False, with the reason, when it cannot be opened.
    static bool Open(const std::string& strFile, std::string* pstrReason = nullptr);
    // Ends the pending received line and closes the file.
    static void Close();

    static void Sent(std::string_view bytes);
    static void Received(unsigned char nByte);
};
