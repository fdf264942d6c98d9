// Reply lines as the drive may send them, fed byte by byte into the real
// dialog: which lists they select, what the status and reply lines show,
// and whether they count as an answer (stop the reply timer).

#include "TestSupport.h"
#include "app/RT3180Dlg.h"
#include "app/Resource.h"
#include "platform/Clock.h"

#include <QComboBox>
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
        m_pDlg->m_cbResolution->setCurrentIndex(0);
        m_pDlg->m_cbCurrent->setCurrentIndex(3);
        m_pDlg->m_cbIdle->setCurrentIndex(6);
        m_pDlg->SetDlgItemText(IDC_STATUS, kUntouched);
        m_pDlg->m_bRecallPending = recall;
        m_pDlg->SetReplyTimer(3500);

        Feed(bytes);

        QCOMPARE(QStringLiteral("%1 %2 %3 %4")
                     .arg(m_pDlg->m_cbResolution->currentIndex())
                     .arg(m_pDlg->m_cbCurrent->currentIndex())
                     .arg(m_pDlg->m_cbIdle->currentIndex())
                     .arg(Text(IDC_CURRENT_UNIT)),
                 lists);
        QCOMPARE(Text(IDC_STATUS), status);
        QCOMPARE(Text(IDC_REPLY), reply);
        QCOMPARE(!m_pDlg->IsReplyTimerPending(), answered);
        QVERIFY(!m_pDlg->GetDlgItem(IDC_APPLY)->isEnabled());
    }

    void acceptedTextFollowsTheLatestFamily()
    {
        Feed("PKN61/72\r");
        m_pDlg->SetDlgItemText(IDC_STATUS, QString());
        Feed("I:8 accepted\r");
        QCOMPARE(Text(IDC_STATUS), kPKN);
        Feed("accepted by RT3180\r");
        QCOMPARE(Text(IDC_STATUS), kRT);
        QCOMPARE(m_pDlg->m_strAcceptedText, kRT);
    }

    void bytesOutsideAsciiStayInTheLine()
    {
        Feed(QByteArray("RT3180 \xB0", 8) + QByteArray(1, '\0') + "x\r");
        QCOMPARE(Text(IDC_REPLY), QString::fromLatin1("RT3180 \xB0", 8) + QChar(0) + "x");
        QVERIFY(m_pDlg->m_strRxLine.isEmpty());
    }

private:
    void Feed(const QByteArray& bytes)
    {
        for (char ch : bytes)
            m_pDlg->OnReceiveByte(0, static_cast<unsigned char>(ch));
    }
    QString Text(int nID) const { return DlgItemText(*m_pDlg, nID); }

    std::unique_ptr<CTempConfigHome> m_pHome;
    SleepHook m_previousSleep;
    std::unique_ptr<CRT3180Dlg> m_pDlg;
};

QTEST_MAIN(TestReplies)
#include "tst_replies.moc"
