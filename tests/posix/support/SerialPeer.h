#pragma once

// The far end of the serial link for the tests and the bench: a real
// pseudo-terminal whose master side we hold, while the program opens the
// slave path as its port; the queue the reader posts to; and a look at the
// reader thread from outside.

#include "QtSupport.h"
#include "core/serial/ReceiveQueue.h"

#include <QDir>
#include <QList>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <poll.h>
#include <utility>
#include <vector>

class CPtyPeer : public CPty
{
public:
    ~CPtyPeer() { close(m_nOwnSlave); }

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
    int m_nOwnSlave = -1;
};

// The queue of a program without a window: keeps what the reader posts, in
// order, and lets the test wait for it. Held chunks keep their places at the
// reader's gate until released.
class CWaitingQueue : public IReceiveQueue
{
public:
    // Stands for a hang-up among the bytes.
    static constexpr unsigned kHangup = 0x100;

    void SetTarget(IReceiveTarget*) override {}
    void PostReceived(CReceivedChunk chunk) override
    {
        const std::lock_guard lock(m_mutex);
        for (const char ch : chunk.Bytes())
            m_items.append(static_cast<unsigned char>(ch));
        m_nLargestChunk = std::max(m_nLargestChunk, chunk.Bytes().size());
        ++m_nChunks;
        if (m_bHold)
            m_held.push_back(std::move(chunk));
        m_posted.notify_all();
    }
    void PostHangup() override
    {
        const std::lock_guard lock(m_mutex);
        m_items.append(kHangup);
        m_posted.notify_all();
    }
    void DeliverPosted() override {}
    void DropHangup() override {}

    // The bytes and hang-ups posted, once there are nCount of them or nMs has passed.
    QList<unsigned> WaitFor(qsizetype nCount, int nMs = 5000)
    {
        std::unique_lock lock(m_mutex);
        m_posted.wait_for(lock, std::chrono::milliseconds(nMs),
                          [&] { return m_items.size() >= nCount; });
        return m_items;
    }
    // How many chunks were posted, and the largest one's size.
    std::pair<int, std::size_t> Chunks()
    {
        const std::lock_guard lock(m_mutex);
        return {m_nChunks, m_nLargestChunk};
    }
    void Hold(bool bHold)
    {
        std::vector<CReceivedChunk> held;
        const std::lock_guard lock(m_mutex);
        m_bHold = bHold;
        held.swap(m_held); // freed at the gate after the lock
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_posted;
    QList<unsigned> m_items;
    std::size_t m_nLargestChunk = 0;
    int m_nChunks = 0;
    bool m_bHold = false;
    std::vector<CReceivedChunk> m_held;
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
