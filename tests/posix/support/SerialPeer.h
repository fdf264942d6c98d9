#pragma once

// The far end of the serial link for the tests and the bench: a real
// pseudo-terminal whose master side we hold, while the program opens the
// slave path as its port. Also a look at the reader thread from outside.

#include "serial/SerialPort.h"

#include <QDir>
#include <QFile>
#include <QObject>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <utility>

class CPtyPeer
{
public:
    CPtyPeer() : m_nMaster(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC))
    {
        char name[128] = {};
        if (m_nMaster >= 0 && grantpt(m_nMaster) == 0 && unlockpt(m_nMaster) == 0 &&
            ptsname_r(m_nMaster, name, sizeof name) == 0)
            m_strPath = QString::fromLocal8Bit(name);
    }
    ~CPtyPeer()
    {
        Hangup();
        close(m_nOwnSlave);
    }
    // It owns its descriptors: a copy would close them twice.
    CPtyPeer(const CPtyPeer&) = delete;
    CPtyPeer& operator=(const CPtyPeer&) = delete;

    // The device path the program opens.
    QString Path() const { return m_strPath; }
    bool IsValid() const { return m_nMaster >= 0 && !m_strPath.isEmpty(); }

    // Our own descriptor on the program's side of the terminal, to read back
    // its settings or stall its output. Taken before the program opens.
    int OwnSlave()
    {
        if (m_nOwnSlave < 0)
            m_nOwnSlave = open(QFile::encodeName(m_strPath), O_RDWR | O_NOCTTY | O_CLOEXEC);
        return m_nOwnSlave;
    }

    // Writes every byte (blocking while the terminal's buffers are full).
    bool Send(const QByteArray& bytes)
    {
        for (qsizetype nDone = 0; nDone < bytes.size();) {
            const ssize_t n = write(m_nMaster, bytes.constData() + nDone, bytes.size() - nDone);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            nDone += n;
        }
        return true;
    }

    // What the program has sent: waits up to nWaitMs for each next chunk
    // until nCount bytes are there or nothing more comes.
    QByteArray Receive(qsizetype nCount, int nWaitMs)
    {
        QByteArray bytes;
        char chunk[256];
        pollfd fd{m_nMaster, POLLIN, 0};
        ssize_t n = 0;
        while (bytes.size() < nCount && poll(&fd, 1, nWaitMs) > 0 && (fd.revents & POLLIN) &&
               (n = read(m_nMaster, chunk, sizeof chunk)) > 0)
            bytes.append(chunk, n);
        return bytes;
    }

    // The other end goes away, as when an adapter is pulled.
    void Hangup() { close(std::exchange(m_nMaster, -1)); }

private:
    int m_nMaster = -1;
    int m_nOwnSlave = -1;
    QString m_strPath;
};

// A port of the program that collects the bytes its reader posts, as the
// dialog receives them. Bases go in reverse order: the port, and with it the
// reader, ends before the object it posts to.
class CCollectingPort : public QObject, public CSerialPort
{
public:
    CCollectingPort() { m_pOwner = this; }
    // The bytes in order, and kHangup where the reader reported a hang-up.
    QList<unsigned> m_bytes;
    static constexpr unsigned kHangup = 0x100;

protected:
    bool event(QEvent* pEvent) override
    {
        if (pEvent->type() == PROC_KOLV_HANGUP)
            m_bytes.append(kHangup);
        else if (pEvent->type() == PROC_KOLV_MSG)
            for (const char ch : static_cast<CReceivedByteEvent*>(pEvent)->Bytes())
                m_bytes.append(static_cast<unsigned char>(ch));
        else
            return QObject::event(pEvent);
        return true;
    }
};

// The reader threads of this process still alive, by the name the reader
// gives itself. A stat line reads "tid (name) state ...": Z and X are threads
// that have ended but are not yet reaped.
inline QList<int> ReaderThreads()
{
    QList<int> tids;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QFileInfo& task : tasks.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(task.filePath() + QStringLiteral("/stat"));
        const QByteArray line = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
        if (line.contains("(rt3180-reader) ") &&
            !QByteArray("ZX").contains(line.mid(line.lastIndexOf(')') + 2, 1)))
            tids.append(task.fileName().toInt());
    }
    return tids;
}
