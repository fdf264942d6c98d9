// Opening, configuring, writing to and closing the port, on real
// pseudo-terminals.

#include "SerialPeer.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QTest>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>

class TestSerialPort : public QObject
{
    Q_OBJECT

private slots:
    // The row's tag is the port name; the column is empty when it opens.
    void portNames_data()
    {
        QTest::addColumn<QString>("failureDetail");
        QTest::newRow("COM7") << "";
        QTest::newRow("com7:") << "";
        QTest::newRow("%pty") << "";
        QTest::newRow("COM99") << "/dev/ttyS98";
        QTest::newRow("COM7::") << "is not a serial port name";
        QTest::newRow("COM7\n") << "is not a serial port name";
        QTest::newRow("COM7 ") << "is not a serial port name";
        QTest::newRow("/dev/rt3180-none") << "does not exist";
        QTest::newRow("/dev/null") << "a device that is not a terminal";
        QTest::newRow("%fifo") << "This is a FIFO (named pipe), not a serial port";
        QTest::newRow("%file") << "This is a regular file, not a serial port";
    }
    void portNames()
    {
        QFETCH(QString, failureDetail);
        CTempConfigHome home;
        CPtyPeer peer;
        QVERIFY(QDir().mkpath(home.Path() + "/KOLV/ports"));
        QVERIFY(QFile::link(peer.Path(), home.Path() + "/KOLV/ports/com7"));
        const QString fifo = home.Path() + "/fifo";
        const QString file = home.Path() + "/file";
        QVERIFY(mkfifo(QFile::encodeName(fifo), 0600) == 0);
        QFile regular(file);
        QVERIFY(regular.open(QIODevice::WriteOnly) && regular.write("x") == 1);
        regular.close();
        const int nFifoReader = open(QFile::encodeName(fifo), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        const QString name = QString(QTest::currentDataTag())
                                 .replace("%pty", peer.Path())
                                 .replace("%fifo", fifo)
                                 .replace("%file", file);
        auto state = [](const QString& strPath) {
            struct stat info = {};
            stat(QFile::encodeName(strPath), &info);
            return QList<qint64>{info.st_mode, info.st_size, info.st_mtim.tv_sec,
                                 info.st_mtim.tv_nsec, info.st_ctim.tv_nsec};
        };
        const auto stateBefore = state(name);

        CMessageBoxRecorder boxes;
        CCollectingPort port;
        QCOMPARE(port.Open(name), failureDetail.isEmpty());
        // A refused name is left as it was: not written, not configured.
        char nRead = 0;
        QVERIFY(read(nFifoReader, &nRead, 1) <= 0);
        close(nFifoReader);
        QVERIFY(failureDetail.isEmpty() || state(name) == stateBefore);
        QCOMPARE(boxes.Texts(),
                 failureDetail.isEmpty() ? QStringList() : QStringList{"Unable to open " + name});
        QVERIFY(failureDetail.isEmpty() || boxes.Calls()[0].nType == (MB_OK | MB_ICONSTOP));
        QVERIFY2(boxes.Calls().value(0).strDetail.contains(failureDetail),
                 qPrintable(boxes.Calls().value(0).strDetail));
        QVERIFY(peer.Send("4"));
        QTRY_COMPARE(port.m_bytes,
                     failureDetail.isEmpty() ? QList<unsigned>{'4'} : QList<unsigned>());
    }

    // The advice for a device we may not use (a busy one: openWriteCloseAndDestroy).
    void permissionAdvice_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("says");
        const QString udev = "Only root may read and write it (owner root, group %1, mode %2), "
                             "so joining a group does not help.\nGive access with a udev rule";
        QTest::newRow("0600 root") << 0600 << "root" << udev.arg("root", "0600");
        QTest::newRow("0660 root") << 0660 << "root" << udev.arg("root", "0660");
        QTest::newRow("0600 dialout") << 0600 << "dialout" << udev.arg("dialout", "0600");
        QTest::newRow("0660 dialout")
            << 0660 << "dialout"
            << "Members of the group \"dialout\" may read and write it (mode 0660). Add your user "
               "to it:\n  sudo usermod -aG dialout $USER\nthen log out and in again.";
    }
    void permissionAdvice()
    {
        QFETCH(int, mode);
        QFETCH(QString, group);
        QFETCH(QString, says);
        const QString advice = PermissionAdvice({unsigned(mode), "root", group, {}});
        QVERIFY2(advice.contains(says), qPrintable(advice));
        QCOMPARE(advice.contains("TAG+=\"uaccess\""), !advice.contains("usermod"));
    }

