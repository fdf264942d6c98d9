#pragma once

#include "core/platform/Clock.h"

#include <windows.h>

// The real clock. Windows' timer ticks every 15.6 ms by default, far too
// coarse for the drive's pacing and the 1 ms pulse per received byte, so a
// high-resolution waitable timer (or, where the system refuses one, a normal
// one with the tick raised to 1 ms) sleeps until a millisecond before the
// deadline, and the rest is waited out awake. One thread uses a clock.
class CWaitableClock : public IClock
{
public:
    // bHighResolution false takes the fallback at once (tests).
    explicit CWaitableClock(bool bHighResolution = true);
    ~CWaitableClock() override;
    CWaitableClock(const CWaitableClock&) = delete;
    CWaitableClock& operator=(const CWaitableClock&) = delete;

    CSteadyClock::time_point Now() override;
    void SleepUntil(CSteadyClock::time_point deadline) override;

    // For a window's pump: waits until the deadline or until a message for
    // this thread's windows arrives (MsgWaitForMultipleObjectsEx, QS_ALLINPUT).
    // True when a message arrived; false at the deadline.
    bool WaitForTimerOrMessage(CSteadyClock::time_point deadline);

    bool IsHighResolution() const { return m_bHighResolution; }

private:
    // Sets the timer to the deadline less the awake tail; false when the
    // deadline is within the tail (or the timer failed).
    bool ArmTimer(CSteadyClock::time_point deadline);
    // Milliseconds to sleep without a timer (none could be made).
    DWORD SleepWithoutTimer(CSteadyClock::time_point deadline);
    static void WaitAwake(CSteadyClock::time_point deadline);

    HANDLE m_hTimer = nullptr;
    bool m_bHighResolution = false;
    bool m_bPeriodRaised = false;
};
