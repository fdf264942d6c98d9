#include "ui/WindowPump.h"

#include "platform/Clock.h"

#include <QEventLoop>
#include <QTimer>

namespace
{
// The last stretch is left to the precise sleep: a timer wakes a little late.
constexpr std::chrono::milliseconds kPreciseEnd{2};

bool PumpWindowSystem(CSteadyClock::time_point deadline)
{
    using namespace std::chrono;
    for (;;) {
        const auto remaining = ceil<milliseconds>(deadline - kPreciseEnd - Now());
        if (remaining.count() <= 0)
            return true;
        QEventLoop loop;
        QTimer::singleShot(remaining, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
}
} // namespace

void InstallWindowPump()
{
    SetWaitPump(PumpWindowSystem);
}
