#pragma once

#include "core/platform/Clock.h"

// The platform's precise clock with the window's pump in its waits: while a
// command sequence waits, the window keeps painting and answering other
// threads and processes (sent messages, the reader's posts, timers) and
// nothing else. Mouse and keys wait in the queue and are handled, in order,
// once the sequence has ended; the drive link holds its own bytes and
// time-out meanwhile.
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

// A wait of the pump is under way: commands that reach the dialog now are
// posted again, to be handled after the sequence.
bool IsWindowWaiting();
// The program is stopping: the wait under way ends now, and every later one
// at once, so that a sequence stops before its next command.
void StopWindowWaits();
