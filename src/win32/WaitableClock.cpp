#include "win32/WaitableClock.h"

#include <thread>
#include <timeapi.h>

// Windows 10 1803 and later; older MinGW headers lack the name.
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace
{
// Waited out awake rather than slept: a timer wakes us up to this late.
constexpr std::chrono::milliseconds kAwakeTail{1};
} // namespace

CWaitableClock::CWaitableClock(bool bHighResolution)
{
    if (bHighResolution)
        m_hTimer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                          TIMER_ALL_ACCESS);
    m_bHighResolution = m_hTimer != nullptr;
    if (!m_hTimer) {
        m_bPeriodRaised = timeBeginPeriod(1) == TIMERR_NOERROR;
        m_hTimer = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
    }
}

CWaitableClock::~CWaitableClock()
{
    if (m_hTimer)
        CloseHandle(m_hTimer);
    if (m_bPeriodRaised)
        timeEndPeriod(1);
}

CSteadyClock::time_point CWaitableClock::Now()
{
    return CSteadyClock::now();
}

bool CWaitableClock::ArmTimer(CSteadyClock::time_point deadline)
{
    const auto sleep = deadline - kAwakeTail - Now();
    if (!m_hTimer || sleep <= CSteadyClock::duration::zero())
        return false;
    // Relative, in 100 ns units, negative.
    LARGE_INTEGER due{};
    due.QuadPart =
        -std::chrono::duration_cast<std::chrono::duration<long long, std::ratio<1, 10000000>>>(
             sleep)
             .count();
    return due.QuadPart < 0 && SetWaitableTimer(m_hTimer, &due, 0, nullptr, nullptr, FALSE);
}

void CWaitableClock::WaitAwake(CSteadyClock::time_point deadline)
{
    while (CSteadyClock::now() < deadline)
        std::this_thread::yield();
}

DWORD CWaitableClock::SleepWithoutTimer(CSteadyClock::time_point deadline)
{
    const auto sleep = deadline - kAwakeTail - Now();
    if (m_hTimer || sleep <= CSteadyClock::duration::zero())
        return 0;
    return DWORD(std::chrono::duration_cast<std::chrono::milliseconds>(sleep).count());
}

void CWaitableClock::SleepUntil(CSteadyClock::time_point deadline)
{
    if (ArmTimer(deadline))
        WaitForSingleObject(m_hTimer, INFINITE);
    else
        ::Sleep(SleepWithoutTimer(deadline)); // the system's, not IClock::Sleep
    WaitAwake(deadline);
}

bool CWaitableClock::WaitForTimerOrMessage(CSteadyClock::time_point deadline)
{
    if (Now() >= deadline)
        return false;
    const DWORD nTimers = ArmTimer(deadline) ? 1 : 0;
    const DWORD nWoken = MsgWaitForMultipleObjectsEx(
        nTimers, nTimers ? &m_hTimer : nullptr, nTimers ? INFINITE : SleepWithoutTimer(deadline),
        QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (nWoken == WAIT_OBJECT_0 + nTimers) {
        if (nTimers)
            CancelWaitableTimer(m_hTimer);
        return true;
    }
    WaitAwake(deadline);
    return false;
}
