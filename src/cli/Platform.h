#pragma once

#include "core/platform/Clock.h"
#include "core/platform/Files.h"
#include "core/port/StoredPort.h"
#include "core/serial/SerialPort.h"

#include <memory>
#include <string>
#include <vector>

// The parts of a platform the command line runs on: chosen by the one
// Platform source the build takes (PlatformPosix.cpp or PlatformWin32.cpp).
class CCliPlatform
{
public:
    virtual ~CCliPlatform() = default;

    virtual IClock& PreciseClock() = 0;
    virtual IFiles& Files() = 0;
    virtual IPortStore& PortStore() = 0;
    virtual ISerialPort& SerialPort() = 0;
};

std::unique_ptr<CCliPlatform> MakeCliPlatform();

// Sends the platform's stop signals (Ctrl-C, ...) to pfnOnStop.
void CatchStopSignals(void (*pfnOnStop)(int));

// The program's words in UTF-8, the paths and texts the core takes (Windows
// hands argv over in the ANSI code page).
std::vector<std::string> CommandLineWords(int argc, char** argv);

// The console shows the UTF-8 the program prints.
void PrepareConsole();
