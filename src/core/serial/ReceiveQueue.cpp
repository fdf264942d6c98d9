#include "core/serial/ReceiveQueue.h"

bool CReceiveGate::Enter(const std::atomic<bool>& bStop)
{
    std::unique_lock lock(m_mutex);
    m_roomFreed.wait(lock, [&] { return m_nInFlight < m_nMaxChunks || bStop; });
    if (bStop)
        return false;
    ++m_nInFlight;
    return true;
}

void CReceiveGate::Leave()
{
    {
        const std::lock_guard lock(m_mutex);
        --m_nInFlight;
    }
    m_roomFreed.notify_one();
}

void CReceiveGate::Wake()
{
    {
        // Taken so that the waiter sees the stop before it sleeps, or is woken.
        const std::lock_guard lock(m_mutex);
    }
    m_roomFreed.notify_all();
}

int CReceiveGate::InFlight() const
{
    const std::lock_guard lock(m_mutex);
    return m_nInFlight;
}
