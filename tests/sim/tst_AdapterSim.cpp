// The simulated adapter: what it answers on a real pseudo-terminal, and its
// program's port link.

#include "TestSupport.h"

#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

Q_DECLARE_METATYPE(CAdapterSimOptions)

namespace
{
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
    if (pSim &&
        !pSim->WaitForEntries(CSimLogEntry::EKind::Command, nCommands, std::chrono::seconds(30)))
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
} // namespace

class TestAdapterSim : public QObject
{
    Q_OBJECT

private slots:
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
        CAdapterSim sim(options);
        QVERIFY2(sim.Start(), sim.ErrorText().c_str());
        const QByteArray end = options.bCrLf ? "\r\n" : "\r";
        QCOMPARE(Exchange(QString::fromStdString(sim.SlavePath()), "?:R:4ID:-I:0ID:0S:\nP:D:", end,
                          &sim, 7),
                 replies.replace("\r", end));
    }

    // The program links the port name to its terminal, and takes the link
    // away again when told to end.
    void programLinksAndEndsOnSigterm()
    {
        CTempConfigHome home;
        QProcess process;
        process.start(RT3180_SIM_PROGRAM, {"--port", "com3", "--family", "pkn61", "--crlf"});
        const QString banner = ReadLine(process);
        const QFileInfo link(home.Path() + "/KOLV/ports/com3");
        QVERIFY2(link.isSymLink() && banner.contains(" on " + link.symLinkTarget() + ", "),
                 qPrintable(banner));
        QVERIFY(Exchange(link.filePath(), "?:", "\r\n").startsWith("PKN61/72"));
        QCOMPARE(kill(pid_t(process.processId()), SIGTERM), 0);
        QVERIFY(process.waitForFinished(30000));
        QVERIFY(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0);
        QVERIFY(!QFileInfo(link.filePath()).isSymLink());
    }
};

QTEST_GUILESS_MAIN(TestAdapterSim)
#include "tst_AdapterSim.moc"
