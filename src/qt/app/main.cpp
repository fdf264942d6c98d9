#include "Version.h"
#include "qt/app/RT3180App.h"

#include <QCommandLineParser>
#include <cstdio>
#include <optional>

namespace
{

// Qt's own GUI options, taken by QApplication later; known here so they pass.
constexpr const char* kQtOptionsWithValue[] = {"platform",
                                               "platformpluginpath",
                                               "platformtheme",
                                               "plugin",
                                               "qwindowgeometry",
                                               "qwindowicon",
                                               "qwindowtitle",
                                               "style",
                                               "stylesheet",
                                               "display",
                                               "geometry",
                                               "session",
                                               "name",
                                               "title"};
constexpr const char* kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

// The exit code when the command line is answered without a window. Decided
// before any application object exists, so that no display is needed.
// Otherwise strLogFile is what --log names (empty without it).
std::optional<int> ParseCommandLine(int argc, char** argv, QString& strLogFile)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Sets up a stepper-motor drive of the RT3180 or PKN61/72 family through an\n"
                       "SPI Interface adapter on a serial port. Takes Qt's usual options\n"
                       "(-platform, -style, -display, ...) besides those below."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this text and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    // Taken by the application object (CRT3180App::StartWireLog).
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("Write every byte sent and received, with its "
                                                "time, to FILE (- for standard error)."),
                                 QStringLiteral("FILE"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(log);
    for (const char* pszName : kQtOptionsWithValue) {
        QCommandLineOption option(QString::fromLatin1(pszName), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* pszName : kQtFlags) {
        QCommandLineOption option(QString::fromLatin1(pszName));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    const QString strUsage = QStringLiteral("Usage: rt3180 [options]\nTry 'rt3180 --help'.\n");
    if (!parser.parse(arguments) || !parser.positionalArguments().isEmpty()) {
        const QString strError = parser.errorText().isEmpty()
                                     ? QStringLiteral("unexpected argument: ") +
                                           parser.positionalArguments().constFirst()
                                     : parser.errorText();
        std::fprintf(stderr, "rt3180: %s\n%s", qPrintable(strError), qPrintable(strUsage));
        return 2;
    }
    if (parser.isSet(help)) {
        // Without an application object Qt names no program in its usage line.
        const QString strHelp = parser.helpText();
        std::printf("Usage: rt3180 [options]%s", qPrintable(strHelp.mid(strHelp.indexOf('\n'))));
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("rt3180 %s\n", kVersion);
        return 0;
    }
    strLogFile = parser.value(log);
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    QString strLogFile;
    if (const std::optional<int> nExit = ParseCommandLine(argc, argv, strLogFile))
        return *nExit;
    CRT3180App app(argc, argv);
    app.StartWireLog(strLogFile);
    app.InitInstance();
    return 0;
}
