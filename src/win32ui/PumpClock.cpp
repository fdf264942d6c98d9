#include "win32ui/PumpClock.h"

#include "win32ui/Win32.h"

#include <utility>

namespace
{
// The last stretch is left to the precise sleep: a message wait may wake a
// timer tick (15.6 ms) late.
constexpr std::chrono::milliseconds kPreciseEnd{20};
// Bounds a round of dispatching, so that the deadline is looked at again.
constexpr int kMaxDispatched = 64;

bool s_bStopping = false;
bool s_bWaiting = false;

// Paint, timers and registered messages (the reader's); every PeekMessage
// also answers the messages other threads send. Input stays queued.
void DispatchNonInput()
{
    constexpr std::pair<UINT, UINT> kRanges[] = {
        {WM_PAINT, WM_PAINT}, {WM_TIMER, WM_TIMER}, {0xC000, 0xFFFF}};
    for (const auto& [nFirst, nLast] : kRanges) {
        MSG msg;
        for (int n = 0; n < kMaxDispatched && PeekMessageW(&msg, nullptr, nFirst, nLast, PM_REMOVE);
             ++n)
            DispatchMessageW(&msg);
    }
}
} // namespace

bool CPumpClock::WaitUntil(CSteadyClock::time_point deadline)
{
    using namespace std::chrono;
    const bool bWasWaiting = std::exchange(s_bWaiting, true);
    for (;;) {
        DispatchNonInput();
        const auto remaining = ceil<milliseconds>(deadline - kPreciseEnd - Now());
        if (s_bStopping) {
            s_bWaiting = bWasWaiting;
            return false;
        }
        if (remaining.count() <= 0)
            break;
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(remaining.count()),
                                    QS_SENDMESSAGE | QS_PAINT | QS_POSTMESSAGE | QS_TIMER, 0);
    }
    s_bWaiting = bWasWaiting;
    SleepUntil(deadline);
    return true;
}

bool IsWindowWaiting()
{
    return s_bWaiting;
}

void StopWindowWaits()
{
    s_bStopping = true;
}
