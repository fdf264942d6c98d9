#pragma once

#include <chrono>
#include <functional>

using CSteadyClock = std::chrono::steady_clock;

// Blocking pause of the calling thread.
void Sleep(unsigned nMilliseconds);
// The time the pauses are counted in; virtual while a sleep hook is in place.
CSteadyClock::time_point Now();
// Blocks until the deadline; returns at once when it has passed.
void SleepUntil(CSteadyClock::time_point deadline);

// The waits of a command sequence: until the deadline, the pump in place
// (the window's: it keeps answering the window system) runs first, then the
// rest is slept precisely. A pump that returns false ends the wait at once
// (the program is stopping): false then.
bool WaitUntil(CSteadyClock::time_point deadline);

using SleepHook = std::function<void(unsigned)>;
// Replaces the real sleep with a virtual clock: each pause is handed to the
// hook and advances Now() by its length (empty hook restores the real
// clock). Returns the previous hook.
SleepHook SetSleepHook(SleepHook hook);

using WaitPump = std::function<bool(CSteadyClock::time_point)>;
// Puts a pump in place for WaitUntil (empty: none). Returns the previous one.
WaitPump SetWaitPump(WaitPump pump);
