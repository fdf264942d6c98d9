#include "posix/PreciseClock.h"

#include <thread>

namespace
{
// Waited out awake rather than slept.
constexpr std::chrono::microseconds kAwakeTail{200};
} // namespace

CSteadyClock::time_point CPreciseClock::Now()
{
    return CSteadyClock::now();
}

void CPreciseClock::SleepUntil(CSteadyClock::time_point deadline)
{
    if (deadline - Now() <= CSteadyClock::duration::zero())
        return;
    std::this_thread::sleep_until(deadline - kAwakeTail);
    while (CSteadyClock::now() < deadline) {
    }
}
