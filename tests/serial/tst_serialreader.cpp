// The reader thread: every byte, in order, as an unsigned value, and a quiet
// thread when the other end goes away.

#include "SerialPeer.h"
#include "TestSupport.h"
#include "serial/SerialPort.h"

#include <QElapsedTimer>
#include <QTest>
#include <thread>

namespace
{
// CPU time a thread of this process has used, in nanoseconds.
qint64 ThreadCpuNs(int nTid)
{
    QFile schedstat(QStringLiteral("/proc/self/task/%1/schedstat").arg(nTid));
    if (!schedstat.open(QIODevice::ReadOnly))
        return -1;
    return schedstat.readAll().split(' ').value(0).toLongLong();
}
} // namespace

class TestSerialReader : public QObject
{
    Q_OBJECT

private slots:
    void bytesArriveInOrderAsUnsignedValues()
    {
        CPtyPeer peer;
        CCollectingPort port;
        QVERIFY(port.Open(peer.Path()));

        QVERIFY(peer.Send("400\r"));
        QTRY_COMPARE(port.m_bytes, (QList<unsigned>{52, 48, 48, 13}));
        QVERIFY(peer.Send(QByteArray("\0\xB0\xFF", 3)));
        QTRY_COMPARE(port.m_bytes, (QList<unsigned>{52, 48, 48, 13, 0, 176, 255}));
    }

    // While the owner is behind, the reader posts no more than its bound and
    // the terminal holds the rest; then all of it arrives, in order.
    void burstArrivesWholeAndInOrder()
    {
        CPtyPeer peer;
        CCollectingPort port;
        QVERIFY(port.Open(peer.Path()));

        QByteArray burst;
        QList<unsigned> expected;
        for (unsigned i = 0; i < 64 * 1024; ++i) {
            expected.append((i * 7 + i / 256) & 0xFF);
            burst.append(static_cast<char>(expected.last()));
        }
        bool bSent = false;
        std::thread sender([&] { bSent = peer.Send(burst); });
        const auto stopSender = qScopeGuard([&] {
            if (sender.joinable()) {
                peer.Hangup();
                sender.join();
            }
        });
        QTest::qSleep(300);
        QCoreApplication::sendPostedEvents(&port, PROC_KOLV_MSG);
        QVERIFY2(port.m_bytes.size() <= 16 * 1024,
                 qPrintable(QString::number(port.m_bytes.size())));
        QTRY_COMPARE_WITH_TIMEOUT(port.m_bytes.size(), burst.size(), 30000);
        sender.join();
        QVERIFY(bSent);
        QCOMPARE(port.m_bytes, expected);
    }

    void peerGoingAwayLeavesAQuietReader_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::newRow("before the first byte") << QByteArray();
        QTest::newRow("after bytes") << QByteArray("AB\r");
    }
    void peerGoingAwayLeavesAQuietReader()
    {
        QFETCH(QByteArray, before);
        CPtyPeer peer;
        CCollectingPort port;
        QVERIFY(port.Open(peer.Path()));
        QTRY_COMPARE(ReaderThreads().size(), 1);
        const int nTid = ReaderThreads().value(0);
        QVERIFY(peer.Send(before));
        QTRY_COMPARE(port.m_bytes.size(), before.size());

        peer.Hangup();
        QList<unsigned> reported(before.cbegin(), before.cend());
        reported.append(CCollectingPort::kHangup); // once, after the last byte
        QTRY_COMPARE_WITH_TIMEOUT(port.m_bytes, reported, 100);
        const qint64 nCpuBefore = ThreadCpuNs(nTid);
        QTest::qWait(300);
        const qint64 nCpuUsed = ThreadCpuNs(nTid) - nCpuBefore;
        // A reader that polls a dead device again at once burns a core.
        QVERIFY2(nCpuBefore >= 0 && nCpuUsed < 30'000'000,
                 qPrintable(QStringLiteral("%1 ns").arg(nCpuUsed)));
        QCOMPARE(port.m_bytes, reported);
        QVERIFY(!port.Write("?:", 2));

        QElapsedTimer timer;
        timer.start();
        port.Close();
        QVERIFY(timer.elapsed() < 100);
        QTRY_COMPARE(ReaderThreads().size(), 0);
    }
};

QTEST_MAIN(TestSerialReader)
#include "tst_serialreader.moc"
