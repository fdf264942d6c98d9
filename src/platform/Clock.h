#pragma once

#include <functional>

// Blocking pause of the calling thread. The command sequences pace the drive
// with it on the GUI thread; tests replace it to run on a virtual clock.
void Sleep(unsigned nMilliseconds);

using SleepHook = std::function<void(unsigned)>;
// Replaces the real sleep (empty hook restores it). Returns the previous hook.
SleepHook SetSleepHook(SleepHook hook);
