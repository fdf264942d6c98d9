// rt3180-cli as a shell runs it, against the simulated adapter on a
// pseudo-terminal: its output, its exit status, and what reaches the drive.

#include "SerialPeer.h"
#include "TestSupport.h"

#include <QtTest>
#include <csignal>

using namespace std::chrono_literals;

namespace
{
const QStringList kApply400 = {"apply", "--resolution", "400", "--current", "4", "--idle", "0"};
const QString kApplied = "RT3180  resolution 400  current 4 A  idle 0 %";
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
        LinkCom1(QString::fromStdString(m_pSim->SlavePath()));
    }

    // Exit status, then standard output and standard error.
    static QStringList RunCli(const QStringList& args, const QString& strFolder)
    {
        QProcess process;
        process.setWorkingDirectory(strFolder);
        process.start(RT3180_CLI_PROGRAM, args);
        process.waitForFinished(30000);
        return {QString::number(process.exitStatus() ? -1 : process.exitCode()),
                process.readAllStandardOutput(), process.readAllStandardError()};
    }

    QStringList Commands() const
    {
        QStringList texts;
        for (const CSimLogEntry& entry : SimCommands(*m_pSim))
            texts << QString::fromStdString(entry.strText);
        return texts;
    }

private slots:
    // A tag starting "PKN" runs against a PKN61/72, "kept" against a drive
    // that keeps resolution 1000 whatever it is sent; %silent is a terminal
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
        // The one command asked for, not a toggle.
        row("test on", "--quiet test on", "0P:", "");
        row("test off", "--quiet test off", "0D:", "");
        // Idle, current, resolution positions: "20", "3.2", "2000".
        row("save", "save drive.rt3", "0020000000700000002000000", "");
        row("apply a saved file", "--quiet apply saved.rt3", "0?: S: ?: R:2 I:8 ID:2", "");
        // The drive link's own Apply, and its pauses.
        row("apply", "--verify apply --resolution 400 --current 4 --idle 0",
            "0?: S: ?: R:4 I:0 ID:0 ?: S:", "R:4 sent, the drive is given ");
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
        CAdapterSimOptions options;
        options.eFamily = strTag.startsWith("PKN") ? EDriveFamily::PKN61 : EDriveFamily::RT3180;
        options.nKeepResolution = strTag == "kept" ? 1 : -1; // "1000"
        StartSim(options);
        CPtyPeer silent;
        CSerialPort window; // holds the port for "busy"
        QVERIFY(strTag != "busy" || window.Open("COM1"));
        for (const auto& [name, hex] : {std::pair{"/short.rt3", "1234"},
                                        std::pair{"/saved.rt3", "020000000700000002000000"}}) {
            QFile file(m_home.Path() + name);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray::fromHex(hex)) > 0);
        }

        args.replace("%silent", silent.Path());
        const QStringList run = RunCli(args.split(' ', Qt::SkipEmptyParts), m_home.Path());
        QFile saved(m_home.Path() + "/drive.rt3");
        QCOMPARE(run[0] +
                     (strTag == "save" && saved.open(QIODevice::ReadOnly) ? saved.readAll().toHex()
                      : strTag.contains("test") || strTag.contains("apply") ? Commands().join(' ')
                                                                            : run[1]),
                 result);
        QVERIFY2(err.isEmpty() ? run[2].isEmpty()
                               : run[2].contains(err.replace("%silent", silent.Path())),
                 qPrintable(run[2]));
        // A refusal sends nothing that could change the drive.
        const bool bRefused = QStringList{"2", "3", "5"}.contains(run[0]);
        for (const QString& strCommand : Commands())
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
        QCOMPARE(Commands(), QStringList({"?:", "S:", "?:", "R:4"}));
        CSerialPort window;
        QVERIFY(window.Open("COM1"));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
