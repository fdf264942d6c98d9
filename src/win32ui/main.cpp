// rt3180.exe: the platform's parts, the window and the core's dialog, run
// modally until the dialog ends.

// The core's window interface and ids before the platform's headers bring in
// windows.h, whose macros (IDOK, SetDlgItemText ...) would rename them.
#include "core/dialog/DlgWindow.h"
#include "core/dialog/Resource.h"
#include "core/dialog/Texts.h"
#include "core/serial/WireLog.h"
#include "win32/ComPortCatalog.h"
#include "win32/RegistryStore.h"
#include "win32/SerialPort.h"
#include "win32/WaitableClock.h"
#include "win32/Win32Files.h"
#include "win32ui/DialogWindow.h"
#include "win32ui/Utf16.h"

#include <shellapi.h>
#include <string>

namespace
{
// "--log FILE" or "--log=FILE": every byte on the link, for a bug report.
void StartWireLog()
{
    int nArgs = 0;
    LPWSTR* ppszArgs = CommandLineToArgvW(GetCommandLineW(), &nArgs);
    if (!ppszArgs)
        return;
    std::wstring strFile;
    for (int i = 1; i < nArgs; ++i) {
        const std::wstring strArg = ppszArgs[i];
        if (strArg == L"--log" && i + 1 < nArgs)
            strFile = ppszArgs[++i];
        else if (strArg.starts_with(L"--log="))
            strFile = strArg.substr(6);
    }
    LocalFree(ppszArgs);
    std::string strReason;
    if (!strFile.empty() && !CWireLog::Open(Narrow(strFile), &strReason)) {
        const std::wstring strText =
            Widen(std::string(kTextLogNotWritten) + "\n\n" + Narrow(strFile) + ": " + strReason);
        MessageBoxW(nullptr, strText.c_str(), Widen(kAppTitle).c_str(), MB_OK | MB_ICONHAND);
    }
}
} // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR, int)
{
    StartWireLog();
    CWaitableClock clock;
    CSerialPort serial;
    CRegistryStore store;
    CWin32Files files;
    CComPortCatalog ports;
    {
        CDialogWindow window(hInstance, {clock, serial, store, files, ports});
        window.DoModal();
    }
    CWireLog::Close();
    return 0;
}
