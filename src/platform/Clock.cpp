#include "platform/Clock.h"

#include <chrono>
#include <thread>

namespace
{
SleepHook& Hook()
{
    static SleepHook s_hook;
    return s_hook;
}
} // namespace

SleepHook SetSleepHook(SleepHook hook)
{
    SleepHook old = std::move(Hook());
    Hook() = std::move(hook);
    return old;
}

void Sleep(unsigned nMilliseconds)
{
    if (Hook()) {
        Hook()(nMilliseconds);
        return;
    }
    // A sleeping thread wakes late by the kernel's timer slack and its own
    // wake-up, a tenth of a millisecond or more each time; the drive's pacing
    // and the 1 ms pulse per received byte add that up. Sleep most of the way
    // and wait out the rest.
    using namespace std::chrono;
    const auto tpDeadline = steady_clock::now() + milliseconds(nMilliseconds);
    std::this_thread::sleep_until(tpDeadline - microseconds(200));
    while (steady_clock::now() < tpDeadline) {
    }
}
