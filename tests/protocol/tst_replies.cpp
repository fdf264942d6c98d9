// Reply lines as the drive may send them, fed byte by byte into the drive
// link alone: which list positions they select, what the status and reply
// lines are to show, and whether they count as an answer (stop the timer).

#include "TestSupport.h"
#include "platform/Clock.h"
#include "protocol/DriveProtocol.h"

#include <QtTest>

namespace
{
const QString kRT = QStringLiteral("RT3180 SPI Interface commands accepted!");
const QString kPKN = QStringLiteral("PKN61/72 SPI Interface commands accepted!");
const QString kUntouched = QStringLiteral("(untouched)");
} // namespace

class TestReplies : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_previousSleep = SetSleepHook([](unsigned) {}); // the RX pulse needs no real time
        m_pDrive = std::make_unique<CDriveProtocol>();
        // What a window would show: the lists' positions, the unit, the two lines.
        m_lists = {0, 3, 6};
        m_strUnit = QStringLiteral("%");
        m_strStatus = kUntouched;
        m_strReply.clear();
        connect(m_pDrive.get(), &CDriveProtocol::familyIdentified, [this](int nFlag) {
            m_lists[1] = 7; // the refilled list shows its default
            m_strUnit = nFlag ? QStringLiteral("A") : QStringLiteral("%");
        });
        connect(m_pDrive.get(), &CDriveProtocol::resolutionRecalled,
                [this](int nIndex) { m_lists[0] = nIndex; });
        connect(m_pDrive.get(), &CDriveProtocol::currentRecalled,
                [this](int nIndex) { m_lists[1] = nIndex; });
        connect(m_pDrive.get(), &CDriveProtocol::idleRecalled,
                [this](int nIndex) { m_lists[2] = nIndex; });
        connect(m_pDrive.get(), &CDriveProtocol::statusChanged,
                [this](const QString& strText) { m_strStatus = strText; });
        connect(m_pDrive.get(), &CDriveProtocol::replyChanged,
                [this](const QString& strText) { m_strReply = strText; });
    }
    void cleanup()
    {
        m_pDrive.reset();
        SetSleepHook(std::move(m_previousSleep));
    }

    void linesSelectShowAndAnswer_data()
    {
        QTest::addColumn<bool>("recall");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("lists"); // resolution current idle unit
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("answered");

        // Every row starts from the lists at 0 3 6 with "%", RT3180's text held.
        auto row = [](const char* name, bool recall, const char* bytes, const char* lists,
                      const QString& status, const char* reply, bool answered) {
            QTest::newRow(name) << recall << QByteArray(bytes) << QString(lists) << status
                                << QString(reply) << answered;
        };
        row("upper case", true, "RESOLUTION: 1000\r", "1 3 6 %", kRT, "", true);
        row("line feed before", true, "\nresolution: 2000\r", "2 3 6 %", kRT, "", true);
        row("current 100", true, "current: 100\r", "0 9 6 %", kRT, "", true);
        row("current 10", true, "current: 10\r", "0 0 6 %", kRT, "", true);
        row("current 90", true, "current: 90\r", "0 8 6 %", kRT, "", true);
        row("idle 5 answers, selects nothing", true, "idle current: 5\r", "0 3 6 %", kRT, "", true);
        row("idle 0", true, "idle current: 0\r", "0 3 0 %", kRT, "", true);
        row("idle 30", true, "idle current: 30\r", "0 3 3 %", kRT, "", true);
        row("three in a row", true, "resolution: 5000\rcurrent: 60\ridle current: 70\r", "3 5 7 %",
            kRT, "", true);
        row("settings after Apply", false, "resolution: 400\rcurrent: 100\ridle current: 10\r",
            "0 3 6 %", kUntouched, "", false);
        row("RT3180 family", false, " \tRT3180 SPI Interface V1\n\r", "0 7 6 A", kRT,
            "RT3180 SPI Interface V1", true);
        row("both families", false, "rt3180 or pkn61/72\r", "0 7 6 %", kPKN, "rt3180 or pkn61/72",
            true);
        row("family after current", true, "current: 20\rPKN61/72 ready\r", "0 7 6 %", kPKN,
            "PKN61/72 ready", true);
        row("acknowledgement", false, "R:4 ACCEPTED\r", "0 3 6 %", kRT, "", true);
        row("unknown line", true, "hello drive\r", "0 3 6 %", kUntouched, "", false);
        row("empty line", true, "\r", "0 3 6 %", kUntouched, "", false);
        row("no carriage return yet", true, "resolution: 5000", "0 3 6 %", kUntouched, "", false);
    }
    void linesSelectShowAndAnswer()
    {
        QFETCH(bool, recall);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, lists);
        QFETCH(QString, status);
        QFETCH(QString, reply);
        QFETCH(bool, answered);
        if (recall)
            m_pDrive->Recall(); // not connected: recall mode on, nothing sent
        m_pDrive->SetReplyTimer(3500);

        Feed(bytes);

        QCOMPARE(QStringLiteral("%1 %2 %3 %4")
                     .arg(m_lists[0])
                     .arg(m_lists[1])
                     .arg(m_lists[2])
                     .arg(m_strUnit),
                 lists);
        QCOMPARE(m_strStatus, status);
        QCOMPARE(m_strReply, reply);
        QCOMPARE(!m_pDrive->IsReplyTimerPending(), answered);
    }

    void acceptedTextFollowsTheLatestFamily()
    {
        Feed("PKN61/72\r");
        m_strStatus.clear();
        Feed("I:8 accepted\r");
        QCOMPARE(m_strStatus, kPKN);
        // The acknowledgement shows the text held before the family's own.
        QStringList shown;
        connect(m_pDrive.get(), &CDriveProtocol::statusChanged,
                [&shown](const QString& strText) { shown << strText; });
        Feed("accepted by RT3180\r");
        QCOMPARE(shown, QStringList({kPKN, kRT}));
        QCOMPARE(m_pDrive->AcceptedText(), kRT);
    }

    void bytesOutsideAsciiStayInTheLine()
    {
        Feed(QByteArray("RT3180 \xB0", 8) + QByteArray(1, '\0') + "x\r");
        QCOMPARE(m_strReply, QString::fromLatin1("RT3180 \xB0", 8) + QChar(0) + "x");
        QVERIFY(m_pDrive->ReceivedLine().isEmpty());
    }

    // A device that never ends its line costs bounded memory, and the next
    // reply still counts.
    void endlessLineIsBoundedAndTheNextReplyCounts()
    {
        Feed(QByteArray(100'000, 'x'));
        QVERIFY(m_pDrive->ReceivedLine().size() <= 8192);
        Feed("\rPKN61/72\r");
        QCOMPARE(m_strReply, "PKN61/72");
    }

private:
    void Feed(const QByteArray& bytes)
    {
        for (char ch : bytes)
            m_pDrive->OnReceiveByte(static_cast<unsigned char>(ch));
    }

    SleepHook m_previousSleep;
    std::unique_ptr<CDriveProtocol> m_pDrive;
    QList<int> m_lists;
    QString m_strUnit, m_strStatus, m_strReply;
};

QTEST_MAIN(TestReplies)
#include "tst_replies.moc"
