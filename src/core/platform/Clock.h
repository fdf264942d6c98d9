#pragma once

#include <chrono>

using CSteadyClock = std::chrono::steady_clock;

// Time as the drive link counts it. The platform's clock sleeps precisely;
// a window system puts its pump into WaitUntil; tests use a virtual clock.
class IClock
{
public:
    virtual ~IClock() = default;

    virtual CSteadyClock::time_point Now() = 0;
    // Blocks the calling thread until the deadline; returns at once when it has passed.
    virtual void SleepUntil(CSteadyClock::time_point deadline) = 0;
    // The waits of a command sequence. A window keeps answering the window
    // system meanwhile, user input waits; false ends the wait at once (the
    // program is stopping), and the sequence sends nothing more.
    virtual bool WaitUntil(CSteadyClock::time_point deadline)
    {
        SleepUntil(deadline);
        return true;
    }

    // A blocking pause of the calling thread.
    void Sleep(unsigned nMilliseconds)
    {
        SleepUntil(Now() + std::chrono::milliseconds(nMilliseconds));
    }
};
