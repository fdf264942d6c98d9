#pragma once

#include "core/platform/Clock.h"

// The platform's precise clock with the window's pump in its waits: while a
// command sequence waits, the window keeps answering the window system
// (pings, exposes, repaints) and nothing else. User input waits in the window
// system's queue and is handled, in order, once the sequence has ended; the
// drive link holds its own bytes and time-out.
class CPumpClock : public IClock
{
public:
    explicit CPumpClock(IClock& precise) : m_precise(precise) {}

    CSteadyClock::time_point Now() override { return m_precise.Now(); }
    void SleepUntil(CSteadyClock::time_point deadline) override { m_precise.SleepUntil(deadline); }
    bool WaitUntil(CSteadyClock::time_point deadline) override;

private:
    IClock& m_precise;
};

// The program is stopping: the wait under way ends now, and every later one
// at once, so that a sequence stops before its next command.
void StopWindowWaits();
