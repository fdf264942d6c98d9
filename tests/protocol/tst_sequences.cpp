// The command sequences on a virtual clock: every pause the dialog takes is
// recorded instead of slept, together with what the drive received just
// before it, so order, bytes and pacing are checked exactly.

#include "PortLink.h"
#include "SerialPeer.h"
#include "TestSupport.h"
#include "app/RT3180Dlg.h"
#include "app/Resource.h"
#include "controls/LedIndicator.h"
#include "platform/Clock.h"
#include "platform/RegisteredMessage.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace
{

const QString kConnected = QStringLiteral("PKN61/72 & RT3180 SPI Interface connected to: COM1");
const QString kSending = QStringLiteral("Sending the New Settings,  wait ...");
const QString kLost = QStringLiteral("PKN61/72 & RT3180 SPI Interface Connection Lost!");

// One pause of the GUI thread.
struct CPause {
    unsigned nMilliseconds;
    bool bTxLit;
    QByteArray sent;   // what reached the drive since the previous pause
    int nReplyTimeout; // the armed time-out, 0 when none is pending
    QString strStatus;
};

// A pause as the table of a sequence gives it.
struct CExpectedPause {
    unsigned nMilliseconds;
    bool bTxLit;
    const char* pszSent;
    int nReplyTimeout;
};

} // namespace

