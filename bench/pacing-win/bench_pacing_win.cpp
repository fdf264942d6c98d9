// How exactly the Windows program paces the drive's commands: Recall and
// Apply run through the drive link on a real COM port (the adapter, or the
// simulator under Wine), and the time the link reports each command written
// is taken from the program's own clock. Replies are ignored. Then the
// clock's sleeps alone: how late SleepUntil returns.
// Usage: bench-pacing.exe [COMn] [runs]

#include "core/protocol/DriveProtocol.h"
#include "win32/SerialPort.h"
#include "win32/WaitableClock.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
// Counts what the reader finds; the chunks are dropped at once, freeing
// their place at the gate.
class CCountingQueue : public IReceiveQueue
{
public:
    void SetTarget(IReceiveTarget*) override {}
    void PostReceived(CReceivedChunk chunk) override
    {
        m_nBytes += chunk.Bytes().size();
        ++m_nChunks;
    }
    void PostHangup() override { m_bHungUp = true; }
    void DeliverPosted() override {}
    void DropHangup() override {}

    std::atomic<std::size_t> m_nBytes{0};
    std::atomic<std::size_t> m_nChunks{0};
    std::atomic<bool> m_bHungUp{false};
};

class CIdleTimer : public IReplyTimer
{
public:
    void SetTimer(unsigned) override {}
    void KillTimer() override {}
};

// When each command went out, by the clock the link waits on.
class CSendRecorder : public IDriveListener
{
public:
    explicit CSendRecorder(IClock& clock) : m_clock(clock) {}

    void OnTxLamp(bool) override {}
    void OnRxLamp(bool) override {}
    void OnCommandSent(const CSentCommand& sent) override
    {
        m_sent.push_back({sent.strCommand, m_clock.Now()});
    }
    void OnAccepted(EDriveFamily) override {}
    void OnFamily(EDriveFamily, const std::string&) override {}
    void OnRecalled(ESetting, int) override {}
    void OnLinkLost(ELinkLoss) override { m_bLost = true; }

    struct CSend {
        std::string strCommand;
        CSteadyClock::time_point at;
    };
    std::vector<CSend> m_sent;
    bool m_bLost = false;

private:
    IClock& m_clock;
};

// One gap of a sequence, from a command to the next: its target and what was measured.
struct CGap {
    const char* pszName;
    double dTarget;
    std::vector<double> samples;
};

double Percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const auto nIndex = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    return values[nIndex];
}

double Ms(CSteadyClock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Adds the gaps between consecutive sends to the rows; false when the
// sequence did not send as many commands as it has rows.
bool AddGaps(const std::vector<CSendRecorder::CSend>& sent, std::vector<CGap>& rows)
{
    if (sent.size() != rows.size() + 1)
        return false;
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].samples.push_back(Ms(sent[i + 1].at - sent[i].at));
    return true;
}

void PrintGaps(const char* pszSequence, const std::vector<CGap>& rows)
{
    for (const CGap& row : rows) {
        std::vector<double> errors;
        for (double d : row.samples)
            errors.push_back(d - row.dTarget);
        std::printf("| %s | %s | %.0f | %.2f | %.2f | %.2f | %+.2f | %+.2f | %+.2f |\n",
                    pszSequence, row.pszName, row.dTarget, Percentile(row.samples, 0),
                    Percentile(row.samples, 0.5), Percentile(row.samples, 1), Percentile(errors, 0),
                    Percentile(errors, 0.5), Percentile(errors, 1));
    }
}

// SleepUntil's lateness in microseconds, over nRepeats sleeps of nMs each.
std::vector<double> SleepLateness(CWaitableClock& clock, unsigned nMs, int nRepeats)
{
    std::vector<double> late;
    for (int i = 0; i < nRepeats; ++i) {
        const auto deadline = clock.Now() + std::chrono::milliseconds(nMs);
        clock.SleepUntil(deadline);
        late.push_back(std::chrono::duration<double, std::micro>(clock.Now() - deadline).count());
    }
    return late;
}
} // namespace

int main(int argc, char** argv)
{
    const std::string strPort = argc > 1 ? argv[1] : "COM1";
    const int nRuns = argc > 2 ? std::atoi(argv[2]) : 5;
    if (nRuns < 1) {
        std::fprintf(stderr, "usage: bench-pacing.exe [COMn] [runs]\n");
        return 2;
    }

    CWaitableClock clock;
    CSerialPort serial;
    CCountingQueue queue;
    CIdleTimer timer;
    CSendRecorder recorder(clock);
    CDriveProtocol protocol(clock, serial, queue, timer, recorder);

    const COpenResult opened = protocol.Connect(strPort);
    if (!opened.bOpened) {
        std::fprintf(stderr, "bench-pacing: %s\n", opened.strDetail.c_str());
        return 1;
    }

    // The gaps are the trailing wait of one step and the lead-in of the next.
    std::vector<CGap> recall{{"?: -> S:", 100, {}}};
    std::vector<CGap> apply{
        {"?: -> R:", 1050, {}}, {"R: -> I:", 3550, {}}, {"I: -> ID:", 1150, {}}};
    CApplySettings settings;
    settings.positions = CRT3180Data{2, 5, 1};
    for (int nRun = 0; nRun < nRuns; ++nRun) {
        recorder.m_sent.clear();
        protocol.Recall();
        const bool bRecallWhole = AddGaps(recorder.m_sent, recall);
        recorder.m_sent.clear();
        protocol.Apply(settings);
        if (!bRecallWhole || !AddGaps(recorder.m_sent, apply)) {
            std::fprintf(stderr, "bench-pacing: run %d did not send every command\n", nRun + 1);
            protocol.Close();
            return 1;
        }
    }
    protocol.Close();

    std::printf("Commands written on %s, %d runs (gaps between the link's reports of each "
                "write, ms; error = measured - target)\n\n",
                strPort.c_str(), nRuns);
    std::printf("| Sequence | Gap | Target | Min | Median | Max | Error min | Error median "
                "| Error max |\n|---|---|---|---|---|---|---|---|---|\n");
    PrintGaps("Recall", recall);
    PrintGaps("Apply", apply);
    std::printf("\nReceived meanwhile: %zu bytes in %zu chunks (ignored)%s\n",
                queue.m_nBytes.load(), queue.m_nChunks.load(),
                queue.m_bHungUp ? "; the device hung up" : "");

    std::printf("\nSleepUntil lateness, us (timer: %s)\n\n| Sleep ms | Sleeps | Min | Median | Max "
                "|\n|---|---|---|---|---|\n",
                clock.IsHighResolution() ? "high resolution" : "fallback, timeBeginPeriod(1)");
    const struct {
        unsigned nMs;
        int nRepeats;
    } sleeps[] = {{1, 200}, {50, 40}, {1000, 5}};
    for (const auto& sleep : sleeps) {
        const std::vector<double> late = SleepLateness(clock, sleep.nMs, sleep.nRepeats);
        std::printf("| %u | %d | %.0f | %.0f | %.0f |\n", sleep.nMs, sleep.nRepeats,
                    Percentile(late, 0), Percentile(late, 0.5), Percentile(late, 1));
    }
    return 0;
}
