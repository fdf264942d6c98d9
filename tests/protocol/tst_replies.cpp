// Reply lines as the drive may send them, fed into the drive link alone as
// the reader hands them on: what it reports, in order, and whether a line
// counts as an answer (stops the timer).

#include "platform/Clock.h"
#include "protocol/DriveProtocol.h"

#include <QtTest>

class TestReplies : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        SetSleepHook([](unsigned) {}); // the RX pulse needs no real time
        m_pDrive = std::make_unique<CDriveProtocol>();
        m_events.clear();
        auto note = [this](const char* pszWhat) {
            return [this, pszWhat](int n) { m_events << pszWhat + QString::number(n); };
        };
        connect(m_pDrive.get(), &CDriveProtocol::familyIdentified, note("f"));
        connect(m_pDrive.get(), &CDriveProtocol::resolutionRecalled, note("r"));
        connect(m_pDrive.get(), &CDriveProtocol::currentRecalled, note("c"));
        connect(m_pDrive.get(), &CDriveProtocol::idleRecalled, note("i"));
        connect(m_pDrive.get(), &CDriveProtocol::statusChanged, [this](const QString& str) {
            m_events << "s:" + QString(str).remove(" SPI Interface commands accepted!");
        });
        connect(m_pDrive.get(), &CDriveProtocol::replyChanged,
                [this](const QString& str) { m_events << "<" + str + ">"; });
    }
    void cleanup()
    {
        m_pDrive.reset();
        SetSleepHook({});
    }

    // Events: f family flag, r/c/i list position recalled, s: status, <reply>.
    void linesAreActedOnInOrder_data()
    {
        QTest::addColumn<bool>("recall");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("events");
        auto row = [](const char* name, bool recall, const QByteArray& bytes,
                      const QString& events) { QTest::newRow(name) << recall << bytes << events; };
        row("upper case", true, "RESOLUTION: 1000\r", "r1 s:RT3180");
        row("line feed before", true, "\nresolution: 2000\r", "r2 s:RT3180");
        // The value is the line without as many characters as the token has,
        // counted from the line's start, so text before the token counts.
        row("resolution from the start", true, "previous resolution 5000, resolution: 400\r",
            "r3 s:RT3180");
        row("current from the start", true, "motor current 90, current: 20\r", "c8 s:RT3180");
        row("resolution: last hit", true, "resolution: 400 or 5000\r", "r3 s:RT3180");
        row("idle: first hit", true, "idle current: 70 10\r", "i1 s:RT3180");
        row("idle 0", true, "idle current: 0\r", "i0 s:RT3180");
        row("idle 5 answers, selects nothing", true, "idle current: 5\r", "s:RT3180");
        row("current 100", true, "current: 100\r", "c9 s:RT3180");
        row("current 10", true, "current: 10\r", "c0 s:RT3180");
        row("current: last hit", true, "current: 90 20\r", "c8 s:RT3180");
        row("current: 10 tested first", true, "current: 100 20\r", "c1 s:RT3180");
        row("three in a row", true, "resolution: 5000\rcurrent: 60\ridle current: 70\r",
            "r3 s:RT3180 c5 s:RT3180 i7 s:RT3180");
        row("settings after Apply", false, "resolution: 400\rcurrent: 100\ridle current: 10\r", "");
        row("RT3180 family", false, " \tRT3180 SPI Interface V1\n\r",
            "f1 <RT3180 SPI Interface V1> s:RT3180");
        row("line feed inside", false, "PKN61\n/72\r", "f0 <PKN61\n/72> s:PKN61/72");
        row("both families", false, "rt3180 or pkn61/72\r",
            "f1 <rt3180 or pkn61/72> s:RT3180 f0 <rt3180 or pkn61/72> s:PKN61/72");
        // The acknowledgement shows the text held before the line's own family.
        row("accepted, then family", false, "PKN61\rI:8 accepted by RT3180\r",
            "f0 <PKN61> s:PKN61/72 s:PKN61/72 f1 <I:8 accepted by RT3180> s:RT3180");
        row("family after current", true, "current: 20\rPKN61/72 ready\r",
            "c1 s:RT3180 f0 <PKN61/72 ready> s:PKN61/72");
        row("acknowledgement", false, "R:4 ACCEPTED\r", "s:RT3180");
        row("bytes outside ASCII", false, QByteArray("RT3180 \xB0\0x\r", 11),
            "f1 <" + QString::fromLatin1("RT3180 \xB0\0x", 10) + "> s:RT3180");
        row("unknown line", true, "hello drive\r", "");
        row("empty line", true, "\r", "");
        row("no carriage return yet", true, "resolution: 5000", "");
    }
    void linesAreActedOnInOrder()
    {
        QFETCH(bool, recall);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, events);
        if (recall)
            m_pDrive->Recall(); // not connected: recall mode on, nothing sent
        m_pDrive->SetReplyTimer(3500);
        m_pDrive->OnReceiveBytes(bytes);
        QCOMPARE(m_events.join(' '), events);
        // Every line acted on refreshes the status and counts as an answer.
        QCOMPARE(!m_pDrive->IsReplyTimerPending(), events.contains("s:"));
        QCOMPARE(m_pDrive->ReceivedLine(),
                 QString::fromLatin1(bytes.mid(bytes.lastIndexOf('\r') + 1)));
    }

    // A device that never ends its line costs bounded memory, and the next
    // reply still counts.
    void endlessLineIsBoundedAndTheNextReplyCounts()
    {
        m_pDrive->OnReceiveBytes(QByteArray(100'000, 'x'));
        QVERIFY(m_pDrive->ReceivedLine().size() <= 8192);
        m_pDrive->OnReceiveBytes("\rPKN61/72\r");
        QCOMPARE(m_events.join(' '), "f0 <PKN61/72> s:PKN61/72");
    }

private:
    std::unique_ptr<CDriveProtocol> m_pDrive;
    QStringList m_events;
};

QTEST_MAIN(TestReplies)
#include "tst_replies.moc"