class TestSequences : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_pHome = std::make_unique<CTempConfigHome>();
        m_pPeer = std::make_unique<CPtyPeer>();
        QVERIFY(m_pPeer->IsValid());
        std::string strError;
        QVERIFY(CreatePortLink(PortLinkPath("COM1"), m_pPeer->Path().toStdString(), strError));
        m_pBoxes = std::make_unique<CMessageBoxRecorder>();
        m_pDlg = std::make_unique<CRT3180Dlg>();
        m_pDlg->Create();
        m_previousSleep = SetSleepHook([this](unsigned nMilliseconds) { Record(nMilliseconds); });
    }
    void cleanup()
    {
        SetSleepHook(std::move(m_previousSleep));
        m_pDlg.reset();
        m_pBoxes.reset();
        m_pPeer.reset();
        m_pHome.reset();
        m_pauses.clear();
    }

    void connectSendsQueryThenSettings()
    {
        Connect();
        VerifyPauses({{50, true, "", 0}, {50, false, "?:", 3500}, {50, true, "", 3500}});
        QCOMPARE(Drain(), QByteArray("S:"));
        QCOMPARE(m_pDlg->ReplyTimerInterval(), 3500);
        // The connected texts are on screen before the first pause.
        QCOMPARE(m_pauses.first().strStatus, kConnected);

        QCOMPARE(Text(IDC_STATUS), kConnected);
        QCOMPARE(Text(IDC_CONNECT), QStringLiteral("Disconnect"));
        QVERIFY(m_pDlg->GetDlgItem(IDC_TEST)->isEnabled());
        QVERIFY(!m_pDlg->GetDlgItem(IDC_APPLY)->isEnabled());
        QVERIFY(m_pDlg->GetDlgItem(IDC_RESOLUTION)->isVisibleTo(m_pDlg.get()));
        QVERIFY(!m_pDlg->GetDlgItem(IDC_BANNER)->isVisibleTo(m_pDlg.get()));
        QVERIFY(m_pDlg->m_bConnected && m_pDlg->m_bRecallPending && m_pDlg->m_bTestOn);
        QVERIFY(m_pBoxes->Calls().isEmpty());

        // The port that worked is the one stored.
        CRT3180Dlg next;
        next.Create();
        QCOMPARE(next.m_strComPort, QStringLiteral("COM1"));
    }

    void applySendsTheSelectionsPaced_data()
    {
        QTest::addColumn<int>("resolution");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("idle");
        QTest::addColumn<bool>("ampere");
        QTest::addColumn<QStringList>("commands");
        QTest::newRow("400, 100, 0") << 0 << 9 << 0 << false << QStringList({"R:4", "I:0", "ID:0"});
        QTest::newRow("defaults") << 2 << 7 << 2 << false << QStringList({"R:2", "I:8", "ID:2"});
        QTest::newRow("1000, 4 A, 70")
            << 1 << 9 << 7 << true << QStringList({"R:1", "I:0", "ID:7"});
        QTest::newRow("5000, 0.4 A, 10")
            << 3 << 0 << 1 << true << QStringList({"R:5", "I:1", "ID:1"});
    }
    void applySendsTheSelectionsPaced()
    {
        QFETCH(int, resolution);
        QFETCH(int, current);
        QFETCH(int, idle);
        QFETCH(bool, ampere);
        QFETCH(QStringList, commands);
        Connect();
        m_pDlg->SetDriveFamily(ampere ? 1 : 0);
        m_pDlg->m_cbResolution->setCurrentIndex(resolution);
        m_pDlg->m_cbCurrent->setCurrentIndex(current);
        m_pDlg->m_cbIdle->setCurrentIndex(idle);
        m_pDlg->EnableDlgItem(IDC_APPLY, true);
        Drain();
        m_pauses.clear();

        static_cast<QPushButton*>(m_pDlg->GetDlgItem(IDC_APPLY))->click();

        const QByteArray r = commands[0].toLatin1(), i = commands[1].toLatin1(),
                         id = commands[2].toLatin1();
        VerifyPauses({{100, true, "", 3500},
                      {1000, false, "?:", 3500},
                      {50, true, "", 3500},
                      {3500, false, r.constData(), 5000},
                      {50, true, "", 5000},
                      {1100, false, i.constData(), 3500},
                      {50, true, "", 3500},
                      {1100, false, id.constData(), 3500}});
        QCOMPARE(m_pauses.first().strStatus, kSending);
        QVERIFY(!m_pDlg->GetDlgItem(IDC_APPLY)->isEnabled());
        QVERIFY(!m_pDlg->m_bRecallPending);
        QCOMPARE(Text(IDC_STATUS), kSending); // until the drive answers
        QCOMPARE(Drain(), QByteArray());
    }

    void testTogglesAfterEachCommand()
    {
        Connect();
        Drain();
        auto* pTest = static_cast<QPushButton*>(m_pDlg->GetDlgItem(IDC_TEST));
        const std::pair<const char*, const char*> presses[] = {
            {"D:", "Test Off"}, {"P:", "Test On"}, {"D:", "Test Off"}};
        QString strBefore = pTest->text();
        for (auto [pszCommand, pszCaption] : presses) {
            m_pauses.clear();
            pTest->click();
            VerifyPauses({{100, true, "", 3500}, {1000, false, pszCommand, 3500}});
            QCOMPARE(m_captionsDuringPauses, QStringList({strBefore, strBefore}));
            QCOMPARE(pTest->text(), QString::fromLatin1(pszCaption));
            strBefore = pTest->text();
        }
        // A new connection keeps the caption but starts with the drive's test on.
        m_pDlg->OnConnect();
        Connect();
        Drain();
        m_pauses.clear();
        pTest->click();
        VerifyPauses({{100, true, "", 3500}, {1000, false, "D:", 3500}});
        QCOMPARE(pTest->text(), QStringLiteral("Test Off"));
    }

    void nothingIsSentWhileDisconnected()
    {
        m_pDlg->OnApply();
        m_pDlg->OnRecall();
        QVERIFY(m_pDlg->m_bRecallPending);
        m_pDlg->SetDlgItemText(IDC_TEST, QStringLiteral("Test Off"));
        m_pDlg->OnTest();
        QCOMPARE(Text(IDC_TEST), QStringLiteral("Test On"));
        QVERIFY(m_pauses.isEmpty());
        QCOMPARE(Drain(), QByteArray());
    }

    void recallAsksAgainAndTurnsRecallModeOn()
    {
        Connect();
        Drain();
        m_pDlg->m_bRecallPending = false;
        m_pauses.clear();
        m_pDlg->GetMenuItem(ID_RECALL)->trigger();
        VerifyPauses({{50, true, "", 3500}, {50, false, "?:", 3500}, {50, true, "", 3500}});
        QCOMPARE(Drain(), QByteArray("S:"));
        QVERIFY(m_pDlg->m_bRecallPending);
    }

    void failedConnectStaysDisconnected()
    {
        std::string strError;
        QVERIFY(CreatePortLink(PortLinkPath("COM1"), "/nonexistent/tty", strError));
        m_pDlg->SetDlgItemText(IDC_REPLY, QStringLiteral("old reply"));
        Connect();
        QCOMPARE(m_pBoxes->Texts(), QStringList({"Unable to open COM1"}));
        QCOMPARE(m_pBoxes->Calls().first().nType, unsigned(MB_OK | MB_ICONSTOP));
        QCOMPARE(Text(IDC_STATUS), QStringLiteral("RT3180 SPI Interface not connected to: COM1"));
        QCOMPARE(Text(IDC_REPLY), QString());
        QCOMPARE(Text(IDC_CONNECT), QStringLiteral("Connect"));
        QVERIFY(!m_pDlg->GetDlgItem(IDC_TEST)->isEnabled());
        QVERIFY(!m_pDlg->GetDlgItem(IDC_APPLY)->isEnabled());
        QVERIFY(!m_pDlg->m_bConnected);
        QVERIFY(m_pauses.isEmpty());
        QVERIFY(!m_pDlg->IsReplyTimerPending());
    }

    void disconnectCancelsTheTimeOutAndReleasesThePort()
    {
        Connect();
        Drain();
        m_pDlg->EnableDlgItem(IDC_APPLY, true);
        QVERIFY(m_pDlg->IsReplyTimerPending());
        m_pauses.clear();
        m_pDlg->OnConnect();
        QVERIFY(m_pauses.isEmpty());
        QCOMPARE(Drain(), QByteArray()); // nothing is sent
        QVERIFY(!m_pDlg->IsReplyTimerPending());
        QCOMPARE(Text(IDC_STATUS), QString());
        QCOMPARE(Text(IDC_REPLY), QString());
        QCOMPARE(Text(IDC_CONNECT), QStringLiteral("Connect"));
        QVERIFY(!m_pDlg->GetDlgItem(IDC_APPLY)->isEnabled());
        QVERIFY(!m_pDlg->GetDlgItem(IDC_TEST)->isEnabled());
        QVERIFY(!m_pDlg->GetDlgItem(IDC_RESOLUTION)->isVisibleTo(m_pDlg.get()));
        QVERIFY(!m_pDlg->m_bConnected);
        // Released: another program can open the port now.
        CSerialPort other;
        CMessageBoxRecorder quiet;
        QVERIFY(other.Open(m_pPeer->Path()));
        other.Close();
    }

    void timeOutReportsTheLossButStaysConnected()
    {
        Connect();
        Drain();
        m_pDlg->OnTimer();
        QCOMPARE(m_pBoxes->Texts(), QStringList({kLost}));
        QCOMPARE(m_pBoxes->Calls().first().nType, unsigned(MB_OK | MB_ICONHAND));
        QCOMPARE(Text(IDC_STATUS), kLost);
        QVERIFY(!m_pDlg->GetDlgItem(IDC_RESOLUTION)->isVisibleTo(m_pDlg.get()));
        QVERIFY(m_pDlg->GetDlgItem(IDC_BANNER)->isVisibleTo(m_pDlg.get()));
        QCOMPARE(Text(IDC_CONNECT), QStringLiteral("Disconnect"));
        QVERIFY(m_pDlg->GetDlgItem(IDC_TEST)->isEnabled());
        QVERIFY(m_pDlg->m_bConnected);
        QVERIFY(!m_pDlg->IsReplyTimerPending());

        // Commands still go out after the loss.
        m_pauses.clear();
        m_pDlg->OnRecall();
        QCOMPARE(m_pauses.value(1).sent, QByteArray("?:"));
        QCOMPARE(Drain(), QByteArray("S:"));
    }

    void bytesAlreadyReceivedComeBeforeTheTimeOut()
    {
        Connect();
        for (char ch : QByteArray("PKN61/72 ready\r"))
            QCoreApplication::postEvent(m_pDlg.get(), new CReceivedByteEvent(ch));
        m_pDlg->OnTimer();
        QVERIFY(m_pBoxes->Calls().isEmpty());
        QCOMPARE(Text(IDC_STATUS), QStringLiteral("PKN61/72 SPI Interface commands accepted!"));
        QCOMPARE(Text(IDC_REPLY), QStringLiteral("PKN61/72 ready"));
    }

