// Drives rt3180.exe's dialog from another process, as a user would, and
// reports what it sees as lines (tests/win32e2e/run-e2e compares them):
//   client window   what the window shows at start-up (caption, every control
//                   of the template where the template puts it, the lists, the
//                   menu bar), then Connect, Apply, Test, a silent drive,
//                   Disconnect, close
//   client close    finds the window and closes it
// Every wait is bounded; a check that fails prints "FAIL: ..." and the exit
// status is 1.

#include "core/dialog/DialogTemplate.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <windows.h>

namespace
{
// The dialog's caption, its controls and menu commands (core/dialog/Resource.h).
constexpr const char* kCaption = "PKN61/72 & RT3180 SPI Interface";
constexpr const char* kBoxTitle = "RT3180";
constexpr const char* kTextAccepted = "RT3180 SPI Interface commands accepted!";
enum : int {
    IDC_APPLY = 1001,
    IDC_RESOLUTION = 1002,
    IDC_CURRENT = 1003,
    IDC_IDLE = 1004,
    IDC_STATUS = 1010,
    IDC_REPLY = 1011,
    IDC_CONNECT = 1012,
    IDC_TEST = 1013,
    ID_RECALL = 32772,
};
constexpr unsigned kAnswerLimitMs = 300; // the window answers during waits
constexpr unsigned kPingIntervalMs = 50;

using CClock = std::chrono::steady_clock;
int s_nFailures = 0;

void Line(const std::string& strText)
{
    std::printf("%s\n", strText.c_str());
    std::fflush(stdout);
}

void Fail(const std::string& strText)
{
    Line("FAIL: " + strText);
    ++s_nFailures;
}

unsigned MsSince(CClock::time_point start)
{
    return unsigned(
        std::chrono::duration_cast<std::chrono::milliseconds>(CClock::now() - start).count());
}

// Polls until done or nMs have passed; true when done.
bool WaitFor(unsigned nMs, const std::function<bool()>& done,
             const std::function<void()>& between = {})
{
    const CClock::time_point start = CClock::now();
    while (!done()) {
        if (MsSince(start) > nMs)
            return false;
        if (between)
            between();
        else
            Sleep(kPingIntervalMs);
    }
    return true;
}

// The window speaks UTF-16; the lines are UTF-8.
std::string Utf8(const wchar_t* pszText)
{
    char text[1024] = "";
    WideCharToMultiByte(CP_UTF8, 0, pszText, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

std::wstring Wide(const char* pszText)
{
    wchar_t text[256] = L"";
    MultiByteToWideChar(CP_UTF8, 0, pszText, -1, text, 256);
    return text;
}

std::string Text(HWND hWnd)
{
    wchar_t text[512] = L"";
    DWORD_PTR nResult = 0;
    SendMessageTimeoutW(hWnd, WM_GETTEXT, 512, LPARAM(text), SMTO_ABORTIFHUNG, 2000, &nResult);
    return Utf8(text);
}

std::string ItemText(HWND hDlg, int nId)
{
    return Text(GetDlgItem(hDlg, nId));
}

// The selected entry's text, "-" when none is selected.
std::string Selected(HWND hDlg, int nId)
{
    const HWND hCombo = GetDlgItem(hDlg, nId);
    const LRESULT nSel = SendMessageW(hCombo, CB_GETCURSEL, 0, 0);
    if (nSel == CB_ERR)
        return "-";
    wchar_t text[128] = L"";
    if (SendMessageW(hCombo, CB_GETLBTEXTLEN, WPARAM(nSel), 0) < 128)
        SendMessageW(hCombo, CB_GETLBTEXT, WPARAM(nSel), LPARAM(text));
    return Utf8(text);
}

// The user picks an entry: selected, and the dialog told so.
bool Select(HWND hDlg, int nId, const char* pszText)
{
    const HWND hCombo = GetDlgItem(hDlg, nId);
    const std::wstring strText = Wide(pszText);
    const LRESULT nIndex =
        SendMessageW(hCombo, CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(strText.c_str()));
    if (nIndex == CB_ERR)
        return false;
    SendMessageW(hCombo, CB_SETCURSEL, WPARAM(nIndex), 0);
    SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(nId, CBN_SELCHANGE), LPARAM(hCombo));
    return true;
}

// Pressed without waiting for the handler: its waits are what is watched.
void Press(HWND hDlg, int nId)
{
    PostMessageW(GetDlgItem(hDlg, nId), BM_CLICK, 0, 0);
}

// Sends WM_NULL; the time it took, or nothing past the limit.
bool Ping(HWND hWnd, unsigned& nMaxMs)
{
    const CClock::time_point start = CClock::now();
    DWORD_PTR nResult = 0;
    const bool bAnswered =
        SendMessageTimeoutA(hWnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerLimitMs, &nResult) != 0;
    const unsigned nMs = MsSince(start);
    if (nMs > nMaxMs)
        nMaxMs = nMs;
    Sleep(kPingIntervalMs);
    return bAnswered;
}

HWND FindDialog(unsigned nMs)
{
    // Found once its status line is filled: the dialog has been set up.
    const std::wstring strCaption = Wide(kCaption);
    HWND hDlg = nullptr;
    WaitFor(nMs, [&] {
        hDlg = FindWindowW(nullptr, strCaption.c_str());
        return hDlg && !ItemText(hDlg, IDC_STATUS).empty();
    });
    return hDlg;
}

// The text of a message box: its static control that is not the icon.
std::string BoxText(HWND hBox)
{
    std::string strText;
    for (HWND hChild = GetWindow(hBox, GW_CHILD); hChild; hChild = GetWindow(hChild, GW_HWNDNEXT)) {
        wchar_t className[32] = L"";
        GetClassNameW(hChild, className, 32);
        const std::string strChild = Text(hChild);
        if (lstrcmpiW(className, L"Static") == 0 && !strChild.empty())
            strText += strChild;
    }
    return strText;
}

// The dialog's base units, taken from the template's font as the dialog
// manager takes them: the letters' average width and the font's height.
// MapDialogRect would read the dialog's own record, which Wine keeps from
// other processes.
SIZE BaseUnits()
{
    const HDC hDC = GetDC(nullptr);
    const HFONT hFont =
        CreateFontW(-MulDiv(kMainDialog.nPointSize, GetDeviceCaps(hDC, LOGPIXELSY), 72), 0, 0, 0,
                    FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, PROOF_QUALITY,
                    FF_DONTCARE, Wide(kMainDialog.pszFont).c_str());
    const HGDIOBJ hOld = SelectObject(hDC, hFont);
    TEXTMETRICW tm = {};
    GetTextMetricsW(hDC, &tm);
    SIZE size = {};
    GetTextExtentPoint32W(hDC, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &size);
    SelectObject(hDC, hOld);
    DeleteObject(hFont);
    ReleaseDC(nullptr, hDC);
    return {(size.cx / 26 + 1) / 2, tm.tmHeight};
}

// Pixels back to dialog units: the dialog manager maps x, y, width and height
// each with MulDiv; "?" when no whole number of units gives nPx.
std::string Units(long nPx, long nBase, int nPer)
{
    for (int n = 0; n <= 1000; ++n)
        if (MulDiv(n, nBase, nPer) == nPx)
            return std::to_string(n);
    return "?";
}

// One line a control: its place in dialog units as the window shows it, its
// text where it differs from the template's, and the template's place where
// that differs. A combo box's height is its dropped list's, so left out.
void Controls(HWND hDlg)
{
    const SIZE base = BaseUnits();
    for (const CTemplateItem& item : kMainDialog.items) {
        const HWND hItem = GetDlgItem(hDlg, item.nID);
        RECT rc = {};
        GetWindowRect(hItem, &rc);
        MapWindowPoints(nullptr, hDlg, reinterpret_cast<POINT*>(&rc), 2);
        const bool bCombo = item.eKind == EKind::ComboBox;
        const std::string strPlace = Units(rc.left, base.cx, 4) + "," + Units(rc.top, base.cy, 8) +
                                     " " + Units(rc.right - rc.left, base.cx, 4) +
                                     (bCombo ? "" : "x" + Units(rc.bottom - rc.top, base.cy, 8));
        const CDlgRect& t = item.rc;
        const std::string strTemplate = std::to_string(t.x) + "," + std::to_string(t.y) + " " +
                                        std::to_string(t.cx) +
                                        (bCombo ? "" : "x" + std::to_string(t.cy));
        std::string strLine =
            "ctl " + std::to_string(item.nID) + (hItem ? " " : " missing ") + strPlace;
        const bool bText = item.eKind == EKind::Static || item.eKind == EKind::GroupBox ||
                           item.eKind == EKind::PushButton || item.eKind == EKind::DefPushButton;
        if (bText && Text(hItem) != item.pszCaption)
            strLine += " text \"" + Text(hItem) + "\"";
        if (strPlace != strTemplate)
            strLine += " template " + strTemplate;
        Line(strLine);
    }
}

// A list's entries with their codes, "text=code", the selected one in [ ].
void List(HWND hDlg, int nId, const char* pszName)
{
    const HWND hCombo = GetDlgItem(hDlg, nId);
    const LRESULT nSel = SendMessageW(hCombo, CB_GETCURSEL, 0, 0);
    std::string strLine = std::string("list ") + pszName;
    for (LRESULT i = 0, n = SendMessageW(hCombo, CB_GETCOUNT, 0, 0); i < n; ++i) {
        wchar_t text[64] = L"";
        if (SendMessageW(hCombo, CB_GETLBTEXTLEN, WPARAM(i), 0) < 64)
            SendMessageW(hCombo, CB_GETLBTEXT, WPARAM(i), LPARAM(text));
        const std::string strEntry =
            Utf8(text) + "=" + std::to_string(SendMessageW(hCombo, CB_GETITEMDATA, WPARAM(i), 0));
        strLine += i == nSel ? " [" + strEntry + "]" : " " + strEntry;
    }
    Line(strLine);
}

// The menu bar: there, but Wine keeps a menu's items from other processes
// (GetMenuItemCount, GetMenuStringW fail), so only their count is printed.
void Menus(HWND hDlg)
{
    const HMENU hBar = GetMenu(hDlg);
    Line(std::string("menu bar ") + (hBar ? "present" : "missing") + ", items " +
         std::to_string(GetMenuItemCount(hBar)));
}

void Settings(HWND hDlg, const char* pszWhen)
{
    Line(std::string(pszWhen) + " settings " + Selected(hDlg, IDC_RESOLUTION) + " " +
         Selected(hDlg, IDC_CURRENT) + " " + Selected(hDlg, IDC_IDLE));
}

int Window()
{
    const HWND hDlg = FindDialog(30000);
    if (!hDlg) {
        Fail("no window");
        return 1;
    }
    Line("window found");
    Line("caption " + Text(hDlg));
    Controls(hDlg);
    List(hDlg, IDC_RESOLUTION, "resolution");
    List(hDlg, IDC_CURRENT, "current");
    List(hDlg, IDC_IDLE, "idle");
    Menus(hDlg);
    Line("status " + ItemText(hDlg, IDC_STATUS));

    // Connect: the port opens, the drive is asked, its settings shown.
    Press(hDlg, IDC_CONNECT);
    // Done once the drive's replies have been taken: the status says so.
    if (!WaitFor(10000, [&] { return ItemText(hDlg, IDC_STATUS) == kTextAccepted; }))
        Fail("Connect's replies are not taken");
    Line("connected status " + ItemText(hDlg, IDC_STATUS));
    Line("connected reply " + ItemText(hDlg, IDC_REPLY));
    Line("connected button " + ItemText(hDlg, IDC_CONNECT));
    Settings(hDlg, "connected");

    // Apply: new settings, and the window keeps answering during the waits.
    if (!Select(hDlg, IDC_RESOLUTION, "1000") || !Select(hDlg, IDC_CURRENT, "2.0") ||
        !Select(hDlg, IDC_IDLE, "50"))
        Fail("the new settings are not in the lists");
    Press(hDlg, IDC_APPLY);
    unsigned nMaxMs = 0, nPings = 0, nUnanswered = 0;
    const bool bSending = WaitFor(
        2000, [&] { return ItemText(hDlg, IDC_STATUS) == "Sending the New Settings,  wait ..."; });
    Line(std::string("apply status ") +
         (bSending ? "Sending the New Settings,  wait ..." : ItemText(hDlg, IDC_STATUS)));
    const bool bDone = WaitFor(
        15000, [&] { return ItemText(hDlg, IDC_STATUS) != "Sending the New Settings,  wait ..."; },
        [&] {
            ++nPings;
            nUnanswered += Ping(hDlg, nMaxMs) ? 0 : 1;
        });
    if (!bDone)
        Fail("Apply does not end");
    if (nUnanswered > 0 || nPings < 40)
        Fail("the window answered " + std::to_string(nPings - nUnanswered) + " of " +
             std::to_string(nPings) + " pings within " + std::to_string(kAnswerLimitMs) +
             " ms during Apply");
    else
        Line("apply window answers during the waits");
    Line("applied status " + ItemText(hDlg, IDC_STATUS));
    Settings(hDlg, "applied");

    // Test: the caption changes once the command's waits are over.
    const std::string strBefore = ItemText(hDlg, IDC_TEST);
    Press(hDlg, IDC_TEST);
    if (!WaitFor(5000, [&] { return ItemText(hDlg, IDC_TEST) != strBefore; }))
        Fail("Test's caption stays " + strBefore);
    Line("test " + strBefore + " -> " + ItemText(hDlg, IDC_TEST));

    // The drive falls silent: Recall goes unanswered, the box comes.
    PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(ID_RECALL, 0), 0);
    const CClock::time_point recalled = CClock::now();
    HWND hBox = nullptr;
    if (!WaitFor(8000, [&] {
            hBox = FindWindowW(L"#32770", Wide(kBoxTitle).c_str());
            return hBox != nullptr;
        })) {
        Fail("no box after a silent drive");
    } else {
        const unsigned nMs = MsSince(recalled);
        Line("box " + std::string(kBoxTitle) + ": " + BoxText(hBox));
        // The drive is given 3.5 s; the box comes then, not before.
        if (nMs < 3400 || nMs > 5000)
            Fail("the box came after " + std::to_string(nMs) + " ms");
        else
            Line("box after the drive's 3.5 s");
        PostMessageW(GetDlgItem(hBox, IDOK), BM_CLICK, 0, 0);
        if (!WaitFor(3000, [&] { return !IsWindow(hBox); }))
            Fail("OK leaves the box open");
        Line("lost status " + ItemText(hDlg, IDC_STATUS));
    }

    // Disconnect.
    Press(hDlg, IDC_CONNECT);
    if (!WaitFor(3000, [&] { return ItemText(hDlg, IDC_CONNECT) == "Connect"; }))
        Fail("Disconnect leaves the button " + ItemText(hDlg, IDC_CONNECT));
    Line("disconnected status " + ItemText(hDlg, IDC_STATUS));
    Line("disconnected button " + ItemText(hDlg, IDC_CONNECT));

    PostMessageW(hDlg, WM_CLOSE, 0, 0);
    if (!WaitFor(5000, [&] { return !IsWindow(hDlg); }))
        Fail("the window stays open");
    Line("closed");
    return s_nFailures ? 1 : 0;
}

int Close()
{
    const HWND hDlg = FindDialog(60000);
    if (!hDlg) {
        Fail("no window");
        return 1;
    }
    Line("window found");
    PostMessageW(hDlg, WM_CLOSE, 0, 0);
    if (!WaitFor(5000, [&] { return !IsWindow(hDlg); })) {
        Fail("the window stays open");
        return 1;
    }
    Line("closed");
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    const std::string strMode = argc > 1 ? argv[1] : "";
    if (strMode == "window")
        return Window();
    if (strMode == "close")
        return Close();
    std::fprintf(stderr, "usage: client window|close\n");
    return 2;
}
