// The window as a test client sees it: found by its caption, its controls by
// id, clicked and asked from another thread while a sequence waits.

#include "CoreFakes.h"
#include "core/dialog/DlgWindow.h"
#include "core/dialog/Resource.h"
#include "core/dialog/Texts.h"
#include "win32/WaitableClock.h"
#include "win32ui/DialogWindow.h"
#include "win32ui/ReceiveQueue.h"
#include "win32ui/Utf16.h"

#include <chrono>
#include <cstdlib>
#include <doctest.h>
#include <mutex>
#include <thread>

namespace
{
using namespace std::chrono;

// Records each write; hands what a reader would post to the queue of Open.
class CThreadSafeSerial : public ISerialPort
{
public:
    COpenResult Open(const std::string&, IReceiveQueue& queue) override
    {
        m_pQueue = &queue;
        m_bWasOpened = m_bOpen = true;
        return {true, {}, {}};
    }
    bool Write(std::string_view bytes) override
    {
        const std::lock_guard lock(m_mutex);
        m_writes.emplace_back(bytes);
        return true;
    }
    void Close() override { m_bOpen = false; }
    bool WasOpened() const override { return m_bWasOpened; }

    std::vector<std::string> Writes()
    {
        const std::lock_guard lock(m_mutex);
        return m_writes;
    }
    void PostReceived(const std::string& bytes)
    {
        if (!m_pQueue)
            return;
        m_pGate->Enter(m_bStop);
        m_pQueue.load()->PostReceived({bytes, m_pGate});
    }

    std::shared_ptr<CReceiveGate> m_pGate = std::make_shared<CReceiveGate>(kMaxChunksPosted);
    std::atomic<bool> m_bOpen{false};

private:
    std::mutex m_mutex;
    std::vector<std::string> m_writes;
    std::atomic<IReceiveQueue*> m_pQueue{nullptr};
    std::atomic<bool> m_bStop{false};
    bool m_bWasOpened = false;
};

class CNoPorts : public IPortCatalog
{
public:
    std::vector<CSerialDevice> ListSerialDevices(const std::string&) override { return {}; }
    std::string PortFromTyped(const std::string& strTyped) override { return strTyped; }
    bool IsTypedPort(const std::string&) override { return false; }
};

// Sent as another program sends: bounded, so a window that does not answer fails the test.
LRESULT Send(HWND hWnd, UINT nMsg, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR nResult = 0;
    SendMessageTimeoutW(hWnd, nMsg, wParam, lParam, SMTO_NORMAL, 5000, &nResult);
    return static_cast<LRESULT>(nResult);
}

std::string ItemText(HWND hDlg, int nID)
{
    wchar_t szText[256] = {};
    Send(GetDlgItem(hDlg, nID), WM_GETTEXT, 256, reinterpret_cast<LPARAM>(szText));
    return Narrow(szText);
}

template <class TCondition> bool WaitFor(TCondition condition)
{
    for (const auto end = steady_clock::now() + seconds(15); steady_clock::now() < end;
         std::this_thread::sleep_for(milliseconds(20))) {
        if (condition())
            return true;
    }
    return false;
}

class CRecordingTarget : public IReceiveTarget
{
public:
    void OnReceived(CReceivedChunk chunk) override { m_strLog += chunk.Bytes() + "|"; }
    void OnHangup() override { m_strLog += "hangup|"; }
    std::string m_strLog;
};

struct CSeen {
    bool bConnected = false;
    bool bApplyEnabled = false;
    std::string strStatusDuringWait;
    int nPings = 0;
    int nPingsAnswered = 0;
    milliseconds slowestPing{0};
    std::string strStatusAfter;
};

// Under Wine a window needs an X display; without one (ctest in CI) this case
// is skipped, and tests/win32e2e/run-e2e runs it on its virtual display.
bool HasDisplay()
{
    const char* pszDisplay = std::getenv("DISPLAY");
    return pszDisplay && *pszDisplay;
}
} // namespace

