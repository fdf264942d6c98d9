// rt3180-cli: the drive's settings from a shell or a test bench, on the same
// drive link as the window.

#include "Version.h"
#include "cli/CliSession.h"
#include "cli/Json.h"
#include "cli/Platform.h"
#include "core/serial/WireLog.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace
{
constexpr const char* kProgram = "rt3180-cli";
constexpr const char* kUsageLine = "Usage: rt3180-cli [options] command\n";
constexpr const char* kDescription =
    "Reads and sets the stepper drive's settings through the SPI Interface adapter.\n"
    "\n"
    "Commands:\n"
    "  identify                 print the family line the drive sends\n"
    "  recall                   print the family and the three settings\n"
    "  apply FILE.rt3           send the settings of a file\n"
    "  apply --resolution R --current C --idle I\n"
    "                           send these settings (texts of the lists)\n"
    "  save FILE.rt3            recall and write the settings to a file\n"
    "  test on|off              switch the drive's test on or off\n"
    "\n"
    "Exit status: 0 done, 1 the drive kept something else, 2 usage, 3 the port\n"
    "could not be opened, 4 no reply in time, 5 a settings file that is not valid,\n"
    "130 stopped by Ctrl-C.\n";
constexpr const char* kTextArguments = "Arguments:\n";
constexpr const char* kTextOptions = "Options:\n";
constexpr const char* kTextCommandArgument = "identify, recall, apply, save or test.";

constexpr const char* kTextUsageError =
    "rt3180-cli: %s\nUsage: rt3180-cli [options] command [arguments]\nTry 'rt3180-cli --help'.\n";
constexpr const char* kTextNoCommand = "a command is needed";
constexpr const char* kTextApplyTakes = "apply takes a file, or --resolution, --current and --idle";
constexpr const char* kTextNotACommandLine = "not a command line: ";
constexpr const char* kTextUnknownOption = "Unknown option '%s'.";
constexpr const char* kTextUnknownOptions = "Unknown options: %s.";
constexpr const char* kTextMissingValue = "Missing value after '%s'.";

// The options, in the order the help lists them: names, the value's name
// (none for a switch) and what it does.
enum class EOption { Help, Version, Port, Resolution, Current, Idle, Verify, Json, Log, Quiet };
struct COptionRow {
    EOption eOption;
    const char* pszNames;
    const char* pszValue;
    const char* pszText;
};
constexpr COptionRow kOptions[] = {
    {EOption::Help, "-h,--help", nullptr, "Displays help on commandline options."},
    {EOption::Version, "-v,--version", nullptr, "Displays version information."},
    {EOption::Port, "--port", "PORT",
     "The port: COM1 to COM4 or a device path (default: the port the window uses)."},
    {EOption::Resolution, "--resolution", "R", "Resolution for apply (steps)."},
    {EOption::Current, "--current", "C", "Motor current for apply (A or %)."},
    {EOption::Idle, "--idle", "I", "Idle current for apply (%)."},
    {EOption::Verify, "--verify", nullptr, "After apply, recall and compare."},
    {EOption::Json, "--json", nullptr, "Print one JSON object instead of text."},
    {EOption::Log, "--log", "FILE",
     "Log every byte sent and received to FILE ('-': standard error)."},
    {EOption::Quiet, "--quiet", nullptr, "No progress on standard error."},
};
constexpr std::size_t kHelpColumn = 27;
constexpr std::size_t kHelpWidth = 79;

void OnInterrupt(int)
{
    CStopRequest::Request();
}

// A script that asked for JSON gets its one object even for a bad command line.
int UsageError(const std::string& strText, bool bJson = false, const std::string& strCommand = {})
{
    std::fprintf(stderr, kTextUsageError, strText.c_str());
    if (bJson) {
        CJsonObject json;
        json.Set("command", strCommand);
        json.Set("exit", int(kExitUsage));
        json.Set("error", strText);
        std::printf("%s\n", json.Text().c_str());
    }
    return kExitUsage;
}

std::string Printf(const char* pszFormat, const std::string& strValue)
{
    std::string strText(std::size_t(std::snprintf(nullptr, 0, pszFormat, strValue.c_str())), '\0');
    std::snprintf(strText.data(), strText.size() + 1, pszFormat, strValue.c_str());
    return strText;
}

// One row of the help: the names ("-h, --help", "--port <PORT>") and the text
// wrapped in a column of its own.
std::string HelpRow(const std::string& strNames, const std::string& strText)
{
    std::string strRows;
    std::string strLine = "  " + strNames;
    bool bLineStart = true;
    for (std::size_t nStart = 0, nEnd = 0; nStart < strText.size(); nStart = nEnd + 1) {
        nEnd = std::min(strText.find(' ', nStart), strText.size());
        const std::string strWord = strText.substr(nStart, nEnd - nStart);
        if (!bLineStart && strLine.size() + 1 + strWord.size() > kHelpWidth) {
            strRows += strLine + '\n';
            strLine.clear();
            bLineStart = true;
        }
        strLine.resize(bLineStart ? std::max(strLine.size() + 1, kHelpColumn) : strLine.size() + 1,
                       ' ');
        strLine += strWord;
        bLineStart = false;
    }
    return strRows + strLine + '\n';
}

std::string HelpText()
{
    std::string strHelp = std::string(kUsageLine) + kDescription + '\n' + kTextOptions;
    for (const COptionRow& row : kOptions) {
        std::string strNames = row.pszNames;
        if (const std::size_t nComma = strNames.find(','); nComma != std::string::npos)
            strNames.insert(nComma + 1, " ");
        if (row.pszValue)
            strNames += std::string(" <") + row.pszValue + '>';
        strHelp += HelpRow(strNames, row.pszText);
    }
    return strHelp + '\n' + kTextArguments + HelpRow("command", kTextCommandArgument);
}

// The parsed command line.
struct CCommandLine {
    std::vector<std::string> words; // the command and its arguments
    std::vector<std::string> unknown;
    CCliRequest request;
    std::string strLog;
    bool bHelp = false, bVersion = false, bLog = false, bValues = false, bAllValues = true;

    // Where an option's value goes: a text for an option with a value, else a switch.
    std::string* Text(EOption eOption)
    {
        switch (eOption) {
        case EOption::Port:
            return &request.strPort;
        case EOption::Resolution:
            return &request.strResolution;
        case EOption::Current:
            return &request.strCurrent;
        case EOption::Idle:
            return &request.strIdle;
        case EOption::Log:
            return &strLog;
        default:
            return nullptr;
        }
    }
    bool* Switch(EOption eOption)
    {
        switch (eOption) {
        case EOption::Help:
            return &bHelp;
        case EOption::Version:
            return &bVersion;
        case EOption::Verify:
            return &request.bVerify;
        case EOption::Json:
            return &request.bJson;
        case EOption::Quiet:
            return &request.bQuiet;
        default:
            return nullptr;
        }
    }
};

// The request, or the reason the command line is not one.
bool ParseRequest(CCommandLine& line, std::string& strError)
{
    std::vector<std::string> args = line.words;
    if (args.empty()) {
        strError = kTextNoCommand;
        return false;
    }
    CCliRequest& request = line.request;
    request.strCommand = args.front();
    args.erase(args.begin());
    const std::string& strCommand = request.strCommand;

    if ((strCommand == "identify" || strCommand == "recall") && args.empty() && !line.bValues &&
        !request.bVerify)
        return true;
    if (strCommand == "save" && args.size() == 1 && !line.bValues && !request.bVerify) {
        request.strFile = args.front();
        return true;
    }
    if (strCommand == "test" && args.size() == 1 && !line.bValues && !request.bVerify &&
        (args.front() == "on" || args.front() == "off")) {
        request.bTestOn = args.front() == "on";
        return true;
    }
    if (strCommand == "apply") {
        if (args.size() == 1 && !line.bValues) {
            request.strFile = args.front();
            return true;
        }
        if (args.empty() && line.bAllValues)
            return true;
        strError = kTextApplyTakes;
        return false;
    }
    strError = kTextNotACommandLine;
    for (std::size_t i = 0; i < line.words.size(); ++i)
        strError += (i ? " " : "") + line.words[i];
    return false;
}

// False, with the reason, for options the program does not have or a value missing.
bool ParseCommandLine(int argc, char** argv, CCommandLine& line, std::string& strError)
{
    CLI::App app(kDescription, kProgram);
    app.set_help_flag();
    // Unknown options are named in an error of our own.
    app.allow_extras();
    std::map<EOption, const CLI::Option*> options;
    for (const COptionRow& row : kOptions) {
        if (std::string* pstrText = line.Text(row.eOption)) {
            // Given twice, the last one counts.
            options[row.eOption] = app.add_option(row.pszNames, *pstrText, row.pszText)
                                       ->type_name(row.pszValue)
                                       ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
        } else {
            options[row.eOption] =
                app.add_flag(row.pszNames, *line.Switch(row.eOption), row.pszText)
                    ->disable_flag_override();
        }
    }
    app.add_option("command", line.words, kTextCommandArgument);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ArgumentMismatch& e) {
        const std::string strWhat = e.what();
        strError = Printf(kTextMissingValue, strWhat.substr(0, strWhat.find(':')));
        return false;
    } catch (const CLI::ParseError& e) {
        strError = e.what();
        return false;
    }
    for (std::string strArg : app.remaining()) {
        if (strArg == "--")
            continue;
        strArg = strArg.substr(std::min(strArg.find_first_not_of('-'), strArg.size()));
        line.unknown.push_back(strArg.substr(0, strArg.find('=')));
    }
    if (line.unknown.size() == 1) {
        strError = Printf(kTextUnknownOption, line.unknown.front());
        return false;
    }
    if (!line.unknown.empty()) {
        std::string strNames;
        for (const std::string& strName : line.unknown)
            strNames += (strNames.empty() ? "" : ", ") + strName;
        strError = Printf(kTextUnknownOptions, strNames);
        return false;
    }
    for (const EOption eOption : {EOption::Resolution, EOption::Current, EOption::Idle}) {
        line.bValues = line.bValues || options[eOption]->count() > 0;
        line.bAllValues = line.bAllValues && options[eOption]->count() > 0;
    }
    line.bLog = options[EOption::Log]->count() > 0;
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    PrepareConsole();
    std::vector<std::string> words = CommandLineWords(argc, argv);
    std::vector<char*> args;
    for (std::string& strWord : words)
        args.push_back(strWord.data());
    CCommandLine line;
    if (std::string strError; !ParseCommandLine(int(args.size()), args.data(), line, strError))
        return UsageError(strError);
    if (line.bHelp) {
        std::fputs(HelpText().c_str(), stdout);
        return 0;
    }
    if (line.bVersion) {
        std::printf("%s %s\n", kProgram, kVersion);
        return 0;
    }
    if (std::string strError; !ParseRequest(line, strError))
        return UsageError(strError, line.request.bJson,
                          line.words.empty() ? "" : line.words.front());
    if (line.bLog) {
        std::string strReason;
        if (!CWireLog::Open(line.strLog, &strReason))
            return UsageError(line.strLog + ": " + strReason);
    }

    CatchStopSignals(OnInterrupt);

    CCliSession session;
    const int nStatus = session.Run(line.request);
    CWireLog::Close();
    return nStatus;
}
