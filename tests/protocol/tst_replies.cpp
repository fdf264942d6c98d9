// Reply lines as the drive may send them, fed byte by byte into the real
// dialog: which lists they select, what the status and reply lines show,
// and whether they count as an answer (stop the reply timer).

#include "TestSupport.h"
#include "app/RT3180Dlg.h"
#include "app/Resource.h"
#include "platform/Clock.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

namespace
{
const QString kRT3180Accepted = QStringLiteral("RT3180 SPI Interface commands accepted!");
const QString kPKNAccepted = QStringLiteral("PKN61/72 SPI Interface commands accepted!");
const QString kUntouched = QStringLiteral("(untouched)");
} // namespace

class TestReplies : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_pHome = std::make_unique<CTempConfigHome>();
        m_previousSleep = SetSleepHook([](unsigned) {}); // the RX pulse needs no real time
        m_pDlg = std::make_unique<CRT3180Dlg>();
        m_pDlg->Create();
    }
    void cleanup()
    {
        m_pDlg.reset();
        SetSleepHook(std::move(m_previousSleep));
        m_pHome.reset();
    }

    void linesSelectShowAndAnswer_data()
    {
        QTest::addColumn<bool>("recall");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("resolution");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("idle");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("answered");

        // Starting point of every row: resolution 0, current 3, idle 6, percent
        // family, accepted text of the RT3180, status and reply untouched.
        QTest::newRow("upper-case setting line") << true << QByteArray("RESOLUTION: 1000\r") << 1
                                                 << 3 << 6 << "%" << kRT3180Accepted << "" << true;
        QTest::newRow("line feed before a setting line")
            << true << QByteArray("\nresolution: 2000\r") << 2 << 3 << 6 << "%" << kRT3180Accepted
            << "" << true;
        QTest::newRow("current 100") << true << QByteArray("current: 100\r") << 0 << 9 << 6 << "%"
                                     << kRT3180Accepted << "" << true;
        QTest::newRow("current 10") << true << QByteArray("current: 10\r") << 0 << 0 << 6 << "%"
                                    << kRT3180Accepted << "" << true;
        QTest::newRow("current 90") << true << QByteArray("current: 90\r") << 0 << 8 << 6 << "%"
                                    << kRT3180Accepted << "" << true;
        QTest::newRow("idle 5 matches nothing but answers")
            << true << QByteArray("idle current: 5\r") << 0 << 3 << 6 << "%" << kRT3180Accepted
            << "" << true;
        QTest::newRow("idle 0") << true << QByteArray("idle current: 0\r") << 0 << 3 << 0 << "%"
                                << kRT3180Accepted << "" << true;
        QTest::newRow("idle 30 leaves the motor current")
            << true << QByteArray("idle current: 30\r") << 0 << 3 << 3 << "%" << kRT3180Accepted
            << "" << true;
        QTest::newRow("three settings in a row")
            << true << QByteArray("resolution: 5000\rcurrent: 60\ridle current: 70\r") << 3 << 5
            << 7 << "%" << kRT3180Accepted << "" << true;
        QTest::newRow("settings after Apply change nothing")
            << false << QByteArray("resolution: 400\rcurrent: 100\ridle current: 10\r") << 0 << 3
            << 6 << "%" << kUntouched << "" << false;
        QTest::newRow("RT3180 family, reply kept as received")
            << false << QByteArray(" \tRT3180 SPI Interface V1\n\r") << 0 << 7 << 6 << "A"
            << kRT3180Accepted << "RT3180 SPI Interface V1" << true;
        QTest::newRow("both family tokens end with PKN61/72")
            << false << QByteArray("rt3180 or pkn61/72\r") << 0 << 7 << 6 << "%" << kPKNAccepted
            << "rt3180 or pkn61/72" << true;
        QTest::newRow("family after a current line resets it")
            << true << QByteArray("current: 20\rPKN61/72 ready\r") << 0 << 7 << 6 << "%"
            << kPKNAccepted << "PKN61/72 ready" << true;
        QTest::newRow("acknowledgement") << false << QByteArray("R:4 ACCEPTED\r") << 0 << 3 << 6
                                         << "%" << kRT3180Accepted << "" << true;
        QTest::newRow("unknown line") << true << QByteArray("hello drive\r") << 0 << 3 << 6 << "%"
                                      << kUntouched << "" << false;
        QTest::newRow("empty line")
            << true << QByteArray("\r") << 0 << 3 << 6 << "%" << kUntouched << "" << false;
        QTest::newRow("no carriage return yet") << true << QByteArray("resolution: 5000") << 0 << 3
                                                << 6 << "%" << kUntouched << "" << false;
    }
    void linesSelectShowAndAnswer()
    {
        QFETCH(bool, recall);
        QFETCH(QByteArray, bytes);
        QFETCH(int, resolution);
        QFETCH(int, current);
        QFETCH(int, idle);
        QFETCH(QString, unit);
        QFETCH(QString, status);
        QFETCH(QString, reply);
        QFETCH(bool, answered);

        m_pDlg->m_cbResolution->setCurrentIndex(0);
        m_pDlg->m_cbCurrent->setCurrentIndex(3);
        m_pDlg->m_cbIdle->setCurrentIndex(6);
        Status()->setText(kUntouched);
        m_pDlg->m_bRecallPending = recall;
        m_pDlg->SetReplyTimer(3500);

        Feed(bytes);

        QCOMPARE(m_pDlg->m_cbResolution->currentIndex(), resolution);
        QCOMPARE(m_pDlg->m_cbCurrent->currentIndex(), current);
        QCOMPARE(m_pDlg->m_cbIdle->currentIndex(), idle);
        QCOMPARE(static_cast<QLabel*>(m_pDlg->GetDlgItem(IDC_CURRENT_UNIT))->text(), unit);
        QCOMPARE(Status()->text(), status);
        QCOMPARE(Reply()->text(), reply);
        QCOMPARE(!m_pDlg->IsReplyTimerPending(), answered);
        QVERIFY(!m_pDlg->GetDlgItem(IDC_APPLY)->isEnabled());
    }

    void acceptedTextFollowsTheLatestFamily()
    {
        Feed("PKN61/72\r");
        Status()->clear();
        Feed("I:8 accepted\r");
        QCOMPARE(Status()->text(), kPKNAccepted);
        // The acknowledgement shows the text held before the family token
        // in the same line is acted on.
        Feed("accepted by RT3180\r");
        QCOMPARE(Status()->text(), kRT3180Accepted);
        QCOMPARE(m_pDlg->m_strAcceptedText, kRT3180Accepted);
    }

    void bytesOutsideAsciiStayInTheLine()
    {
        Feed(QByteArray("RT3180 \xB0", 8) + QByteArray(1, '\0') + "x\r");
        QCOMPARE(Reply()->text(), QString::fromLatin1("RT3180 \xB0", 8) + QChar(0) + "x");
        QVERIFY(m_pDlg->m_strRxLine.isEmpty());
    }

private:
    void Feed(const QByteArray& bytes)
    {
        for (char ch : bytes)
            m_pDlg->OnReceiveByte(0, static_cast<unsigned char>(ch));
    }
    QLineEdit* Status() { return static_cast<QLineEdit*>(m_pDlg->GetDlgItem(IDC_STATUS)); }
    QLineEdit* Reply() { return static_cast<QLineEdit*>(m_pDlg->GetDlgItem(IDC_REPLY)); }

    std::unique_ptr<CTempConfigHome> m_pHome;
    SleepHook m_previousSleep;
    std::unique_ptr<CRT3180Dlg> m_pDlg;
};

QTEST_MAIN(TestReplies)
#include "tst_replies.moc"
