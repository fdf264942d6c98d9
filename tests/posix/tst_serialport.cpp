// The port on real pseudo-terminals: what it refuses, the line it sets,
// writing, closing, and the reader that hands every received byte on.

#include "SerialPeer.h"
#include "TestSupport.h"
#include "platform/TtyDevice.h"

#include <QtTest>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>

class TestSerialPort : public QObject
{
    Q_OBJECT

private slots:
    // Anything but a terminal is refused before it is opened for good. The tag
    // is the path (relative: in a fresh folder), the column the reason given.
    void refusesWhatIsNotATerminal_data()
    {
        QTest::addColumn<QString>("reason");
        QTest::newRow("/dev/rt3180-none") << "does not exist";
        QTest::newRow("/dev/null") << "a device that is not a terminal";
        QTest::newRow("fifo") << "This is a FIFO (named pipe), not a serial port";
        QTest::newRow("file") << "This is a regular file, not a serial port";
    }
    void refusesWhatIsNotATerminal()
    {
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString name = QDir(dir.path()).filePath(QTest::currentDataTag());
        QVERIFY(mkfifo(QFile::encodeName(dir.filePath("fifo")), 0600) == 0 &&
                WriteFile(dir.filePath("file"), {}));
        CMessageBoxRecorder boxes;
        QVERIFY(!CSerialPort().Open(name)); // a FIFO without a reader: a blocking open hangs
        QCOMPARE(QFileInfo(dir.filePath("file")).size(), 0);
        QCOMPARE(boxes.Texts(), QStringList{"Unable to open " + name});
        QCOMPARE(boxes.Calls()[0].nType, unsigned(MB_OK | MB_ICONSTOP));
        QVERIFY2(boxes.Calls()[0].strDetail.contains(reason),
                 qPrintable(boxes.Calls()[0].strDetail));
    }

    // Another program may have left the terminal in any state: Open sets a
    // raw 8N1 line at 9600 without flow control whatever was there, keeps
    // the port for itself, bounds its writes and gives it all back. A step
    // of Open that fails is shown, and the steps after it still run.
    void opensARawLineForItself_data()
    {
        QTest::addColumn<uint>("iflag");
        QTest::addColumn<uint>("cflag");
        QTest::addColumn<QString>("failing");
        QTest::newRow("terminal defaults") << 0u << 0u << "GetCommState";
        QTest::newRow("two stop bits") << 0u << uint(CSTOPB) << "GetCommTimeouts";
        // The kernel clears parity generation on a pseudo-terminal; its checking stays.
        QTest::newRow("parity checked")
            << uint(INPCK | IGNPAR | PARMRK | ISTRIP) << 0u << "SetCommTimeouts";
        QTest::newRow("hardware flow control") << 0u << uint(CRTSCTS) << "SetCommMask";
        QTest::newRow("software flow control")
            << uint(IXON | IXOFF | IXANY) << 0u << "SetCommState";
    }
    void opensARawLineForItself()
    {
        QFETCH(uint, iflag);
        QFETCH(uint, cflag);
        QFETCH(QString, failing);
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
        CMessageBoxRecorder boxes;
        int nExclusive = 0;
        {
            CCollectingPort port;
            const QString steps(
                "GetCommState GetCommTimeouts SetCommTimeouts SetCommMask SetCommState");
            CSerialPort::s_nFailingStep = steps.split(' ').indexOf(failing);
            const auto noneFailing = qScopeGuard([] { CSerialPort::s_nFailingStep = -1; });
            QVERIFY(port.Open(peer.Path()));
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
            QTRY_COMPARE(port.m_bytes, (QList<unsigned>{13, 10, 0x11, 0x13, 0, 0xB0, 0xFF}));
            QVERIFY(port.Write("?:\x13", 3));
            QCOMPARE(peer.Receive(3, 2000), QByteArray("?:\x13"));

            // A second user is kept out, whether it honours serial locks or not.
            QVERIFY(ioctl(nOwn, TIOCGEXCL, &nExclusive) == 0 && nExclusive == 1);
            QVERIFY(!CSerialPort().Open(peer.Path()));
            QCOMPARE(boxes.Texts(),
                     QStringList({"Fail " + failing + "!", "Unable to open " + peer.Path()}));
            QVERIFY(boxes.Calls()[1].strDetail.contains(
                QString("The port is busy: tst_serialport (process %1) holds it.").arg(getpid())));

            port.Close();
            QVERIFY(port.Open(peer.Path()));
            QCOMPARE(tcflow(nOwn, TCOOFF), 0); // the line takes nothing
            QElapsedTimer timer;
            timer.start();
            QVERIFY(!port.Write("R:5\r", 4));
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
        CCollectingPort port;
        QVERIFY(port.Open(first.Path()));
        QTRY_COMPARE(ReaderThreads().size(), 1);
        QVERIFY(first.Send(before));
        QList<unsigned> expected(before.cbegin(), before.cend());
        QTRY_COMPARE(port.m_bytes, expected);
        QTest::qWait(50); // the reader is asleep in its wait by now
        if (end == "hangup") {
            first.Hangup();
            expected.append(CCollectingPort::kHangup);
            QTRY_COMPARE_WITH_TIMEOUT(port.m_bytes, expected, 1000); // at once
            QFile stat(QString("/proc/self/task/%1/schedstat").arg(ReaderThreads().value(0)));
            auto cpuNs = [&stat] { return stat.readAll().split(' ')[0].toLongLong(); };
            QVERIFY(stat.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
            const qint64 nCpuBefore = cpuNs();
            QTest::qWait(300);
            // A reader that polls a dead device again at once burns a core.
            QVERIFY(stat.seek(0) && cpuNs() - nCpuBefore < 30'000'000);
            QCOMPARE(port.m_bytes, expected);
        }
        QElapsedTimer timer;
        timer.start();
        if (end != "open")
            port.Close();
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(port.Open(second.Path()));
        QVERIFY(second.Send("B"));
        QTRY_VERIFY(port.m_bytes.endsWith('B'));
        QTRY_COMPARE(ReaderThreads().size(), 1);
        if (end != "hangup") // the first port was released with its reader
            QVERIFY(CSerialPort().Open(first.Path()));
    }

    // Joining a group helps only where a group other than root may read and
    // write the device; otherwise the advice is a udev rule.
    void permissionAdviceFitsTheDevice()
    {
        QList<bool> joinGroup;
        for (auto [nMode, pszGroup] :
             {std::pair{0660u, "dialout"}, {0600u, "dialout"}, {0640u, "dialout"}, {0660u, "root"}})
            joinGroup << PermissionAdvice({nMode, "root", pszGroup, {}})
                             .contains(QString("usermod -aG %1 $USER").arg(pszGroup));
        QCOMPARE(joinGroup, QList<bool>({true, false, false, false}));
        QVERIFY(PermissionAdvice({0600, "root", "root", {}}).contains("/etc/udev/rules.d/"));
    }
};

QTEST_MAIN(TestSerialPort)
#include "tst_serialport.moc"
