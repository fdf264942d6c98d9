// rt3180-cli as a shell runs it, against the simulated adapter on a
// pseudo-terminal: its output, its exit status, and what reaches the drive.
// The simulated adapter itself: what it answers, and its program's port link.

#include "PortLink.h"
#include "QtSupport.h"
#include "SimSupport.h"

#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

Q_DECLARE_METATYPE(CAdapterSimOptions)

using namespace std::chrono_literals;

namespace
{
const QStringList kApply400 = {"apply", "--resolution", "400", "--current", "4", "--idle", "0"};
const QString kApplied = "RT3180  resolution 400  current 4 A  idle 0 %";
// A family line with a quote, a backslash, control characters and a Latin-1 letter.
const std::string kOddFamilyLine = "RT3180 \"A\\B\"\x1b\tC\xe9";
// Writes the commands on the utility's side of the terminal and reads up to
// end. With a simulator, once it has framed nCommands it queues a marker
// line, which comes after every reply due and is cut off.
QByteArray Exchange(const QString& strPath, const QByteArray& commands, QByteArray end,
                    CAdapterSim* pSim = nullptr, size_t nCommands = 0)
{
    const int nFd = open(QFile::encodeName(strPath), O_RDWR | O_NOCTTY | O_CLOEXEC);
    const auto closeFd = qScopeGuard([nFd] { close(nFd); });
    if (write(nFd, commands.data(), size_t(commands.size())) != commands.size())
        return "not sent";
    if (pSim && !pSim->WaitForEntries(CSimLogEntry::EKind::Command, nCommands, 30s))
        return "not framed";
    if (pSim)
        pSim->SendLine("--"), end.prepend("--");
    QByteArray data;
    char buffer[256];
    pollfd fd{nFd, POLLIN, 0};
    for (ssize_t n = 0; !data.endsWith(end) && poll(&fd, 1, 30000) > 0 &&
                        (n = read(nFd, buffer, sizeof buffer)) > 0;)
        data.append(buffer, n);
    return data.endsWith(end) ? data.chopped(pSim ? end.size() : 0) : "no end: " + data;
}

// Holds a device as another program holding the port would (an exclusive lock).
struct CPortHolder {
    explicit CPortHolder(const QString& strPath)
        : m_nFd(open(QFile::encodeName(strPath), O_RDWR | O_NOCTTY | O_CLOEXEC))
    {
    }
    ~CPortHolder() { close(m_nFd); }
    bool Hold() const { return m_nFd >= 0 && flock(m_nFd, LOCK_EX | LOCK_NB) == 0; }
    const int m_nFd;
};
} // namespace

class TestCli : public QObject
{
    Q_OBJECT

    CTempConfigHome m_home;
    std::unique_ptr<CAdapterSim> m_pSim;

