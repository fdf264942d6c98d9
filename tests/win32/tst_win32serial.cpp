// The clock's sleeps and waits, and a serial port that cannot be opened.
// (A port that opens needs a pseudo-terminal behind a Wine COM port: the
// command line's end-to-end tests have one.)

#include "CoreFakes.h"
#include "core/serial/WireLog.h"
#include "win32/SerialPort.h"
#include "win32/WaitableClock.h"

#include <doctest.h>
#include <filesystem>

using namespace std::chrono_literals;

// Never a moment early, whether the system gives a high-resolution timer or
// the tick is raised; a deadline passed returns at once.
TEST_CASE("sleeping until a deadline")
{
    for (const bool bHighResolution : {true, false}) {
        CWaitableClock clock(bHighResolution);
        CAPTURE(bHighResolution);
        CHECK(clock.IsHighResolution() <= bHighResolution);
        for (const auto pause : {0us, 300us, 1100us, 2500us, 16700us, 41000us}) {
            CAPTURE(pause.count());
            const CSteadyClock::time_point deadline = clock.Now() + pause;
            clock.SleepUntil(deadline);
            CHECK(CSteadyClock::now() >= deadline);
        }
        const CSteadyClock::time_point start = clock.Now();
        clock.SleepUntil(start - 5s);
        CHECK(CSteadyClock::now() - start < 1s);
    }
}

// A window's pump: a message ends the wait before the deadline, none lets it
// run to the deadline and no further.
TEST_CASE("waiting for the timer or a message")
{
    CWaitableClock clock;
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // this thread's queue
    REQUIRE(PostThreadMessageW(GetCurrentThreadId(), WM_APP + 3, 0, 0));
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); // seen, still queued
    const CSteadyClock::time_point later = clock.Now() + 30s;
    CHECK(clock.WaitForTimerOrMessage(later));
    CHECK(CSteadyClock::now() < later);
    REQUIRE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    CHECK(msg.message == WM_APP + 3);

    for (const auto pause : {700us, 3300us, 21000us}) {
        CAPTURE(pause.count());
        const CSteadyClock::time_point deadline = clock.Now() + pause;
        CHECK_FALSE(clock.WaitForTimerOrMessage(deadline));
        CHECK(CSteadyClock::now() >= deadline);
    }
}

TEST_CASE("the device a port name opens")
{
    struct {
        const char* pszPort;
        const char* pszDevice;
    } const rows[] = {{"COM3", "\\\\.\\COM3"},
                      {"COM2:", "\\\\.\\COM2"},
                      {"com12", "\\\\.\\COM12"},
                      {"CNCB0", "\\\\.\\CNCB0"},
                      {"\\\\.\\COM41", "\\\\.\\COM41"}};
    for (const auto& row : rows) {
        CAPTURE(row.pszPort);
        CHECK(CSerialPort::DeviceName(row.pszPort) == row.pszDevice);
    }
}

// Opened or not is remembered; the reason is the system's; nothing is held,
// written (nor logged as sent) or started, and Close runs as often as it is
// called.
TEST_CASE("a port that cannot be opened")
{
    const std::string strLog = (std::filesystem::temp_directory_path() /
                                ("rt3180-wire-" + std::to_string(GetCurrentProcessId()) + ".log"))
                                   .string();
    REQUIRE(CWireLog::Open(strLog));
    CSerialPort port;
    CManualQueue queue;
    CHECK_FALSE(port.WasOpened());
    CHECK_FALSE(port.Write("?:"));
    const COpenResult result = port.Open("COM219", queue);
    CHECK_FALSE(result.bOpened);
    CHECK(result.failedSteps.empty());
    const std::string strDevice = "Device: \\\\.\\COM219\n";
    CHECK(result.strDetail.starts_with(strDevice));
    CHECK(result.strDetail.size() > strDevice.size() + 5);
    CHECK(port.WasOpened());
    CHECK(port.m_hComm == INVALID_HANDLE_VALUE);
    CHECK_FALSE(port.m_hThread.joinable());
    CHECK_FALSE(port.Write("S:"));
    port.Close();
    CHECK(port.m_hComm == nullptr);
    CHECK(port.m_hShutdownEvent == nullptr);
    port.Close();
    CHECK(port.WasOpened());
    CHECK(queue.Pending() == 0);
    CWireLog::Close();
    const HANDLE hLog = CreateFileA(strLog.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    CHECK(GetFileSize(hLog, nullptr) == 0);
    CloseHandle(hLog);
}
