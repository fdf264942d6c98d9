#include "qt/ui/PumpClock.h"

#include <QEventLoop>
#include <QTimer>

namespace
{
// The last stretch is left to the precise sleep: a timer wakes a little late.
constexpr std::chrono::milliseconds kPreciseEnd{2};

bool s_bStopping = false;
QEventLoop* s_pWaiting = nullptr;
} // namespace

bool CPumpClock::WaitUntil(CSteadyClock::time_point deadline)
{
    using namespace std::chrono;
    for (;;) {
        const auto remaining = ceil<milliseconds>(deadline - kPreciseEnd - Now());
        if (s_bStopping)
            return false;
        if (remaining.count() <= 0)
            break;
        QEventLoop loop;
        QTimer::singleShot(remaining, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        s_pWaiting = &loop;
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        s_pWaiting = nullptr;
    }
    SleepUntil(deadline);
    return true;
}

void StopWindowWaits()
{
    s_bStopping = true;
    if (s_pWaiting)
        s_pWaiting->quit();
}
