// The port on real pseudo-terminals: what it refuses, the line it sets,
// writing, closing, and the reader that hands every received byte on.

#include "SerialPeer.h"
#include "posix/OpenAdvice.h"
#include "posix/PreciseClock.h"
#include "posix/SerialPort.h"

#include <QtTest>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>

class TestSerialPort : public QObject
{
    Q_OBJECT

    CTempConfigHome m_home;

private slots:
    // Anything but a terminal is refused before it is opened for good. The tag
    // is the port (relative: in a fresh folder), the column the detail given.
    void refusesWhatIsNotATerminal_data()
    {
        QTest::addColumn<QString>("detail");
        QTest::newRow("/dev/rt3180-none") << "Device: /dev/rt3180-none\nThe device does not exist";
        QTest::newRow("/dev/null") << "a device that is not a terminal";
        QTest::newRow("./fifo") << "This is a FIFO (named pipe), not a serial port";
        QTest::newRow("./file") << "This is a regular file, not a serial port";
        QTest::newRow("COM1") << "Device: %1/KOLV/ports/com1 (a link to /nonexistent/tty)\n"
                                 "The device does not exist";
        QTest::newRow("com98:") << "Device: /dev/ttyS97\nThe device does not exist. Is the "
                                   "adapter plugged in?\nTo use another device as com98:, make "
                                   "%1/KOLV/ports/com98 a link to it.";
        QTest::newRow("LPT1") << "\"LPT1\" is not a serial port name.";
    }
    void refusesWhatIsNotATerminal()
    {
        QFETCH(QString, detail);
        QTemporaryDir dir;
        const QString tag = QTest::currentDataTag();
        const QString name = tag.contains('/') ? QDir(dir.path()).filePath(tag) : tag;
        QVERIFY(mkfifo(QFile::encodeName(dir.filePath("fifo")), 0600) == 0);
        QVERIFY(WriteFile(dir.filePath("file"), {}) &&
                QDir().mkpath(m_home.FilePath("KOLV/ports")));
        QFile::link("/nonexistent/tty", m_home.FilePath("KOLV/ports/com1"));
        CWaitingQueue queue;
        CSerialPort port;
        // A FIFO without a reader: a blocking open hangs.
        const COpenResult result = port.Open(name.toStdString(), queue);
        QVERIFY(!result.bOpened && result.failedSteps.empty() && port.WasOpened());
        QCOMPARE(QFileInfo(dir.filePath("file")).size(), 0);
        QVERIFY2(
            QString::fromStdString(result.strDetail).contains(detail.replace("%1", m_home.Path())),
            result.strDetail.c_str());
    }

