// rt3180-cli: the drive's settings from a shell or a test bench, on the same
// drive link as the window.

#include "Version.h"
#include "cli/CliSession.h"
#include "serial/WireLog.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <csignal>
#include <cstdio>

namespace
{
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
    "130 stopped by Ctrl-C.";

constexpr const char* kTextUsageError =
    "rt3180-cli: %s\nUsage: rt3180-cli [options] command [arguments]\nTry 'rt3180-cli --help'.\n";
constexpr const char* kTextNoCommand = "a command is needed";
constexpr const char* kTextApplyTakes = "apply takes a file, or --resolution, --current and --idle";
constexpr const char* kTextNotACommandLine = "not a command line: ";

void OnInterrupt(int)
{
    CCliSession::RequestStop();
}

// A script that asked for JSON gets its one object even for a bad command line.
int UsageError(const QString& strText, bool bJson = false, const QString& strCommand = {})
{
    std::fprintf(stderr, kTextUsageError, strText.toLocal8Bit().constData());
    if (bJson) {
        const QJsonObject json{{QStringLiteral("command"), strCommand},
                               {QStringLiteral("exit"), int(kExitUsage)},
                               {QStringLiteral("error"), strText}};
        std::printf("%s\n", QJsonDocument(json).toJson(QJsonDocument::Compact).constData());
    }
    return kExitUsage;
}

// The request, or the reason the command line is not one.
bool ParseRequest(const QCommandLineParser& parser, CCliRequest& request, QString& strError)
{
    QStringList args = parser.positionalArguments();
    if (args.isEmpty()) {
        strError = QString::fromLatin1(kTextNoCommand);
        return false;
    }
    request.strCommand = args.takeFirst();
    request.strPort = parser.value(QStringLiteral("port"));
    request.bVerify = parser.isSet(QStringLiteral("verify"));
    request.bJson = parser.isSet(QStringLiteral("json"));
    request.bQuiet = parser.isSet(QStringLiteral("quiet"));
    request.strResolution = parser.value(QStringLiteral("resolution"));
    request.strCurrent = parser.value(QStringLiteral("current"));
    request.strIdle = parser.value(QStringLiteral("idle"));
    const bool bValues = parser.isSet(QStringLiteral("resolution")) ||
                         parser.isSet(QStringLiteral("current")) ||
                         parser.isSet(QStringLiteral("idle"));
    const QString& strCommand = request.strCommand;

    if ((strCommand == QLatin1String("identify") || strCommand == QLatin1String("recall")) &&
        args.isEmpty() && !bValues && !request.bVerify)
        return true;
    if (strCommand == QLatin1String("save") && args.size() == 1 && !bValues && !request.bVerify) {
        request.strFile = args.first();
        return true;
    }
    if (strCommand == QLatin1String("test") && args.size() == 1 && !bValues && !request.bVerify &&
        (args.first() == QLatin1String("on") || args.first() == QLatin1String("off"))) {
        request.bTestOn = args.first() == QLatin1String("on");
        return true;
    }
    if (strCommand == QLatin1String("apply")) {
        if (args.size() == 1 && !bValues) {
            request.strFile = args.first();
            return true;
        }
        if (args.isEmpty() && parser.isSet(QStringLiteral("resolution")) &&
            parser.isSet(QStringLiteral("current")) && parser.isSet(QStringLiteral("idle")))
            return true;
        strError = QString::fromLatin1(kTextApplyTakes);
        return false;
    }
    strError = QString::fromLatin1(kTextNotACommandLine) + parser.positionalArguments().join(u' ');
    return false;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("rt3180-cli"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersion));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("port"),
         QStringLiteral("The port: COM1 to COM4 or a device path "
                        "(default: the port the window uses)."),
         QStringLiteral("PORT")},
        {QStringLiteral("resolution"), QStringLiteral("Resolution for apply (steps)."),
         QStringLiteral("R")},
        {QStringLiteral("current"), QStringLiteral("Motor current for apply (A or %)."),
         QStringLiteral("C")},
        {QStringLiteral("idle"), QStringLiteral("Idle current for apply (%)."),
         QStringLiteral("I")},
        {QStringLiteral("verify"), QStringLiteral("After apply, recall and compare.")},
        {QStringLiteral("json"), QStringLiteral("Print one JSON object instead of text.")},
        {QStringLiteral("log"),
         QStringLiteral("Log every byte sent and received to FILE ('-': standard error)."),
         QStringLiteral("FILE")},
        {QStringLiteral("quiet"), QStringLiteral("No progress on standard error.")},
    });
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("identify, recall, apply, save or test."));
    if (!parser.parse(QCoreApplication::arguments()))
        return UsageError(parser.errorText());
    if (parser.isSet(helpOption)) {
        // Qt's usage line names the program by its whole path; ours by its name.
        const QString strHelp = parser.helpText();
        std::printf("Usage: rt3180-cli%s",
                    qPrintable(strHelp.mid(
                        strHelp.indexOf(QLatin1Char(' '), strHelp.indexOf(QLatin1Char(':')) + 2))));
        return 0;
    }
    if (parser.isSet(versionOption))
        parser.showVersion();

    CCliRequest request;
    if (QString strError; !ParseRequest(parser, request, strError))
        return UsageError(strError, parser.isSet(QStringLiteral("json")),
                          parser.positionalArguments().value(0));
    if (parser.isSet(QStringLiteral("log"))) {
        QString strReason;
        if (!CWireLog::Open(parser.value(QStringLiteral("log")), &strReason))
            return UsageError(parser.value(QStringLiteral("log")) + QStringLiteral(": ") +
                              strReason);
    }

    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigaction(SIGINT, &action, nullptr);

    CCliSession session;
    const int nStatus = session.Run(request);
    CWireLog::Close();
    return nStatus;
}
