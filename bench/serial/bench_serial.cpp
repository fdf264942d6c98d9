// The serial link measured on a pseudo-terminal: how long a byte takes from
// the peer to its chunk handed to the receive queue, how often an idle
// reader wakes, and how fast a burst gets through. Prints a Markdown table.

#include "BenchSupport.h"
#include "SerialPeer.h"
#include "posix/SerialPort.h"

#include <QFile>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

constexpr int kLatencyBytes = 1000;
constexpr int kIdleSeconds = 5;
constexpr qsizetype kBurstBytes = 256 * 1024;

// Notes when each byte's chunk reaches the queue, and tells the peer when
// the count it waits for is reached. Each chunk is handled as it is posted.
class CTimedQueue : public IReceiveQueue
{
public:
    std::vector<Clock::time_point> m_handledAt;

    // Called by the peer: blocks until nCount bytes have been posted.
    void WaitFor(std::size_t nCount)
    {
        std::unique_lock lock(m_mutex);
        m_reached.wait(lock, [&] { return m_handledAt.size() >= nCount; });
    }

    void SetTarget(IReceiveTarget*) override {}
    void PostReceived(CReceivedChunk chunk) override
    {
        const Clock::time_point now = Clock::now();
        const std::lock_guard lock(m_mutex);
        m_handledAt.insert(m_handledAt.end(), chunk.Bytes().size(), now);
        m_reached.notify_one();
    }
    void PostHangup() override {}
    void DeliverPosted() override {}
    void DropHangup() override {}

private:
    std::mutex m_mutex;
    std::condition_variable m_reached;
};

// How often a thread of this process has been scheduled in (its wake-ups).
qint64 ThreadWakeups(int nTid)
{
    QFile status(QStringLiteral("/proc/self/task/%1/status").arg(nTid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    qint64 nSwitches = 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("voluntary_ctxt_switches:") ||
            line.startsWith("nonvoluntary_ctxt_switches:"))
            nSwitches += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
    }
    return nSwitches;
}

double WakeupsPerSecond(int nTid)
{
    const qint64 nBefore = ThreadWakeups(nTid);
    std::this_thread::sleep_for(std::chrono::seconds(kIdleSeconds));
    return static_cast<double>(ThreadWakeups(nTid) - nBefore) / kIdleSeconds;
}

void Row(const char* pMeasure, const QString& strValue)
{
    std::printf("| %s | %s |\n", pMeasure, qPrintable(strValue));
}
} // namespace

int main()
{
    CPtyPeer peer;
    CTimedQueue owner;
    CSerialPort port;
    if (!peer.IsValid() || !port.Open(peer.PathText(), owner).bOpened) {
        std::fprintf(stderr, "cannot open a pseudo-terminal\n");
        return 1;
    }

    // Idle wake-ups, first while the reader waits for its first byte, then
    // while it waits between bytes.
    QList<int> readers;
    while ((readers = ReaderThreads()).isEmpty())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const int nTid = readers.first();
    const double dWakeupsFirst = WakeupsPerSecond(nTid);
    peer.Send("?");
    owner.WaitFor(1);
    const double dWakeupsBetween = WakeupsPerSecond(nTid);

    // Latency of single bytes on an otherwise idle line.
    std::vector<Clock::time_point> sentAt;
    for (int i = 0; i < kLatencyBytes; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        sentAt.push_back(Clock::now());
        peer.Send(QByteArray(1, static_cast<char>(i)));
        owner.WaitFor(2 + i);
    }
    std::vector<double> latencies;
    for (int i = 0; i < kLatencyBytes; ++i)
        latencies.push_back(
            std::chrono::duration<double, std::milli>(owner.m_handledAt[1 + i] - sentAt[i])
                .count());

    // A burst: from its first byte written to its last byte handled.
    const Clock::time_point burstStart = Clock::now();
    // From a thread of its own: the terminal holds less than the burst.
    std::thread sender([&] { peer.Send(QByteArray(kBurstBytes, 'U')); });
    owner.WaitFor(1 + kLatencyBytes + kBurstBytes);
    sender.join();
    const double dBurstSeconds =
        std::chrono::duration<double>(owner.m_handledAt.back() - burstStart).count();
    port.Close();

    std::printf("Serial link on a pseudo-terminal; %s\n\n", qPrintable(MachineText()));
    std::printf("| Measure | Value |\n|---|---|\n");
    Row("Latency, peer write to chunk posted to the queue, median (1000 bytes)",
        QStringLiteral("%1 ms").arg(Percentile(latencies, 0.5), 0, 'f', 3));
    Row("Latency, 99th percentile",
        QStringLiteral("%1 ms").arg(Percentile(latencies, 0.99), 0, 'f', 3));
    Row("Latency, worst", QStringLiteral("%1 ms").arg(Percentile(latencies, 1.0), 0, 'f', 3));
    Row("Idle reader wake-ups, waiting for the first byte",
        QStringLiteral("%1 /s").arg(dWakeupsFirst, 0, 'f', 1));
    Row("Idle reader wake-ups, between bytes",
        QStringLiteral("%1 /s").arg(dWakeupsBetween, 0, 'f', 1));
    Row("Burst throughput (256 KiB, write to last chunk posted)",
        QStringLiteral("%1 bytes/s (%2 s)")
            .arg(static_cast<double>(kBurstBytes) / dBurstSeconds, 0, 'f', 0)
            .arg(dBurstSeconds, 0, 'f', 2));
    return 0;
}
