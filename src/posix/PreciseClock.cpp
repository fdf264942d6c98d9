#include "platform/Clock.h"

#include <thread>

namespace
{
struct CClockState {
    SleepHook hook;
    CSteadyClock::time_point virtualNow;
    WaitPump pump;
};

CClockState& State()
{
    static CClockState s_state;
    return s_state;
}
} // namespace

SleepHook SetSleepHook(SleepHook hook)
{
    SleepHook old = std::move(State().hook);
    State().hook = std::move(hook);
    State().virtualNow = CSteadyClock::now();
    return old;
}

WaitPump SetWaitPump(WaitPump pump)
{
    WaitPump old = std::move(State().pump);
    State().pump = std::move(pump);
    return old;
}

CSteadyClock::time_point Now()
{
    return State().hook ? State().virtualNow : CSteadyClock::now();
}

void Sleep(unsigned nMilliseconds)
{
    if (State().hook) {
        State().virtualNow += std::chrono::milliseconds(nMilliseconds);
        State().hook(nMilliseconds);
        return;
    }
    // A sleeping thread wakes late by the kernel's timer slack and its own
    // wake-up, a tenth of a millisecond or more each time; the drive's pacing
    // and the 1 ms pulse per received byte add that up. Sleep most of the way
    // and wait out the rest.
    using namespace std::chrono;
    const auto tpDeadline = CSteadyClock::now() + milliseconds(nMilliseconds);
    std::this_thread::sleep_until(tpDeadline - microseconds(200));
    while (CSteadyClock::now() < tpDeadline) {
    }
}

void SleepUntil(CSteadyClock::time_point deadline)
{
    using namespace std::chrono;
    const auto remaining = deadline - Now();
    if (remaining <= CSteadyClock::duration::zero())
        return;
    if (State().hook) {
        Sleep(static_cast<unsigned>(ceil<milliseconds>(remaining).count()));
        return;
    }
    std::this_thread::sleep_until(deadline - microseconds(200));
    while (CSteadyClock::now() < deadline) {
    }
}

bool WaitUntil(CSteadyClock::time_point deadline)
{
    if (State().pump && !State().pump(deadline))
        return false;
    SleepUntil(deadline);
    return true;
}