    // One port through its life on one peer. Our own descriptor on the port's
    // side reads the line back, stalls it, and keeps the terminal up.
    void openWriteCloseAndDestroy()
    {
        CPtyPeer peer;
        const int nOwn = peer.OwnSlave();
        // Waiting before the open (its echo shows it arrived): must reach nobody.
        QVERIFY(peer.Send("stale"));
        QCOMPARE(peer.Receive(5, 2000), QByteArray("stale"));
        CMessageBoxRecorder boxes;
        int nExclusive = 0;
        {
            CCollectingPort port;
            QVERIFY(!port.Write("?:", 2));
            port.Close();
            QVERIFY(port.Open(peer.Path()));

            termios line{};
            QCOMPARE(tcgetattr(nOwn, &line), 0);
            QCOMPARE(cfgetospeed(&line), speed_t(B9600));
            QCOMPARE(line.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL),
                     tcflag_t(CS8 | CLOCAL));
            QCOMPARE(line.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP), tcflag_t(0));
            QCOMPARE((line.c_oflag & OPOST) | (line.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)),
                     tcflag_t(0));
            QCOMPARE(line.c_cc[VMIN] + line.c_cc[VTIME], 0); // reads return at once
            QVERIFY(peer.Send("\r\n\x11\x13"));
            QTRY_COMPARE(port.m_bytes, (QList<unsigned>{13, 10, 0x11, 0x13}));
            QVERIFY(port.Write("?:", 2));
            QCOMPARE(peer.Receive(2, 2000), QByteArray("?:"));

            // A second user is kept out, whether it honours serial locks or is us.
            QVERIFY(ioctl(nOwn, TIOCGEXCL, &nExclusive) == 0 && nExclusive == 1);
            QCOMPARE(flock(nOwn, LOCK_EX | LOCK_NB), -1);
            CSerialPort second;
            QVERIFY(!second.Open(peer.Path()));
            QCOMPARE(boxes.Texts(), QStringList{"Unable to open " + peer.Path()});
            QVERIFY2(boxes.Calls()[0].strDetail.contains(
                         QString("The port is busy: tst_serialport (process %1) holds it.")
                             .arg(getpid())),
                     qPrintable(boxes.Calls()[0].strDetail));

            port.Close();
            port.Close();
            QVERIFY(!port.Write("S:", 2));
            QCOMPARE(peer.Receive(1, 100), QByteArray());

            QVERIFY(port.Open(peer.Path()));
            QCOMPARE(tcflow(nOwn, TCOOFF), 0); // the line takes nothing
            QElapsedTimer timer;
            timer.start();
            QVERIFY(!port.Write("R:5\r", 4));
            QVERIFY2(timer.elapsed() >= 1040 && timer.elapsed() < 1040 + 500,
                     qPrintable(QString::number(timer.elapsed())));
            QCOMPARE(tcflow(nOwn, TCOON), 0);
        } // the destructor closes the port, exclusive mode included
        QVERIFY(ioctl(nOwn, TIOCGEXCL, &nExclusive) == 0 && nExclusive == 0);
    }

    void closeEndsTheReaderAtOnceAndLeavesNoneBehind_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<bool>("closeFirst");
        QTest::newRow("waiting for the first byte") << QByteArray() << true;
        QTest::newRow("idle after a byte") << QByteArray("A") << true;
        QTest::newRow("Open again without Close") << QByteArray("A") << false;
    }
    void closeEndsTheReaderAtOnceAndLeavesNoneBehind()
    {
        QFETCH(QByteArray, before);
        QFETCH(bool, closeFirst);
        CPtyPeer first;
        CPtyPeer second;
        CCollectingPort port;
        QVERIFY(port.Open(first.Path()));
        QVERIFY(first.Send(before));
        QTRY_COMPARE(port.m_bytes.size(), before.size());
        QTRY_COMPARE(ReaderThreads().size(), 1);
        QTest::qWait(50); // the reader is asleep in its wait by now
        if (closeFirst) {
            QElapsedTimer timer;
            timer.start();
            port.Close();
            QVERIFY2(timer.elapsed() < 100, qPrintable(QString::number(timer.elapsed())));
        }
        QVERIFY(port.Open(second.Path()));
        QVERIFY(second.Send("B"));
        QTRY_VERIFY(port.m_bytes.endsWith('B'));
        QTRY_COMPARE(ReaderThreads().size(), 1);
        CSerialPort other; // the first port was released with its reader
        QVERIFY(other.Open(first.Path()));
    }
};

QTEST_MAIN(TestSerialPort)
#include "tst_serialport.moc"