    // Another program may have left the terminal in any state: Open sets a
    // raw 8N1 line at 9600 without flow control whatever was there, keeps
    // the port for itself, bounds its writes and gives it all back. A step
    // of Open that fails is reported, and the steps after it still run.
    void opensARawLineForItself_data()
    {
        QTest::addColumn<uint>("iflag");
        QTest::addColumn<uint>("cflag");
        QTest::addColumn<int>("failing");
        QTest::newRow("terminal defaults") << 0u << 0u << int(EOpenStep::GetCommState);
        QTest::newRow("two stop bits") << 0u << uint(CSTOPB) << int(EOpenStep::GetCommTimeouts);
        // The kernel clears parity generation on a pseudo-terminal; its checking stays.
        QTest::newRow("parity checked")
            << uint(INPCK | IGNPAR | PARMRK | ISTRIP) << 0u << int(EOpenStep::SetCommTimeouts);
        QTest::newRow("hardware flow control")
            << 0u << uint(CRTSCTS) << int(EOpenStep::SetCommMask);
        QTest::newRow("software flow control")
            << uint(IXON | IXOFF | IXANY) << 0u << int(EOpenStep::SetCommState);
    }
    void opensARawLineForItself()
    {
        QFETCH(uint, iflag);
        QFETCH(uint, cflag);
        QFETCH(int, failing);
        CPtyPeer peer;
        const int nOwn = peer.OwnSlave(); // reads the line back, stalls it, keeps it up
        termios line{};
        QCOMPARE(tcgetattr(nOwn, &line), 0);
        line.c_iflag |= iflag;
        line.c_cflag = (line.c_cflag & ~CLOCAL) | cflag;
        cfsetspeed(&line, B115200);
        QVERIFY(tcsetattr(nOwn, TCSANOW, &line) == 0 && tcgetattr(nOwn, &line) == 0);
        QVERIFY((line.c_iflag & iflag) == iflag && (line.c_cflag & cflag) == cflag);
        // Waiting before the open (its echo shows it arrived): must reach nobody.
        QVERIFY(peer.Send("stale"));
        QCOMPARE(peer.Receive(5, 2000), QByteArray("stale"));
        int nExclusive = 0;
        CWaitingQueue queue;
        {
            CSerialPort port;
            CSerialPort::s_nFailingStep = failing;
            const auto noneFailing = qScopeGuard([] { CSerialPort::s_nFailingStep = -1; });
            const COpenResult result = port.Open(peer.PathText(), queue);
            QVERIFY(result.bOpened && result.strDetail.empty());
            QVERIFY(result.failedSteps == std::vector{EOpenStep(failing)});
            QCOMPARE(tcgetattr(nOwn, &line), 0);
            QCOMPARE(cfgetospeed(&line), speed_t(B9600));
            QCOMPARE(line.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD),
                     tcflag_t(CS8 | CLOCAL | CREAD));
            QCOMPARE(line.c_iflag & (IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK | ISTRIP |
                                     ICRNL | INLCR | IGNCR),
                     tcflag_t(0));
            QCOMPARE((line.c_oflag & OPOST) | (line.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)),
                     tcflag_t(0));
            QCOMPARE(line.c_cc[VMIN] + line.c_cc[VTIME], 0); // reads return at once
            // Every byte as an unsigned value, in order, flow control characters too.
            QVERIFY(peer.Send(QByteArray("\r\n\x11\x13\0\xB0\xFF", 7)));
            QCOMPARE(queue.WaitFor(7), (QList<unsigned>{13, 10, 0x11, 0x13, 0, 0xB0, 0xFF}));
            QVERIFY(port.Write("?:\x13"));
            QCOMPARE(peer.Receive(3, 2000), QByteArray("?:\x13"));

            // A second user is kept out, whether it honours serial locks or not.
            QVERIFY(ioctl(nOwn, TIOCGEXCL, &nExclusive) == 0 && nExclusive == 1);
            const COpenResult second = CSerialPort().Open(peer.PathText(), queue);
            QVERIFY(!second.bOpened);
            QVERIFY2(second.strDetail.find("The port is busy: tst_serialport (process " +
                                           std::to_string(getpid()) + ") holds it.") !=
                         std::string::npos,
                     second.strDetail.c_str());

