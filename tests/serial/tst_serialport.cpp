// Opening, configuring, writing to and closing the port, on real
// pseudo-terminals.

#include "SerialPeer.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QTest>
#include <sys/file.h>
#include <sys/ioctl.h>
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
        QTest::newRow("/dev/rt3180-none") << "does not exist";
        QTest::newRow("/dev/null") << "not a terminal device";
    }
    void portNames()
    {
        QFETCH(QString, failureDetail);
        CTempConfigHome home;
        CPtyPeer peer;
        QVERIFY(QDir().mkpath(home.Path() + "/KOLV/ports"));
        QVERIFY(QFile::link(peer.Path(), home.Path() + "/KOLV/ports/com7"));
        const QString name = QString(QTest::currentDataTag()).replace("%pty", peer.Path());

        CMessageBoxRecorder boxes;
        CCollectingPort port;
        QCOMPARE(port.Open(name), failureDetail.isEmpty());
        QCOMPARE(boxes.Texts(),
                 failureDetail.isEmpty() ? QStringList() : QStringList{"Unable to open " + name});
        QVERIFY(failureDetail.isEmpty() || boxes.Calls()[0].nType == (MB_OK | MB_ICONSTOP));
        QVERIFY2(boxes.Calls().value(0).strDetail.contains(failureDetail),
                 qPrintable(boxes.Calls().value(0).strDetail));
        QVERIFY(peer.Send("4"));
        QTRY_COMPARE(port.m_bytes,
                     failureDetail.isEmpty() ? QList<unsigned>{'4'} : QList<unsigned>());
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
            QVERIFY(boxes.Calls()[0].strDetail.contains("another program holds it"));

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
