// The command line on Linux: termios, the POSIX file system, QSettings.

#include "cli/Platform.h"
#include "posix/PosixFiles.h"
#include "posix/PreciseClock.h"
#include "posix/SerialPort.h"
#include "posix/SettingsPortStore.h"

#include <csignal>

namespace
{
class CPosixPlatform : public CCliPlatform
{
public:
    IClock& PreciseClock() override { return m_preciseClock; }
    IFiles& Files() override { return m_files; }
    IPortStore& PortStore() override { return m_portStore; }
    ISerialPort& SerialPort() override { return m_serial; }

private:
    CPreciseClock m_preciseClock;
    CPosixFiles m_files;
    CSettingsPortStore m_portStore;
    CSerialPort m_serial;
};
} // namespace

std::unique_ptr<CCliPlatform> MakeCliPlatform()
{
    return std::make_unique<CPosixPlatform>();
}

void CatchStopSignals(void (*pfnOnStop)(int))
{
    std::signal(SIGINT, pfnOnStop);
}

std::vector<std::string> CommandLineWords(int argc, char** argv)
{
    return {argv, argv + argc};
}

void PrepareConsole() {}
