// The window's "--log FILE": every byte its port sends and receives, timed.

#include "SerialPeer.h"
#include "TestSupport.h"
#include "app/RT3180App.h"
#include "serial/WireLog.h"

#include <QtTest>

class TestWindowLog : public QObject
{
    Q_OBJECT

private slots:
    void theOptionLogsTheLink_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("logged");
        QTest::newRow("--log FILE") << QStringList{"--log", "FILE"} << true;
        QTest::newRow("--log=FILE") << QStringList{"--log=FILE"} << true;
        QTest::newRow("no option") << QStringList{} << false;
    }
    void theOptionLogsTheLink()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, logged);
        QTemporaryDir dir;
        const QString strLog = dir.filePath("wire.log");
        options.replaceInStrings("FILE", strLog);
        CRT3180App::StartWireLog(QStringList{"rt3180"} + options);

        CPtyPeer peer;
        CCollectingPort port;
        QVERIFY(port.Open(peer.Path()));
        QVERIFY(port.Write("R:4", 3));
        QCOMPARE(peer.Receive(3, 1000), QByteArray("R:4"));
        QVERIFY(peer.Send("R:4 accepted\r"));
        QTRY_COMPARE(port.m_bytes.size(), 13);
        port.Close();
        CWireLog::Close();

        QFile log(strLog);
        QCOMPARE(log.open(QIODevice::ReadOnly), logged);
        if (!logged)
            return;
        const QList<QByteArray> lines = log.readAll().split('\n');
        QCOMPARE(lines.size(), 3); // the last one empty
        QVERIFY(lines[0].endsWith(" TX 52 3a 34 |R:4|"));
        QVERIFY(lines[1].endsWith(" RX 52 3a 34 20 61 63 63 65 70 74 65 64 0d |R:4 accepted.|"));
        const QDateTime stamp = QDateTime::fromString(lines[0].left(23), Qt::ISODateWithMs);
        QVERIFY(qAbs(stamp.msecsTo(QDateTime::currentDateTime())) < 5000);
    }
};

QTEST_MAIN(TestWindowLog)
#include "tst_windowlog.moc"
