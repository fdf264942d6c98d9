#include "core/serial/WireLog.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>

namespace
{
// A received line is written at its carriage return, or when this long.
constexpr std::size_t kMaxLine = 64;
constexpr char kCarriageReturn = 13;

std::mutex s_mutex;
std::FILE* s_pFile = nullptr;
std::string s_received;

// The local time with milliseconds, as 2026-12-07T14:41:10.123.
std::string TimeStamp()
{
    using namespace std::chrono;
    const system_clock::time_point now = system_clock::now();
    const std::time_t tNow = system_clock::to_time_t(now);
    const auto nMs = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    char text[32] = {};
    // Caller holds s_mutex, so localtime's shared result is ours.
    if (const std::tm* pLocal = std::localtime(&tNow))
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", pLocal);
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, "%s.%03d", text, static_cast<int>(nMs));
    return stamp;
}

// Caller holds s_mutex.
void WriteLine(const char* pszDirection, std::string_view bytes)
{
    if (!s_pFile || bytes.empty())
        return;
    std::string hex;
    std::string text;
    for (const char ch : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(ch));
        if (!hex.empty())
            hex += ' ';
        hex += digits;
        text += ch < 0x20 || ch > 0x7e ? '.' : ch;
    }
    std::fprintf(s_pFile, "%s %s %s |%s|\n", TimeStamp().c_str(), pszDirection, hex.c_str(),
                 text.c_str());
    std::fflush(s_pFile);
}

void FlushReceived()
{
    WriteLine("RX", s_received);
    s_received.clear();
}
} // namespace

bool CWireLog::Open(const std::string& strFile, std::string* pstrReason)
{
    Close();
    std::FILE* pFile = strFile == "-" ? stderr : std::fopen(strFile.c_str(), "a");
    if (!pFile) {
        if (pstrReason)
            *pstrReason = std::strerror(errno);
        return false;
    }
    const std::lock_guard lock(s_mutex);
    s_pFile = pFile;
    return true;
}

void CWireLog::Close()
{
    const std::lock_guard lock(s_mutex);
    FlushReceived();
    if (s_pFile && s_pFile != stderr)
        std::fclose(s_pFile);
    s_pFile = nullptr;
}

void CWireLog::Sent(std::string_view bytes)
{
    const std::lock_guard lock(s_mutex);
    if (!s_pFile)
        return;
    // A reply cut by our own command is shown as it stood.
    FlushReceived();
    WriteLine("TX", bytes);
}

void CWireLog::Received(unsigned char nByte)
{
    const std::lock_guard lock(s_mutex);
    if (!s_pFile)
        return;
    s_received += static_cast<char>(nByte);
    if (nByte == kCarriageReturn || s_received.size() >= kMaxLine)
        FlushReceived();
}
