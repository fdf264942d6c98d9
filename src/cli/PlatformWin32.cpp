// The command line on Windows: the COM port, the registry, the Win32 files
// and the waitable timer.

#include "cli/Platform.h"
#include "win32/RegistryStore.h"
#include "win32/SerialPort.h"
#include "win32/WaitableClock.h"
#include "win32/Win32Files.h"
#include "win32/Win32Text.h"

#include <csignal>
#include <cstdlib>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

namespace
{
class CWin32Platform : public CCliPlatform
{
public:
    IClock& PreciseClock() override { return m_preciseClock; }
    IFiles& Files() override { return m_files; }
    IPortStore& PortStore() override { return m_portStore; }
    ISerialPort& SerialPort() override { return m_serial; }

private:
    CWaitableClock m_preciseClock;
    CWin32Files m_files;
    CRegistryStore m_portStore;
    CSerialPort m_serial;
};

UINT s_nConsoleCodePage = 0;

void RestoreConsole()
{
    SetConsoleOutputCP(s_nConsoleCodePage);
}
} // namespace

std::unique_ptr<CCliPlatform> MakeCliPlatform()
{
    return std::make_unique<CWin32Platform>();
}

// Ctrl-C, and Ctrl-Break, which only Windows has.
void CatchStopSignals(void (*pfnOnStop)(int))
{
    std::signal(SIGINT, pfnOnStop);
    std::signal(SIGBREAK, pfnOnStop);
}

std::vector<std::string> CommandLineWords(int argc, char** argv)
{
    int nWords = 0;
    LPWSTR* ppszWords = CommandLineToArgvW(GetCommandLineW(), &nWords);
    if (!ppszWords)
        return {argv, argv + argc};
    std::vector<std::string> words;
    for (int i = 0; i < nWords; ++i)
        words.push_back(Utf8FromWide(ppszWords[i]));
    LocalFree(ppszWords);
    return words;
}

// Until the program ends: the console is the user's again after.
void PrepareConsole()
{
    s_nConsoleCodePage = GetConsoleOutputCP();
    if (s_nConsoleCodePage != 0 && s_nConsoleCodePage != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
        std::atexit(RestoreConsole);
}
