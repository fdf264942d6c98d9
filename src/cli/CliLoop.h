#pragma once

#include "core/platform/Clock.h"
#include "core/protocol/DriveProtocol.h"
#include "core/serial/ReceiveQueue.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

// What a window system gives the drive link, for a program without one: the
// reader's queue, the reply timer and the waits, all served on the main
// thread by the waiting loop of CCliLoop.

// Set from the SIGINT handler: waits end, and nothing more is sent.
class CStopRequest
{
public:
    static void Request() { s_bStop = true; }
    static bool IsRequested() { return s_bStop; }

private:
    static inline std::atomic<bool> s_bStop{false};
};

// The reader posts; the main thread takes the items in the order posted.
class CCliReceiveQueue : public IReceiveQueue
{
public:
    void SetTarget(IReceiveTarget* pTarget) override { m_pTarget = pTarget; }
    void PostReceived(CReceivedChunk chunk) override;
    void PostHangup() override;
    void DeliverPosted() override;
    void DropHangup() override;

    // Hands every item posted so far to the target, the hang-up after the
    // chunks; first waits until something is posted or the deadline passes.
    void DeliverUntil(CSteadyClock::time_point deadline);

private:
    // Hands over one chunk, or with bHangup the hang-up once no chunk is left;
    // false when there was nothing to hand over.
    bool DeliverOne(bool bHangup);

    IReceiveTarget* m_pTarget = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<CReceivedChunk> m_chunks;
    bool m_bHangupPosted = false;
};

// The reply timer as a window timer: a deadline, re-armed each period until
// killed; the waiting loop looks at it.
class CCliReplyTimer : public IReplyTimer
{
public:
    void SetTimer(unsigned nMilliseconds) override;
    void KillTimer() override { m_deadline.reset(); }

    // The deadline of the next expiry, if armed.
    std::optional<CSteadyClock::time_point> Deadline() const { return m_deadline; }
    // True when the timer has expired at now; it is then armed for the next period.
    bool Expire(CSteadyClock::time_point now);

private:
    std::optional<CSteadyClock::time_point> m_deadline;
    std::chrono::milliseconds m_period{0};
};

// The waits of a sequence on the platform's precise clock, cut into slices
// so that Ctrl-C ends them; posted chunks are handed over between slices
// while the link is not in a sequence (the link holds them during one).
class CCliClock : public IClock
{
public:
    CCliClock(IClock& precise, CCliReceiveQueue& queue) : m_precise(precise), m_queue(queue) {}
    void SetLink(const CDriveProtocol* pLink) { m_pLink = pLink; }

    CSteadyClock::time_point Now() override { return m_precise.Now(); }
    void SleepUntil(CSteadyClock::time_point deadline) override { m_precise.SleepUntil(deadline); }
    bool WaitUntil(CSteadyClock::time_point deadline) override;

private:
    IClock& m_precise;
    CCliReceiveQueue& m_queue;
    const CDriveProtocol* m_pLink = nullptr;
};
