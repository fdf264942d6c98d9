#include "AdapterSim.h"
#include "CommandFramer.h"
#include "TestSupport.h"

#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

Q_DECLARE_METATYPE(CAdapterSimOptions)

class TestAdapterSim : public QObject
{
    Q_OBJECT

    // The utility's side of the terminal, which the simulator keeps raw.
    struct CClient {
        explicit CClient(const char* pszPath) : nFd(open(pszPath, O_RDWR | O_NOCTTY)) {}
        ~CClient() { close(nFd); }

        // Sends the commands and returns what comes up to end. With a simulator,
        // the replies only: once it has framed nCommands in all, it queues a
        // marker line, which comes after every reply due (and is cut off).
        QByteArray Exchange(const QByteArray& commands, QByteArray end, CAdapterSim* pSim = nullptr,
                            size_t nCommands = 0)
        {
            (void)!write(nFd, commands.data(), size_t(commands.size()));
            if (pSim) {
                if (!pSim->WaitForEntries(CSimLogEntry::EKind::Command, nCommands,
                                          std::chrono::seconds(5)))
                    return "not framed";
                pSim->SendLine("--");
                end.prepend("--");
            }
            QByteArray data;
            char buffer[256];
            pollfd fd{nFd, POLLIN, 0};
            for (ssize_t n = 0; !data.endsWith(end) && poll(&fd, 1, 5000) > 0 &&
                                (n = read(nFd, buffer, sizeof buffer)) > 0;)
                data.append(buffer, n);
            return !pSim                ? data
                   : data.endsWith(end) ? data.chopped(end.size())
                                        : "no marker " + data;
        }

        int nFd;
    };

private slots:
    void framing_data()
    {
        QTest::addColumn<QStringList>("chunks");
        QTest::addColumn<QStringList>("pieces"); // garbage marked with a leading '!'
        QTest::newRow("concatenated") << QStringList{"?:S:R:4I:0ID:0P:D:"}
                                      << QStringList{"?:", "S:", "R:4", "I:0", "ID:0", "P:", "D:"};
        QTest::newRow("split") << QStringList{"?", ":S", ":I", "D", ":3I:", "2"}
                               << QStringList{"?:", "S:", "ID:3", "I:2"};
        QTest::newRow("garbage") << QStringList{"xx?:", "R:?:", "ID:-S:\r\n"}
                                 << QStringList{"!xx", "?:", "!R:", "?:", "!ID:-", "S:", "!\r\n"};
    }
    void framing()
    {
        QFETCH(QStringList, chunks);
        QFETCH(QStringList, pieces);
        CCommandFramer framer;
        QStringList got;
        for (const QString& chunk : chunks)
            for (const CCommandFramer::CPiece& piece : framer.Feed(chunk.toStdString()))
                got << (piece.bCommand ? "" : "!") + QString::fromStdString(piece.strBytes);
        QCOMPARE(got, pieces);
    }

    void replies_data()
    {
        QTest::addColumn<CAdapterSimOptions>("options");
        QTest::addColumn<QByteArray>("replies"); // with CR line ends
        // Connect, Apply with "400", "100" and "0", Test: "S:" reports what Apply left.
        const QByteArray all = "RT3180 stepper drive, SPI link ready\rR:4 accepted\rI:0 accepted\r"
                               "ID:0 accepted\rresolution: 400\rcurrent: 100\ridle current: 0\r"
                               "P: accepted\rD: accepted\r";
        const QByteArray pkn = "PKN61/72" + all.mid(6);
        QTest::newRow("RT3180, CR") << CAdapterSimOptions{} << all;
        QTest::newRow("RT3180, CR LF") << CAdapterSimOptions{.bCrLf = true} << all;
        QTest::newRow("PKN61/72, CR") << CAdapterSimOptions{EDriveFamily::PKN61} << pkn;
        QTest::newRow("PKN61/72, CR LF") << CAdapterSimOptions{EDriveFamily::PKN61, true} << pkn;
        QTest::newRow("never answers") << CAdapterSimOptions{.bNeverAnswer = true} << QByteArray();
        QTest::newRow("stops after 2")
            << CAdapterSimOptions{.nAnswerLimit = 2} << all.left(all.indexOf("I:0"));
    }
    void replies()
    {
        QFETCH(CAdapterSimOptions, options);
        QFETCH(QByteArray, replies);
        CAdapterSim sim(options);
        QVERIFY2(sim.Start(), sim.ErrorText().c_str());
        const QByteArray end = options.bCrLf ? "\r\n" : "\r";
        QCOMPARE(CClient(sim.SlavePath().c_str()).Exchange("?:R:4I:0ID:0S:P:D:", end, &sim, 7),
                 replies.replace("\r", end));
    }

    void programLinksAndEndsOnSigterm()
    {
        CTempConfigHome home;
        QProcess process;
        process.start(RT3180_SIM_PROGRAM, {"--port", "com3", "--family", "pkn61", "--crlf"});
        QVERIFY(process.waitForReadyRead(5000));
        const QString banner = QString::fromLocal8Bit(process.readLine());
        const QFileInfo link(home.Path() + "/KOLV/ports/com3");
        QVERIFY2(link.isSymLink() && banner.contains(" on " + link.symLinkTarget() + ", "),
                 qPrintable(banner));
        QVERIFY(CClient(qPrintable(link.filePath())).Exchange("?:", "\r\n").startsWith("PKN61/72"));
        QCOMPARE(kill(pid_t(process.processId()), SIGTERM), 0);
        QVERIFY(process.waitForFinished(5000));
        QVERIFY(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0);
        QVERIFY(!QFileInfo(link.filePath()).isSymLink());
    }
};

QTEST_GUILESS_MAIN(TestAdapterSim)
#include "tst_AdapterSim.moc"
