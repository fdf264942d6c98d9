#include "serial/WireLog.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace
{
// A received line is written at its carriage return, or when this long.
constexpr qsizetype kMaxLine = 64;
constexpr char kCarriageReturn = 13;

std::mutex s_mutex;
std::FILE* s_pFile = nullptr;
QByteArray s_received;

// Caller holds s_mutex.
void WriteLine(const char* pszDirection, const QByteArray& bytes)
{
    if (!s_pFile || bytes.isEmpty())
        return;
    QByteArray text = bytes;
    for (char& ch : text) {
        if (ch < 0x20 || ch > 0x7e)
            ch = '.';
    }
    const QByteArray stamp = QDateTime::currentDateTime().toString(Qt::ISODateWithMs).toLatin1();
    std::fprintf(s_pFile, "%s %s %s |%s|\n", stamp.constData(), pszDirection,
                 bytes.toHex(' ').constData(), text.constData());
    std::fflush(s_pFile);
}

void FlushReceived()
{
    WriteLine("RX", s_received);
    s_received.clear();
}
} // namespace

bool CWireLog::Open(const QString& strFile, QString* pstrReason)
{
    Close();
    std::FILE* pFile =
        strFile == QStringLiteral("-") ? stderr : std::fopen(QFile::encodeName(strFile), "a");
    if (!pFile) {
        if (pstrReason)
            *pstrReason = QString::fromLocal8Bit(std::strerror(errno));
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

void CWireLog::Sent(const void* pBuffer, std::size_t nCount)
{
    const std::lock_guard lock(s_mutex);
    if (!s_pFile)
        return;
    // A reply cut by our own command is shown as it stood.
    FlushReceived();
    WriteLine("TX", QByteArray(static_cast<const char*>(pBuffer), qsizetype(nCount)));
}

void CWireLog::Received(unsigned char nByte)
{
    const std::lock_guard lock(s_mutex);
    if (!s_pFile)
        return;
    s_received.append(char(nByte));
    if (nByte == kCarriageReturn || s_received.size() >= kMaxLine)
        FlushReceived();
}
