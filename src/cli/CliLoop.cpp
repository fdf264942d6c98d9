#include "cli/CliLoop.h"

#include <algorithm>

namespace
{
// How often a wait looks at a stop request.
constexpr std::chrono::milliseconds kSlice{20};
} // namespace

void CCliReceiveQueue::PostReceived(CReceivedChunk chunk)
{
    {
        const std::lock_guard lock(m_mutex);
        m_chunks.push_back(std::move(chunk));
    }
    m_posted.notify_one();
}

void CCliReceiveQueue::PostHangup()
{
    {
        const std::lock_guard lock(m_mutex);
        m_bHangupPosted = true;
    }
    m_posted.notify_one();
}

bool CCliReceiveQueue::DeliverOne(bool bHangup)
{
    std::unique_lock lock(m_mutex);
    if (!m_chunks.empty()) {
        CReceivedChunk chunk(std::move(m_chunks.front()));
        m_chunks.pop_front();
        lock.unlock();
        // The target may come back here (a time-out hands over what is posted).
        if (m_pTarget)
            m_pTarget->OnReceived(std::move(chunk));
        return true;
    }
    if (!bHangup || !m_bHangupPosted)
        return false;
    m_bHangupPosted = false;
    lock.unlock();
    if (m_pTarget)
        m_pTarget->OnHangup();
    return true;
}

void CCliReceiveQueue::DeliverPosted()
{
    while (DeliverOne(false)) {
    }
}

void CCliReceiveQueue::DropHangup()
{
    const std::lock_guard lock(m_mutex);
    m_bHangupPosted = false;
}

void CCliReceiveQueue::DeliverUntil(CSteadyClock::time_point deadline)
{
    {
        std::unique_lock lock(m_mutex);
        m_posted.wait_until(lock, deadline,
                            [this] { return !m_chunks.empty() || m_bHangupPosted; });
    }
    while (DeliverOne(true)) {
    }
}

void CCliReplyTimer::SetTimer(unsigned nMilliseconds)
{
    m_period = std::chrono::milliseconds(nMilliseconds);
    m_deadline = CSteadyClock::now() + m_period;
}

bool CCliReplyTimer::Expire(CSteadyClock::time_point now)
{
    if (!m_deadline || now < *m_deadline)
        return false;
    m_deadline = now + m_period;
    return true;
}

bool CCliClock::WaitUntil(CSteadyClock::time_point deadline)
{
    for (;;) {
        if (CStopRequest::IsRequested())
            return false;
        if (m_pLink && !m_pLink->IsInSequence())
            m_queue.DeliverPosted();
        if (deadline - Now() <= kSlice)
            break;
        m_precise.SleepUntil(std::min(deadline - kSlice, Now() + kSlice));
    }
    // The last slice on the precise clock, so that the drive gets its full time.
    m_precise.SleepUntil(deadline);
    return true;
}
