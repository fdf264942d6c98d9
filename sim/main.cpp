// spi-adapter-sim: the "SPI Interface" adapter with a drive behind it, on a
// pseudo-terminal linked where the utility looks for its serial port.

#include "AdapterSim.h"
#include "PortLink.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <signal.h>
#include <string>

namespace
{

constexpr const char* kUsage =
    "Usage: spi-adapter-sim [OPTIONS]\n"
    "Plays the SPI Interface adapter with a stepper drive behind it on a pseudo-terminal,\n"
    "linked where rt3180 looks for the port, until SIGINT (Ctrl+C) or SIGTERM.\n"
    "\n"
    "  --port NAME        port to appear as, COM1 to COM4 (default COM1); the link is\n"
    "                     ${XDG_CONFIG_HOME:-$HOME/.config}/KOLV/ports/com1 and so on\n"
    "  --family NAME      drive family: rt3180 or pkn61 (default rt3180)\n"
    "  --crlf             end reply lines with CR LF (default CR)\n"
    "  --delay MS         wait MS milliseconds before each reply (default 0)\n"
    "  --never-answer     take every command, answer none\n"
    "  --answer-limit N   answer the first N commands only, then fall silent\n"
    "  --keep-resolution R  accept every resolution but keep R (e.g. 1000), as a\n"
    "                     faulty drive would\n"
    "  --log FILE         log every command and reply line with its time in seconds\n"
    "                     of the monotonic clock; '-' for standard output\n"
    "  -h, --help         show this text and exit\n"
    "  -v, --version      show the version and exit\n"
    "\n"
    "The terminal served and its link are printed at start; the link is removed at the end.\n";

constexpr const char* kShortUsage =
    "Usage: spi-adapter-sim [OPTIONS]\nTry 'spi-adapter-sim --help'.\n";

struct CProgramOptions {
    CAdapterSimOptions sim;
    std::string strPort = "COM1";
    std::string strLogFile;
};

bool ParseCount(const char* pszText, int& nValue)
{
    const char* pszEnd = pszText + std::strlen(pszText);
    const auto result = std::from_chars(pszText, pszEnd, nValue);
    return result.ec == std::errc() && result.ptr == pszEnd && nValue >= 0;
}

bool IsValueOption(const std::string& strArg)
{
    return strArg == "--port" || strArg == "--family" || strArg == "--delay" ||
           strArg == "--answer-limit" || strArg == "--keep-resolution" || strArg == "--log";
}

// 0: go on; otherwise the exit code (after --help, --version or a bad option).
int ParseArguments(int argc, char** argv, CProgramOptions& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string strArg = argv[i];
        const char* pszError = nullptr;
        int nNumber = 0;
        if (strArg == "--help" || strArg == "-h") {
            std::fputs(kUsage, stdout);
            return -1;
        } else if (strArg == "--version" || strArg == "-v") {
            std::printf("spi-adapter-sim %s\n", RT3180_VERSION);
            return -1;
        } else if (strArg == "--crlf") {
            options.sim.bCrLf = true;
        } else if (strArg == "--never-answer") {
            options.sim.bNeverAnswer = true;
        } else if (!IsValueOption(strArg)) {
            pszError = "unknown option";
        } else if (i + 1 >= argc) {
            pszError = "missing value after";
        } else if (const char* pszValue = argv[++i]; strArg == "--port") {
            options.strPort = pszValue;
        } else if (strArg == "--family") {
            pszError = ParseDriveFamily(pszValue, options.sim.eFamily) ? nullptr : "bad value for";
        } else if (strArg == "--delay" || strArg == "--answer-limit") {
            pszError = ParseCount(pszValue, nNumber) ? nullptr : "bad value for";
            if (strArg == "--delay")
                options.sim.replyDelay = std::chrono::milliseconds(nNumber);
            else
                options.sim.nAnswerLimit = nNumber;
        } else if (strArg == "--keep-resolution") {
            pszError = ParseResolution(pszValue, options.sim.nKeepResolution) ? nullptr : "bad value for";
        } else {
            options.strLogFile = pszValue;
        }
        if (pszError != nullptr) {
            std::fprintf(stderr, "spi-adapter-sim: %s %s\n%s", pszError, strArg.c_str(),
                         kShortUsage);
            return 2;
        }
    }
    return 0;
}

void WriteLogEntry(std::FILE* pFile, const CSimLogEntry& entry)
{
    static constexpr const char* kKinds[] = {"command", "reply", "garbage"};
    std::string strText;
    for (unsigned char c : entry.strText) {
        char sz[8];
        std::snprintf(sz, sizeof sz, c >= 0x20 && c < 0x7f ? "%c" : "\\x%02x", c);
        strText += sz;
    }
    const double dSeconds = std::chrono::duration<double>(entry.tpTime.time_since_epoch()).count();
    std::fprintf(pFile, "%.6f %-7s %s\n", dSeconds, kKinds[static_cast<int>(entry.eKind)],
                 strText.c_str());
    std::fflush(pFile);
}

} // namespace

int main(int argc, char** argv)
{
    CProgramOptions options;
    if (const int nExit = ParseArguments(argc, argv, options); nExit != 0)
        return nExit < 0 ? 0 : nExit;

    const std::string strLink = PortLinkPath(options.strPort);
    if (strLink.empty()) {
        std::fprintf(stderr,
                     "spi-adapter-sim: no link for port %s (a COMn name and a "
                     "configuration folder are needed)\n",
                     options.strPort.c_str());
        return 2;
    }
    std::FILE* pLog = nullptr;
    if (options.strLogFile == "-") {
        pLog = stdout;
    } else if (!options.strLogFile.empty()) {
        pLog = std::fopen(options.strLogFile.c_str(), "w");
        if (pLog == nullptr) {
            std::perror(options.strLogFile.c_str());
            return 1;
        }
    }

    // Signals are taken by sigwait below; blocked before the serving thread
    // starts so that it never receives them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    CAdapterSim sim(options.sim);
    if (pLog != nullptr)
        sim.SetLogCallback([pLog](const CSimLogEntry& entry) { WriteLogEntry(pLog, entry); });
    std::string strError;
    if (!sim.Start()) {
        std::fprintf(stderr, "spi-adapter-sim: %s\n", sim.ErrorText().c_str());
        return 1;
    }
    if (!CreatePortLink(strLink, sim.SlavePath(), strError)) {
        std::fprintf(stderr, "spi-adapter-sim: %s\n", strError.c_str());
        return 1;
    }
    std::printf("spi-adapter-sim: %s drive on %s, linked as %s: %s\n",
                options.sim.eFamily == EDriveFamily::RT3180 ? "RT3180" : "PKN61/72",
                sim.SlavePath().c_str(), options.strPort.c_str(), strLink.c_str());
    std::fflush(stdout);

    int nSignal = 0;
    sigwait(&signals, &nSignal);

    RemovePortLink(strLink, sim.SlavePath());
    sim.Stop();
    if (pLog != nullptr && pLog != stdout)
        std::fclose(pLog);
    return 0;
}