TEST_CASE("Apply's wait: the window answers, a click waits for the sequence, bytes follow it" *
          doctest::skip(!HasDisplay()))
{
    CWaitableClock clock;
    CThreadSafeSerial serial;
    CMemoryPortStore store;
    CMemoryFiles files;
    CNoPorts ports;
    CSeen seen;
    INT_PTR nResult = 0;
    std::atomic<bool> bEnded{false};

    std::thread client([&] {
        HWND hDlg = nullptr;
        // Shown, once its start-up has run.
        WaitFor([&] {
            hDlg = FindWindowW(nullptr, Widen(kTextTitle).c_str());
            return (hDlg && IsWindowVisible(hDlg)) || bEnded;
        });
        if (!hDlg)
            return;
        PostMessageW(GetDlgItem(hDlg, IDC_CONNECT), BM_CLICK, 0, 0);
        seen.bConnected = WaitFor([&] { return serial.Writes().size() == 2; }) &&
                          ItemText(hDlg, IDC_CONNECT) == kTextDisconnect;
        // The user's choice of a current.
        const HWND hCurrent = GetDlgItem(hDlg, IDC_CURRENT);
        Send(hCurrent, CB_SETCURSEL, 3);
        Send(hDlg, WM_COMMAND, MAKEWPARAM(IDC_CURRENT, CBN_SELCHANGE),
             reinterpret_cast<LPARAM>(hCurrent));
        seen.bApplyEnabled = IsWindowEnabled(GetDlgItem(hDlg, IDC_APPLY));

        PostMessageW(GetDlgItem(hDlg, IDC_APPLY), BM_CLICK, 0, 0);
        WaitFor([&] { return serial.Writes().size() == 3; }); // "?:" of Apply
        serial.PostReceived("RT3180 SPI Interface commands accepted\r");
        Send(GetDlgItem(hDlg, IDC_TEST), BM_CLICK);
        seen.strStatusDuringWait = ItemText(hDlg, IDC_STATUS);
        for (; serial.Writes().size() < 6 && seen.nPings < 100; ++seen.nPings) {
            const auto start = steady_clock::now();
            DWORD_PTR nResult = 0;
            seen.nPingsAnswered +=
                SendMessageTimeoutW(hDlg, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &nResult) != 0;
            seen.slowestPing = std::max(seen.slowestPing,
                                        duration_cast<milliseconds>(steady_clock::now() - start));
            std::this_thread::sleep_for(milliseconds(100));
        }
        WaitFor([&] { return serial.Writes().size() == 7; }); // Test's, after Apply's
        seen.strStatusAfter = ItemText(hDlg, IDC_STATUS);

        PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
    });
    {
        CDialogWindow window(GetModuleHandleW(nullptr), {clock, serial, store, files, ports});
        nResult = window.DoModal();
    }
    bEnded = true;
    client.join();
    REQUIRE_MESSAGE(nResult != -1, "no window could be made");

    CHECK(seen.bConnected);
    CHECK(seen.bApplyEnabled);
    CHECK(seen.strStatusDuringWait == kStatusSending);
    CHECK(seen.nPings > 20);
    CHECK(seen.nPingsAnswered == seen.nPings);
    CHECK(seen.slowestPing < milliseconds(1000));
    const std::vector<std::string> writes = serial.Writes();
    REQUIRE(writes.size() == 7);
    CHECK(writes[2] == "?:");
    CHECK(writes[3].starts_with("R:"));
    CHECK(writes[4] == "I:4"); // position 3, code 4
    CHECK(writes[5].starts_with("ID:"));
    CHECK(writes[6] == "D:");
    CHECK(seen.strStatusAfter == "RT3180 SPI Interface commands accepted!");
    CHECK_FALSE(serial.m_bOpen);
    CHECK(serial.m_pGate->InFlight() == 0);
}

TEST_CASE("Receive queue: chunks handed over in order, a hang-up left queued or dropped, "
          "chunks still posted freed with the window")
{
    const HWND hWnd =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    REQUIRE(hWnd);
    CRecordingTarget target;
    auto pGate = std::make_shared<CReceiveGate>(kMaxChunksPosted);
    const std::atomic<bool> bStop{false};
    CWin32ReceiveQueue queue;
    queue.SetTarget(&target);
    queue.SetWindow(hWnd);
    auto post = [&](const std::string& bytes) {
        pGate->Enter(bStop);
        queue.PostReceived({bytes, pGate});
    };
    // Posted by a reader thread, as the port's is.
    std::thread reader([&] {
        post("ab");
        queue.PostHangup();
        post("cde");
    });
    reader.join();

    queue.DeliverPosted();
    CHECK(target.m_strLog == "ab|cde|");
    CHECK(pGate->InFlight() == 0);
    MSG msg;
    CHECK(PeekMessageW(&msg, hWnd, 0, 0, PM_NOREMOVE)); // the hang-up
    queue.DropHangup();
    CHECK_FALSE(PeekMessageW(&msg, hWnd, 0, 0, PM_NOREMOVE));

    post("left");
    queue.PostHangup();
    queue.SetWindow(nullptr);
    CHECK(target.m_strLog == "ab|cde|");
    CHECK(pGate->InFlight() == 0);
    DestroyWindow(hWnd);
}
