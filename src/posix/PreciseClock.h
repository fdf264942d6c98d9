#pragma once

#include "core/platform/Clock.h"

// The real clock. A sleeping thread wakes late by the kernel's timer slack
// and its own wake-up, a tenth of a millisecond or more each time; the
// drive's pacing and the 1 ms pulse per received byte add that up. So it
// sleeps most of the way and waits out the rest.
class CPreciseClock : public IClock
{
public:
    CSteadyClock::time_point Now() override;
    void SleepUntil(CSteadyClock::time_point deadline) override;
};