            port.Close();
            QVERIFY(port.Open(peer.PathText(), queue).bOpened);
            QCOMPARE(tcflow(nOwn, TCOOFF), 0); // the line takes nothing
            QElapsedTimer timer;
            timer.start();
            QVERIFY(!port.Write("R:5\r"));
            QVERIFY2(timer.elapsed() >= 1040 && timer.elapsed() < 1040 + 1500,
                     qPrintable(QString::number(timer.elapsed())));
            QCOMPARE(tcflow(nOwn, TCOON), 0);
        } // the destructor closes the port, exclusive mode included
        QVERIFY(ioctl(nOwn, TIOCGEXCL, &nExclusive) == 0 && nExclusive == 0);
    }

    // Close wakes the reader at once from any wait; the peer going away is
    // reported once, after the bytes before it, and costs nothing after.
    void readerEndsAtOnceAndLeavesNoneBehind_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("end");
        QTest::newRow("close before the first byte") << QByteArray() << "close";
        QTest::newRow("close when idle") << QByteArray("A") << "close";
        QTest::newRow("open again without close") << QByteArray("A") << "open";
        QTest::newRow("hang-up before the first byte") << QByteArray() << "hangup";
        QTest::newRow("hang-up after bytes") << QByteArray("AB\r") << "hangup";
    }
    void readerEndsAtOnceAndLeavesNoneBehind()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, end);
        CPtyPeer first, second;
        CWaitingQueue queue;
        CSerialPort port;
        QVERIFY(port.Open(first.PathText(), queue).bOpened);
        QTRY_COMPARE(ReaderThreads().size(), 1);
        QVERIFY(first.Send(before));
        QList<unsigned> expected(before.cbegin(), before.cend());
        QCOMPARE(queue.WaitFor(expected.size()), expected);
        QTest::qWait(50); // the reader is asleep in its wait by now
        if (end == "hangup") {
            first.Hangup();
            expected.append(CWaitingQueue::kHangup);
            QCOMPARE(queue.WaitFor(expected.size(), 1000), expected); // at once
            QFile stat(QString("/proc/self/task/%1/schedstat").arg(ReaderThreads().value(0)));
            auto cpuNs = [&stat] { return stat.readAll().split(' ')[0].toLongLong(); };
            QVERIFY(stat.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
            const qint64 nCpuBefore = cpuNs();
            // A reader that polls a dead device again at once burns a core.
            QCOMPARE(queue.WaitFor(expected.size() + 1, 300), expected);
            QVERIFY(stat.seek(0) && cpuNs() - nCpuBefore < 30'000'000);
        }
        QElapsedTimer timer;
        timer.start();
        if (end != "open")
            port.Close();
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(port.Open(second.PathText(), queue).bOpened);
        QVERIFY(second.Send("B"));
        QCOMPARE(queue.WaitFor(expected.size() + 1).value(expected.size()), unsigned('B'));
        QTRY_COMPARE(ReaderThreads().size(), 1);
        if (end != "hangup") // the first port was released with its reader
            QVERIFY(CSerialPort().Open(first.PathText(), queue).bOpened);
    }

    // A receiver that falls behind holds the reader at its gate: at most 16
    // chunks of 256 bytes wait, the terminal keeps the rest, nothing is lost.
    void readerWaitsAtTheGate()
    {
        CPtyPeer peer;
        CWaitingQueue queue;
        CSerialPort port;
        QVERIFY(port.Open(peer.PathText(), queue).bOpened);
        queue.Hold(true);
        QByteArray burst;
        QList<unsigned> expected;
        for (int i = 0; i < 5000; ++i) {
            burst.append(char(i % 251));
            expected.append(unsigned(i % 251));
        }
        QVERIFY(peer.Send(burst));
        QVERIFY(queue.WaitFor(burst.size(), 500).size() < burst.size());
        QCOMPARE(queue.Chunks().first, kMaxChunksPosted);
        queue.Hold(false);
        QCOMPARE(queue.WaitFor(burst.size()), expected);
        QCOMPARE(queue.Chunks().second, kMaxChunkBytes);
    }

    // Joining a group helps only where a group other than root may read and
    // write the device; otherwise the advice is a udev rule.
    void permissionAdviceFitsTheDevice()
    {
        QList<bool> joinGroup;
        for (auto [nMode, pszGroup] :
             {std::pair{0660u, "dialout"}, {0600u, "dialout"}, {0640u, "dialout"}, {0660u, "root"}})
            joinGroup << QString::fromStdString(PermissionAdvice({nMode, "root", pszGroup, {}}))
                             .contains(QString("usermod -aG %1 $USER").arg(pszGroup));
        QCOMPARE(joinGroup, QList<bool>({true, false, false, false}));
        QVERIFY(PermissionAdvice({0600, "root", "root", {}}).find("/etc/udev/rules.d/") !=
                std::string::npos);
    }

    // The real clock never returns before the deadline.
    void clockSleepsTheWholePause()
    {
        CPreciseClock clock;
        const auto tpStart = CSteadyClock::now();
        clock.Sleep(30);
        QVERIFY(CSteadyClock::now() - tpStart >= std::chrono::milliseconds(30));
    }
};

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serialport.moc"
