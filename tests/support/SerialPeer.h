#pragma once

// The far end of the serial link for the tests and the bench: a real
// pseudo-terminal whose master side we hold, while the program opens the
// slave path as its port. Also a look at the reader thread from outside.

#include "platform/RegisteredMessage.h"
#include "serial/SerialPort.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QObject>
#include <QString>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

class CPtyPeer
{
public:
    CPtyPeer()
    {
        m_nMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[128] = {};
        if (m_nMaster >= 0 && grantpt(m_nMaster) == 0 && unlockpt(m_nMaster) == 0 &&
            ptsname_r(m_nMaster, name, sizeof name) == 0)
            m_strPath = QString::fromLocal8Bit(name);
    }
    ~CPtyPeer()
    {
        Hangup();
        if (m_nOwnSlave >= 0)
            close(m_nOwnSlave);
    }
    CPtyPeer(const CPtyPeer&) = delete;
    CPtyPeer& operator=(const CPtyPeer&) = delete;

    // The device path the program opens.
    QString Path() const { return m_strPath; }
    bool IsValid() const { return m_nMaster >= 0 && !m_strPath.isEmpty(); }

    // A descriptor of our own on the program's side of the terminal, to read
    // back its settings or stall its output. Taken before the program opens.
    int OwnSlave()
    {
        if (m_nOwnSlave < 0)
            m_nOwnSlave =
                open(QFile::encodeName(m_strPath).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        return m_nOwnSlave;
    }

    // Writes every byte (blocking while the terminal's buffers are full).
    bool Send(const QByteArray& bytes)
    {
        qsizetype nDone = 0;
        while (nDone < bytes.size()) {
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
        while (bytes.size() < nCount) {
            pollfd fd{m_nMaster, POLLIN, 0};
            if (poll(&fd, 1, nWaitMs) <= 0 || !(fd.revents & POLLIN))
                break;
            char chunk[256];
            const ssize_t n = read(m_nMaster, chunk, sizeof chunk);
            if (n <= 0)
                break;
            bytes.append(chunk, n);
        }
        return bytes;
    }

    // The other end goes away, as when an adapter is pulled.
    void Hangup()
    {
        if (m_nMaster >= 0)
            close(m_nMaster);
        m_nMaster = -1;
    }

private:
    int m_nMaster = -1;
    int m_nOwnSlave = -1;
    QString m_strPath;
};

// Collects the bytes the reader posts, as the dialog receives them.
class CByteCollector : public QObject
{
public:
    QList<unsigned> m_bytes;

    QByteArray Bytes() const
    {
        QByteArray bytes;
        for (unsigned nByte : m_bytes)
            bytes.append(static_cast<char>(nByte));
        return bytes;
    }

protected:
    bool event(QEvent* pEvent) override
    {
        if (pEvent->type() != PROC_KOLV_MSG)
            return QObject::event(pEvent);
        m_bytes.append(static_cast<CReceivedByteEvent*>(pEvent)->Byte());
        return true;
    }
};

// A port of the program whose bytes are collected as the dialog gets them.
class CCollectingPort : public CSerialPort
{
public:
    CCollectingPort() { m_pOwner = &m_owner; }
    // The reader posts to m_owner: it ends before m_owner goes.
    ~CCollectingPort() { Close(); }

    CByteCollector m_owner;
};

// The reader threads of this process that are still alive, by the name the
// reader gives itself.
inline QList<int> ReaderThreads()
{
    QList<int> tids;
    const QString strTasks = QStringLiteral("/proc/self/task");
    for (const QString& strTid : QDir(strTasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(strTasks + QLatin1Char('/') + strTid + QStringLiteral("/comm"));
        QFile stat(strTasks + QLatin1Char('/') + strTid + QStringLiteral("/stat"));
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != "rt3180-reader" ||
            !stat.open(QIODevice::ReadOnly))
            continue;
        // The state follows the parenthesised name: Z and X are threads that
        // have ended but not yet been reaped.
        const QByteArray line = stat.readAll();
        const qsizetype nState = line.lastIndexOf(')') + 2;
        const char chState = nState < line.size() ? line.at(nState) : 'X';
        if (chState != 'Z' && chState != 'X')
            tids.append(strTid.toInt());
    }
    return tids;
}

// CPU time a thread of this process has used, in nanoseconds.
inline qint64 ThreadCpuNs(int nTid)
{
    QFile schedstat(QStringLiteral("/proc/self/task/%1/schedstat").arg(nTid));
    if (!schedstat.open(QIODevice::ReadOnly))
        return -1;
    return schedstat.readAll().split(' ').value(0).toLongLong();
}