private:
    void Connect() { static_cast<QPushButton*>(m_pDlg->GetDlgItem(IDC_CONNECT))->click(); }

    QString Text(int nID) const
    {
        QWidget* pControl = m_pDlg->GetDlgItem(nID);
        if (auto* pEdit = qobject_cast<QLineEdit*>(pControl))
            return pEdit->text();
        return static_cast<QAbstractButton*>(pControl)->text();
    }

    // What the drive has received and not yet been looked at.
    QByteArray Drain() { return m_pPeer->Receive(64, 50); }

    void Record(unsigned nMilliseconds)
    {
        if (m_pDlg->m_ledRx->isChecked())
            return; // the pulse of a received byte, not a command's pause
        CPause pause;
        pause.nMilliseconds = nMilliseconds;
        pause.bTxLit = m_pDlg->m_ledTx->isChecked();
        // After a write (lamp out again) the command is on its way.
        if (!pause.bTxLit)
            pause.sent = m_pPeer->Receive(1, 1000);
        pause.sent += m_pPeer->Receive(64, 0);
        pause.nReplyTimeout = m_pDlg->IsReplyTimerPending() ? m_pDlg->ReplyTimerInterval() : 0;
        pause.strStatus = Text(IDC_STATUS);
        m_pauses.append(pause);
        if (m_pauses.size() == 1)
            m_captionsDuringPauses.clear();
        m_captionsDuringPauses.append(Text(IDC_TEST));
    }

    void VerifyPauses(const QList<CExpectedPause>& expected)
    {
        QCOMPARE(m_pauses.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            const QString strWhere = QStringLiteral("pause %1").arg(i);
            QVERIFY2(m_pauses[i].nMilliseconds == expected[i].nMilliseconds, qPrintable(strWhere));
            QVERIFY2(m_pauses[i].bTxLit == expected[i].bTxLit, qPrintable(strWhere));
            QCOMPARE(m_pauses[i].sent, QByteArray(expected[i].pszSent));
            QVERIFY2(m_pauses[i].nReplyTimeout == expected[i].nReplyTimeout, qPrintable(strWhere));
        }
    }

    std::unique_ptr<CTempConfigHome> m_pHome;
    std::unique_ptr<CPtyPeer> m_pPeer;
    std::unique_ptr<CMessageBoxRecorder> m_pBoxes;
    std::unique_ptr<CRT3180Dlg> m_pDlg;
    SleepHook m_previousSleep;
    QList<CPause> m_pauses;
    QStringList m_captionsDuringPauses;
};

QTEST_MAIN(TestSequences)
#include "tst_sequences.moc"
