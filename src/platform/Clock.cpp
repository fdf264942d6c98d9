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
    std::this_thread::sleep_for(std::chrono::milliseconds(nMilliseconds));
}
