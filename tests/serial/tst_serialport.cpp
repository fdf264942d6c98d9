// Opening, configuring, writing to and closing the port, on real
// pseudo-terminals.

#include "SerialPeer.h"
#include "TestSupport.h"
#include "app/RT3180Dlg.h"
#include "app/Resource.h"
#include "serial/SerialPort.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>

class TestSerialPort : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<CTempConfigHome> m_pHome;

private slots:
    void init() { m_pHome = std::make_unique<CTempConfigHome>(); }
    void cleanup() { m_pHome.reset(); }

    void portNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("failureDetail"); // empty: the port opens

        QTest::newRow("mapped COM7") << "COM7"
                                     << "";
        QTest::newRow("stored form com7:") << "com7:"
                                           << "";
        QTest::newRow("device path") << "%pty"
                                     << "";
        QTest::newRow("unmapped COM99") << "COM99"
                                        << "/dev/ttyS98";
        QTest::newRow("COM0") << "COM0"
                              << "is not a serial port name";
        QTest::newRow("COM7::") << "COM7::"
                                << "is not a serial port name";
        QTest::newRow("LPT1") << "LPT1"
                              << "is not a serial port name";
        QTest::newRow("missing device") << "%home/ttyNone"
                                        << "does not exist";
        QTest::newRow("regular file") << "%home/plain"
                                      << "not a terminal device";
    }
    void portNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, failureDetail);
        CPtyPeer peer;
        QVERIFY(peer.IsValid());
        QVERIFY(QDir().mkpath(m_pHome->Path() + "/KOLV/ports"));
        QVERIFY(QFile::link(peer.Path(), m_pHome->Path() + "/KOLV/ports/com7"));
        QFile plain(m_pHome->Path() + "/plain");
        QVERIFY(plain.open(QIODevice::WriteOnly));
        name.replace("%pty", peer.Path()).replace("%home", m_pHome->Path());

        CMessageBoxRecorder boxes;
        CCollectingPort port;
        const bool bOpened = port.Open(name);
        QVERIFY(port.m_bOpened);
        QCOMPARE(port.m_strPort, name);
        if (failureDetail.isEmpty()) {
            QVERIFY(bOpened);
            QCOMPARE(boxes.Calls().size(), 0);
            QVERIFY(peer.Send("4"));
            QTRY_COMPARE(port.m_owner.Bytes(), QByteArray("4"));
        } else {
            QVERIFY(!bOpened);
            QCOMPARE(boxes.Texts(), QStringList{"Unable to open " + name});
            QCOMPARE(boxes.Calls()[0].nType, MB_OK | MB_ICONSTOP);
            QVERIFY2(boxes.Calls()[0].strDetail.contains(failureDetail),
                     qPrintable(boxes.Calls()[0].strDetail));
            QCOMPARE(ReaderThreads().size(), 0);
        }
        port.Close();
        port.Close();
        QCOMPARE(boxes.Calls().size(), failureDetail.isEmpty() ? 0 : 1);
        QTRY_COMPARE(ReaderThreads().size(), 0);
    }

    void lineIsRaw9600EightNoneOneWithoutFlowControl()
    {
        CPtyPeer peer;
        const int nOwn = peer.OwnSlave();
        QVERIFY(nOwn >= 0);
        // Left over from before the port was opened: must not reach anyone.
        QVERIFY(peer.Send("stale"));

        CMessageBoxRecorder boxes;
        CCollectingPort port;
        QVERIFY(port.Open(peer.Path()));
        QCOMPARE(boxes.Calls().size(), 0);
        QCOMPARE(port.m_nBaudRate, 9600u);

        termios line{};
        QCOMPARE(tcgetattr(nOwn, &line), 0);
        QCOMPARE(cfgetispeed(&line), speed_t(B9600));
        QCOMPARE(cfgetospeed(&line), speed_t(B9600));
        QCOMPARE(line.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CREAD | CLOCAL),
                 tcflag_t(CS8 | CREAD | CLOCAL));
        QCOMPARE(line.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP | IGNBRK |
                                 PARMRK | INPCK),
                 tcflag_t(0));
        QCOMPARE(line.c_oflag & OPOST, tcflag_t(0));
        QCOMPARE(line.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), tcflag_t(0));
        // Reads return at once with what has arrived.
        QCOMPARE(int(line.c_cc[VMIN]), 0);
        QCOMPARE(int(line.c_cc[VTIME]), 0);

        QVERIFY(peer.Send("\r\n\x11\x13"));
        QTRY_COMPARE(port.m_owner.m_bytes, (QList<unsigned>{13, 10, 0x11, 0x13}));
    }

    void onlyOneUserAtATime()
    {
        CPtyPeer peer;
        const int nOwn = peer.OwnSlave();
        CSerialPort first;
        QVERIFY(first.Open(peer.Path()));
        int nExclusive = 0;
        QCOMPARE(ioctl(nOwn, TIOCGEXCL, &nExclusive), 0);
        QCOMPARE(nExclusive, 1);
        // Another program that honours serial locks is kept out.
        QCOMPARE(flock(nOwn, LOCK_EX | LOCK_NB), -1);

        CMessageBoxRecorder boxes;
        CSerialPort second;
        QVERIFY(!second.Open(peer.Path()));
        QCOMPARE(boxes.Texts(), QStringList{"Unable to open " + peer.Path()});
        QCOMPARE(boxes.Calls()[0].nType, MB_OK | MB_ICONSTOP);
        QVERIFY(boxes.Calls()[0].strDetail.contains(peer.Path()));
        QVERIFY(boxes.Calls()[0].strDetail.contains("another program holds it"));

        // Closing gives the port back, exclusive mode included.
        first.Close();
        QCOMPARE(ioctl(nOwn, TIOCGEXCL, &nExclusive), 0);
        QCOMPARE(nExclusive, 0);
        QVERIFY(second.Open(peer.Path()));
        QCOMPARE(boxes.Calls().size(), 1);
    }

    void writesAndClosing()
    {
        CPtyPeer peer;
        peer.OwnSlave(); // keeps the terminal up after the port closes
        CSerialPort fresh;
        QVERIFY(!fresh.Write("?:", 2));
        fresh.Close();
        QVERIFY(!fresh.m_bOpened);

        CCollectingPort port;
        QVERIFY(port.Open(peer.Path()));
        QVERIFY(port.Write("?:", 2));
        QCOMPARE(peer.Receive(2, 2000), QByteArray("?:"));

        port.Close();
        port.Close();
        QVERIFY(port.m_bOpened);
        QCOMPARE(port.m_strPort, peer.Path());
        QVERIFY(!port.Write("S:", 2));
        QCOMPARE(peer.Receive(1, 100), QByteArray());
        // Bytes that come after the reader has ended reach nobody.
        QVERIFY(peer.Send("x"));
        QTest::qWait(100);
        QVERIFY(port.m_owner.m_bytes.isEmpty());

        // The port can be opened again after a close.
        QVERIFY(port.Open(peer.Path()));
        QVERIFY(peer.Send("y"));
        QTRY_COMPARE(port.m_owner.Bytes(), QByteArray("y"));
    }

    void stalledWriteGivesUpWithinItsBound()
    {
        CPtyPeer peer;
        const int nOwn = peer.OwnSlave();
        CSerialPort port;
        QVERIFY(port.Open(peer.Path()));
        // The peer takes nothing: output on the line is suspended.
        QCOMPARE(tcflow(nOwn, TCOOFF), 0);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!port.Write("R:5\r", 4));
        const qint64 nElapsed = timer.elapsed();
        QVERIFY2(nElapsed >= 1040 && nElapsed < 1040 + 500, qPrintable(QString::number(nElapsed)));
        QCOMPARE(tcflow(nOwn, TCOON), 0);
        QVERIFY(port.Write("?:", 2));
    }

    void closeEndsTheReaderAtOnce_data()
    {
        QTest::addColumn<bool>("afterFirstByte");
        QTest::newRow("waiting for the first byte") << false;
        QTest::newRow("idle after a byte") << true;
    }
    void closeEndsTheReaderAtOnce()
    {
        QFETCH(bool, afterFirstByte);
        CPtyPeer peer;
        CCollectingPort port;
        QVERIFY(port.Open(peer.Path()));
        QTRY_COMPARE(ReaderThreads().size(), 1);
        if (afterFirstByte) {
            QVERIFY(peer.Send("A"));
            QTRY_COMPARE(port.m_owner.m_bytes.size(), 1);
        }
        QTest::qWait(50); // the reader is asleep in its wait by now

        QElapsedTimer timer;
        timer.start();
        port.Close();
        QVERIFY2(timer.elapsed() < 100, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(!port.m_hThread.joinable());
        QTRY_COMPARE(ReaderThreads().size(), 0);
    }

    void neverTwoReaders_data()
    {
        QTest::addColumn<bool>("closeFirst");
        QTest::newRow("Disconnect, then Connect on another port") << true;
        QTest::newRow("Open again without Close") << false;
    }
    void neverTwoReaders()
    {
        QFETCH(bool, closeFirst);
        CPtyPeer first;
        CPtyPeer second;
        CCollectingPort port;
        QVERIFY(port.Open(first.Path()));
        QTRY_COMPARE(ReaderThreads().size(), 1);
        if (closeFirst)
            port.Close();
        QVERIFY(port.Open(second.Path()));
        QTRY_COMPARE(ReaderThreads().size(), 1);
        QVERIFY(second.Send("B"));
        QTRY_COMPARE(port.m_owner.Bytes(), QByteArray("B"));
        // The first port was released with its reader.
        CSerialPort other;
        QVERIFY(other.Open(first.Path()));
    }

    void destructorClosesAnOpenPort()
    {
        CPtyPeer peer;
        {
            CSerialPort port;
            QVERIFY(port.Open(peer.Path()));
            QTRY_COMPARE(ReaderThreads().size(), 1);
        }
        QTRY_COMPARE(ReaderThreads().size(), 0);
        CSerialPort again;
        QVERIFY(again.Open(peer.Path()));
    }

    // Every way of ending the dialog goes through OnCancel; the Exit button
    // stands for them all.
    void dialogOwnsThePortAndClosesItWhenEnding()
    {
        CPtyPeer peer;
        CRT3180Dlg dlg;
        QCOMPARE(dlg.m_serial.m_pOwner, nullptr);
        dlg.Create();
        QCOMPARE(dlg.m_serial.m_pOwner, &dlg);
        QVERIFY(dlg.m_serial.Open(peer.Path()));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));

        static_cast<QPushButton*>(dlg.GetDlgItem(IDCANCEL))->click();
        QVERIFY(!dlg.isVisible());
        QVERIFY(!dlg.m_serial.m_hThread.joinable());
        QTRY_COMPARE(ReaderThreads().size(), 0);
        CSerialPort other;
        QVERIFY(other.Open(peer.Path()));
    }
};

QTEST_MAIN(TestSerialPort)
#include "tst_serialport.moc"