    void StartSim(const CAdapterSimOptions& options = {})
    {
        m_pSim = std::make_unique<CAdapterSim>(options);
        QVERIFY2(m_pSim->Start(), m_pSim->ErrorText().c_str());
        QFile::remove(m_home.Path() + "/KOLV/ports/com1");
        std::string strError;
        QVERIFY2(CreatePortLink(PortLinkPath("COM1"), m_pSim->SlavePath(), strError),
                 strError.c_str());
    }

private slots:
    // A tag starting "PKN" runs against a PKN61/72, "kept" against a drive
    // that keeps resolution 1000 whatever it is sent, "escaped" against one
    // whose family line is kOddFamilyLine, "unanswered" against one that
    // takes commands and answers none; %silent is a terminal
    // nobody answers on. What is compared after the exit status: the file
    // saved, the commands that reached the drive, or standard output.
    void runs_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("err"); // in standard error
        const auto row = [](const char* pszTag, const char* pszArgs, const QString& result,
                            const QString& err) {
            QTest::newRow(pszTag) << pszArgs << result << err;
        };
        row("no command", "", "2", "a command is needed");
        row("unknown option", "--frob recall", "2", "frob");
        row("JSON usage", "--json test maybe",
            R"(2{"command":"test","error":"not a command line: )"
            R"(test maybe","exit":2})"
            "\n",
            "not a command line");
        row("apply nothing", "apply", "2", "apply takes a file");
        row("resolution not listed", "apply --resolution 300 --current 4 --idle 0", "2",
            "allowed: 400, 1000, 2000, 5000");
        row("percent to an RT3180", "apply --resolution 400 --current 80 --idle 0", "2",
            "current 80 is not in the list of the RT3180 drive; allowed: 0.4, 0.8");
        row("short file", "apply short.rt3", "5", "not a valid");
        row("missing file", "apply none.rt3", "5", "cannot be read");
        row("absent device", "--port /dev/nothing recall", "3",
            "/dev/nothing\nThe device does not exist");
        row("not a port", "--port LPT1 identify", "3", "\"LPT1\" is not a serial port name");
        row("busy", "recall", "3", "The port is busy");
        row("silent", "--port %silent identify", "4", "no reply from the drive on %silent");
        row("identify", "identify", "0RT3180 stepper drive, SPI link ready\n", "");
        row("recall", "recall", "0RT3180  resolution 2000  current 3.2 A  idle 20 %\n", "");
        row("PKN recall", "recall", "0PKN61/72  resolution 2000  current 80 %  idle 20 %\n", "");
        row("PKN JSON recall", "--json recall",
            R"(0{"command":"recall","exit":0,"family":"PKN61/72","port":"COM1","settings":)"
            R"({"current":"80","current_unit":"%","idle":"20","resolution":"2000"}})"
            "\n",
            "");
        row("escaped", "--json identify",
            "0{\"command\":\"identify\",\"exit\":0,\"family\":\"RT3180\",\"port\":\"COM1\","
            "\"reply\":\"RT3180 \\\"A\\\\B\\\"\\u001b\\tC\u00e9\"}\n",
            "");
        // The one command asked for, not a toggle.
        row("test on", "--quiet test on", "0P:", "");
        row("test off", "--quiet test off", "0D:", "");
        // The command goes out, its reply never comes: the time-out is a failure.
        row("unanswered test", "--quiet test on", "4P:",
            "rt3180-cli: no reply from the drive on COM1 within the time-out (connection lost)\n");
        // Idle, current, resolution positions: "20", "3.2", "2000".
        row("save", "save drive.rt3", "0020000000700000002000000", "");
        row("apply a saved file", "--quiet apply saved.rt3", "0?: S: ?: R:2 I:8 ID:2", "");
        // The drive link's own Apply, and its pauses.
        row("apply", "--verify apply --resolution 400 --current 4 --idle 0",
            "0?: S: ?: R:4 I:0 ID:0 ?: S:", "R:4 sent, the drive is given 3.5 s (5.8 s left)\n");
        row("kept", "--quiet --verify " + kApply400.join(' ').toLatin1(),
            "1sent: " + kApplied + "\n",
            "rt3180-cli: the drive kept RT3180  resolution 1000  current 4 A  idle 0 %, not " +
                kApplied + "\n");
    }
    void runs()
    {
        QFETCH(QString, args);
        QFETCH(QString, result);
        QFETCH(QString, err);
        const QString strTag = QTest::currentDataTag();
        StartSim({.eFamily = strTag.startsWith("PKN") ? EDriveFamily::PKN61 : EDriveFamily::RT3180,
                  .nAnswerLimit = strTag.startsWith("unanswered") ? 0 : -1,
                  .nKeepResolution = strTag == "kept" ? 1 : -1, // "1000"
                  .strFamilyLine = strTag == "escaped" ? kOddFamilyLine : ""});
        CPty silent;
        // Another program holds the port for "busy".
        const CPortHolder window(strTag == "busy" ? m_home.Path() + "/KOLV/ports/com1" : "");
        QVERIFY(strTag != "busy" || window.Hold());
        for (const auto& [name, hex] :
             {std::pair{"/short.rt3", "1234"}, std::pair{"/saved.rt3", "020000000700000002000000"}})
            QVERIFY(WriteFile(m_home.Path() + name, QByteArray::fromHex(hex)));

        args.replace("%silent", silent.Path());
        QProcess cli;
        cli.setWorkingDirectory(m_home.Path());
        cli.start(RT3180_CLI_PROGRAM, args.split(' ', Qt::SkipEmptyParts));
        cli.waitForFinished(30000);
        const QStringList run = {QString::number(cli.exitStatus() ? -1 : cli.exitCode()),
                                 cli.readAllStandardOutput(), cli.readAllStandardError()};
        QCOMPARE(run[0] + (strTag == "save" ? ReadFile(m_home.Path() + "/drive.rt3").toHex()
                           : strTag.contains("test") || strTag.contains("apply")
                               ? SimCommands(*m_pSim).join(' ')
                               : run[1]),
                 result);
        QVERIFY2(err.isEmpty() ? run[2].isEmpty()
                               : run[2].contains(err.replace("%silent", silent.Path())),
                 qPrintable(run[2]));
        // A refusal sends nothing that could change the drive.
        const bool bRefused = QStringList{"2", "3", "5"}.contains(run[0]);
        for (const QString& strCommand : SimCommands(*m_pSim))
            QVERIFY2(!bRefused || strCommand == "?:" || strCommand == "S:", qPrintable(strCommand));
    }

    // Ctrl-C in the apply's longest pause ends it there, and frees the port.
    void interruptedApply()
    {
        StartSim();
        QProcess cli;
        cli.start(RT3180_CLI_PROGRAM, kApply400);
        QVERIFY(m_pSim->WaitForEntries(CSimLogEntry::EKind::Command, 4, 30s));
        ::kill(pid_t(cli.processId()), SIGINT);
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 130);
        QVERIFY(!m_pSim->WaitForEntries(CSimLogEntry::EKind::Command, 5, 500ms));
        QCOMPARE(SimCommands(*m_pSim), QStringList({"?:", "S:", "?:", "R:4"}));
        QVERIFY(CPortHolder(m_home.Path() + "/KOLV/ports/com1").Hold());
    }

    // Connect, Apply with "400", "100" and "0", Test: "S:" reports what Apply
    // left. Garbage between the commands is skipped.
    void replies_data()
    {
        QTest::addColumn<CAdapterSimOptions>("options");
        QTest::addColumn<QByteArray>("replies"); // with CR line ends
        const QByteArray all = "RT3180 stepper drive, SPI link ready\rR:4 accepted\rI:0 accepted\r"
                               "ID:0 accepted\rresolution: 400\rcurrent: 100\ridle current: 0\r"
                               "P: accepted\rD: accepted\r";
        QTest::newRow("RT3180, CR") << CAdapterSimOptions{} << all;
        QTest::newRow("PKN61/72, CR LF")
            << CAdapterSimOptions{EDriveFamily::PKN61, true} << "PKN61/72" + all.mid(6);
        QTest::newRow("never answers") << CAdapterSimOptions{.bNeverAnswer = true} << QByteArray();
        QTest::newRow("stops after 2")
            << CAdapterSimOptions{.nAnswerLimit = 2} << all.left(all.indexOf("I:0"));
    }
    void replies()
    {
        QFETCH(CAdapterSimOptions, options);
        QFETCH(QByteArray, replies);
        StartSim(options);
        const QByteArray end = options.bCrLf ? "\r\n" : "\r";
        QCOMPARE(Exchange(QString::fromStdString(m_pSim->SlavePath()),
                          "?:R:4ID:-I:0ID:0S:\nP:D:", end, m_pSim.get(), 7),
                 replies.replace("\r", end));
    }

    // The program links the port name to its terminal, and takes the link
    // away again when told to end.
    void programLinksAndEndsOnSigterm()
    {
        QProcess process;
        process.start(RT3180_SIM_PROGRAM, {"--port", "com3", "--family", "pkn61", "--crlf"});
        const QString banner = ReadLine(process);
        const QFileInfo link(m_home.Path() + "/KOLV/ports/com3");
        QVERIFY2(link.isSymLink() && banner.contains(" on " + link.symLinkTarget() + ", "),
                 qPrintable(banner));
        QVERIFY(Exchange(link.filePath(), "?:", "\r\n").startsWith("PKN61/72"));
        QCOMPARE(kill(pid_t(process.processId()), SIGTERM), 0);
        QVERIFY(process.waitForFinished(30000));
        QVERIFY(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0);
        QVERIFY(!QFileInfo(link.filePath()).isSymLink());
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
