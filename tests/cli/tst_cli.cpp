// rt3180-cli as a shell runs it, against the simulated adapter on a
// pseudo-terminal: its output, its exit status, and what reaches the drive.

#include "AdapterSim.h"
#include "SerialPeer.h"
#include "TestSupport.h"
#include "protocol/DriveProtocol.h"

#include <QProcess>
#include <QtTest>
#include <csignal>

using namespace std::chrono;
using namespace std::chrono_literals;

namespace
{
struct CRun {
    int nExit = -1;
    QString strOut;
    QString strErr;
};

const QStringList kApply400 = {"apply", "--resolution", "400", "--current", "4", "--idle", "0"};
} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_pHome = std::make_unique<CTempConfigHome>(); }
    void cleanup()
    {
        m_pSim.reset();
        m_pHome.reset();
    }

    void refusalsAndExitStatuses_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("message");
        QTest::newRow("no command") << QStringList{} << 2 << "a command is needed";
        QTest::newRow("unknown command") << QStringList{"frob"} << 2 << "not a command line";
        QTest::newRow("unknown option") << QStringList{"--frob", "recall"} << 2 << "frob";
        QTest::newRow("test maybe") << QStringList{"test", "maybe"} << 2 << "not a command";
        QTest::newRow("JSON usage") << QStringList{"--json", "test", "maybe"} << 2 << "not a";
        QTest::newRow("apply nothing") << QStringList{"apply"} << 2 << "apply takes a file";
        QTest::newRow("resolution not listed")
            << QStringList{"apply", "--resolution", "300", "--current", "4", "--idle", "0"} << 2
            << "allowed: 400, 1000, 2000, 5000";
        QTest::newRow("percent to an RT3180")
            << QStringList{"apply", "--resolution", "400", "--current", "80", "--idle", "0"} << 2
            << "current 80 is not in the list of the RT3180 drive; allowed: 0.4, 0.8";
        QTest::newRow("short file") << QStringList{"apply", "short.rt3"} << 5 << "not a valid";
        QTest::newRow("missing file") << QStringList{"apply", "none.rt3"} << 5 << "cannot be read";
        QTest::newRow("absent device") << QStringList{"--port", "/dev/nothing", "recall"} << 3
                                       << "/dev/nothing\nThe device does not exist";
        QTest::newRow("JSON absent device")
            << QStringList{"--json", "--port", "/dev/nothing", "recall"} << 3 << "/dev/nothing";
        QTest::newRow("not a port") << QStringList{"--port", "LPT1", "identify"} << 3
                                    << "\"LPT1\" is not a serial port name";
    }
    void refusalsAndExitStatuses()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exit);
        QFETCH(QString, message);
        StartSim({});
        QFile shortFile(m_pHome->Path() + "/short.rt3");
        QVERIFY(shortFile.open(QIODevice::WriteOnly) && shortFile.write("12345678") == 8);
        shortFile.close();

        const CRun run = RunCli(args);
        QCOMPARE(run.nExit, exit);
        QVERIFY2(run.strErr.contains(message), qPrintable(run.strErr));
        if (args.contains("--json")) // one object, saying the same
            QCOMPARE(QJsonDocument::fromJson(run.strOut.toUtf8())["exit"].toInt(), exit);
        // Nothing reached the drive that could change it.
        for (const QString& strCommand : Commands())
            QVERIFY2(strCommand == "?:" || strCommand == "S:", qPrintable(strCommand));
    }

    void readsWhatTheDriveHolds_data()
    {
        QTest::addColumn<bool>("rt3180");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("out");
        QTest::newRow("identify") << true << QStringList{"identify"}
                                  << "RT3180 stepper drive, SPI link ready\n";
        QTest::newRow("recall RT3180") << true << QStringList{"recall"}
                                       << "RT3180  resolution 2000  current 3.2 A  idle 20 %\n";
        QTest::newRow("recall PKN61/72") << false << QStringList{"recall"}
                                         << "PKN61/72  resolution 2000  current 80 %  idle 20 %\n";
        QTest::newRow("recall JSON")
            << false << QStringList{"--json", "recall"}
            << R"({"command":"recall","exit":0,"family":"PKN61/72","port":"COM1","settings":)"
               R"({"current":"80","current_unit":"%","idle":"20","resolution":"2000"}})"
               "\n";
        QTest::newRow("test on") << true << QStringList{"test", "on"} << "";
        QTest::newRow("test off") << true << QStringList{"test", "off"} << "";
    }
    void readsWhatTheDriveHolds()
    {
        QFETCH(bool, rt3180);
        QFETCH(QStringList, args);
        QFETCH(QString, out);
        CAdapterSimOptions options;
        options.eFamily = rt3180 ? EDriveFamily::RT3180 : EDriveFamily::PKN61;
        StartSim(options);
        const CRun run = RunCli(args);
        QCOMPARE(run.nExit, 0);
        QCOMPARE(run.strOut, out);
        if (args.first() == "test") // the one command asked for, not a toggle
            QCOMPARE(Commands(), QStringList({args[1] == "on" ? "P:" : "D:"}));
    }

    void aSilentDriveExits4()
    {
        CPtyPeer peer;
        const CRun run = RunCli({"--port", peer.Path(), "identify"});
        QCOMPARE(run.nExit, 4);
        QVERIFY(run.strErr.contains("no reply from the drive on " + peer.Path()));
    }

    void applySendsWhatTheWindowSendsAndVerifies()
    {
        // The window's Apply: its drive link with the codes of 400 / 4 A / 0 %.
        StartSim({});
        std::vector<CSimLogEntry> window;
        WindowApply({4, 0, 0}, window);
        QCOMPARE(window.size(), 4u);
        const QString strLog = m_pHome->Path() + "/wire.log";

        StartSim({});
        const CRun run = RunCli(QStringList{"--log", strLog, "--verify"} + kApply400);
        QCOMPARE(run.nExit, 0);
        QVERIFY2(run.strErr.contains("R:4 sent, the drive is given 3.5 s"), qPrintable(run.strErr));
        std::vector<CSimLogEntry> cli = CommandEntries();
        QCOMPARE(cli.size(), 8u); // recall, apply, recall
        cli = {cli.begin() + 2, cli.begin() + 6};
        for (std::size_t i = 0; i < window.size(); ++i) {
            QCOMPARE(cli[i].strText, window[i].strText);
            if (i > 0) {
                const auto gapWindow = window[i].tpTime - window[i - 1].tpTime;
                const auto gapCli = cli[i].tpTime - cli[i - 1].tpTime;
                QVERIFY(abs(duration_cast<milliseconds>(gapCli - gapWindow)) < 150ms);
            }
        }
        QCOMPARE(m_pSim->Settings().nResolution, 4);
        QFile log(strLog);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray bytes = log.readAll();
        QVERIFY(bytes.contains(" TX 52 3a 34 |R:4|\n"));
        QVERIFY(bytes.contains(" RX 52 3a 34 20 61 63 63 65 70 74 65 64 0d |R:4 accepted.|\n"));
        // Each reply line on its own, even when several come before the next command.
        QVERIFY(bytes.contains(" RX 63 75 72 72 65 6e 74 3a 20 38 30 0d |current: 80.|\n"));
    }

    void verifyFindsWhatTheDriveKept()
    {
        CAdapterSimOptions options;
        options.nKeepResolution = 1; // "1000"
        StartSim(options);
        const CRun run = RunCli(QStringList{"--quiet", "--verify"} + kApply400);
        QCOMPARE(run.nExit, 1);
        QCOMPARE(run.strErr, "rt3180-cli: the drive kept RT3180  resolution 1000  current 4 A  "
                             "idle 0 %, not RT3180  resolution 400  current 4 A  idle 0 %\n");
    }

    void savedSettingsApplyUnchanged()
    {
        StartSim({});
        const QString strFile = m_pHome->Path() + "/drive.rt3";
        QCOMPARE(RunCli({"save", strFile}).nExit, 0);
        QFile file(strFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        // Idle, current, resolution positions: "20", "3.2", "2000".
        QCOMPARE(file.readAll().toHex(), QByteArray("020000000700000002000000"));
        const CDriveSettings before = m_pSim->Settings();
        QCOMPARE(RunCli({"--quiet", "apply", strFile}).nExit, 0);
        QCOMPARE(Commands().mid(4), QStringList({"?:", "R:2", "I:8", "ID:2"}));
        QCOMPARE(m_pSim->Settings().nResolution, before.nResolution);
        QCOMPARE(m_pSim->Settings().nCurrent, before.nCurrent);
        QCOMPARE(m_pSim->Settings().nIdle, before.nIdle);
    }

    void thePortIsHeldExclusively()
    {
        StartSim({});
        {
            CSerialPort window;
            QVERIFY(window.Open("COM1"));
            const CRun run = RunCli({"recall"});
            QCOMPARE(run.nExit, 3);
            QVERIFY(run.strErr.contains("Unable to open COM1"));
            QVERIFY(run.strErr.contains("The port is busy"));
        }
        // The reverse, then Ctrl-C in the apply's longest pause.
        QProcess cli;
        cli.start(RT3180_CLI_PROGRAM, kApply400);
        QVERIFY(m_pSim->WaitForEntries(CSimLogEntry::EKind::Command, 4, 5s));
        {
            CMessageBoxRecorder boxes;
            CSerialPort window;
            QVERIFY(!window.Open("COM1"));
            QVERIFY(boxes.Calls().value(0).strDetail.contains("The port is busy"));
        }
        ::kill(pid_t(cli.processId()), SIGINT);
        QVERIFY(cli.waitForFinished(2000));
        QCOMPARE(cli.exitCode(), 130);
        QVERIFY(!m_pSim->WaitForEntries(CSimLogEntry::EKind::Command, 5, 500ms));
        QCOMPARE(Commands(), QStringList({"?:", "S:", "?:", "R:4"}));
        CSerialPort window;
        QVERIFY(window.Open("COM1"));
    }

private:
    void StartSim(const CAdapterSimOptions& options)
    {
        m_pSim = std::make_unique<CAdapterSim>(options);
        QVERIFY2(m_pSim->Start(), m_pSim->ErrorText().c_str());
        QFile::remove(m_pHome->Path() + "/KOLV/ports/com1");
        LinkCom1(QString::fromStdString(m_pSim->SlavePath()));
    }

    CRun RunCli(const QStringList& args)
    {
        QProcess process;
        process.setWorkingDirectory(m_pHome->Path());
        process.start(RT3180_CLI_PROGRAM, args);
        if (!process.waitForFinished(30000))
            return {};
        return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }

    std::vector<CSimLogEntry> CommandEntries() const { return SimCommands(*m_pSim); }
    QStringList Commands() const
    {
        QStringList texts;
        for (const CSimLogEntry& entry : CommandEntries())
            texts << QString::fromStdString(entry.strText);
        return texts;
    }

    // What the window's Apply button puts on the line after its Connect.
    void WindowApply(const CSettingCodes& codes, std::vector<CSimLogEntry>& commands)
    {
        CDriveProtocol drive;
        drive.Connect("COM1");
        drive.Recall();
        QTRY_VERIFY(!drive.IsReplyTimerPending());
        m_pSim->ClearLog();
        drive.Apply(codes);
        drive.Close();
        commands = CommandEntries();
    }

    std::unique_ptr<CTempConfigHome> m_pHome;
    std::unique_ptr<CAdapterSim> m_pSim;
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
