// The command sequences on a virtual clock: every pause the dialog takes is
// recorded instead of slept, with what the drive received just before it,
// so order, bytes and pacing are checked exactly.

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
const QString kSending = QStringLiteral("Sending the New Settings,  wait ...");
const QString kLost = QStringLiteral("PKN61/72 & RT3180 SPI Interface Connection Lost!");
} // namespace

class TestSequences : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_pHome = std::make_unique<CTempConfigHome>();
        m_pPeer = std::make_unique<CPtyPeer>();
        LinkCom1(m_pPeer->Path().toStdString());
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
        m_statusAtPauses.clear();
        m_captionAtPauses.clear();
    }

    // A pause reads "<ms>[ lit] <received before it> <armed time-out>".
    void connectAndRecallAskTwice()
    {
        Click(IDC_CONNECT);
        QCOMPARE(m_pauses, QStringList({"50 lit - 0", "50 ?: 3500", "50 lit - 3500"}));
        QCOMPARE(Drain(), QByteArray("S:"));
        QCOMPARE(m_statusAtPauses.first(),
                 QStringLiteral("PKN61/72 & RT3180 SPI Interface connected to: COM1"));
        QVERIFY(m_pDlg->m_bConnected && m_pDlg->m_bRecallPending && m_pDlg->m_bTestOn);
        QCOMPARE(CRT3180Dlg().m_strComPort, QStringLiteral("COM1")); // stored once it opened

        m_pDlg->m_bRecallPending = false;
        Restart();
        m_pDlg->GetMenuItem(ID_RECALL)->trigger();
        QCOMPARE(m_pauses, QStringList({"50 lit - 3500", "50 ?: 3500", "50 lit - 3500"}));
        QCOMPARE(Drain(), QByteArray("S:"));
        QVERIFY(m_pDlg->m_bRecallPending);
    }

    void applySendsTheSelectionsPaced_data()
    {
        QTest::addColumn<QList<int>>("selection"); // resolution, current, idle, ampere
        QTest::addColumn<QStringList>("commands");
        QTest::newRow("400, 100, 0") << QList<int>{0, 9, 0, 0} << QStringList{"R:4", "I:0", "ID:0"};
        QTest::newRow("defaults") << QList<int>{2, 7, 2, 0} << QStringList{"R:2", "I:8", "ID:2"};
        QTest::newRow("1000, 4 A, 70")
            << QList<int>{1, 9, 7, 1} << QStringList{"R:1", "I:0", "ID:7"};
        QTest::newRow("5000, 0.4 A, 10")
            << QList<int>{3, 0, 1, 1} << QStringList{"R:5", "I:1", "ID:1"};
    }
    void applySendsTheSelectionsPaced()
    {
        QFETCH(QList<int>, selection);
        QFETCH(QStringList, commands);
        Click(IDC_CONNECT);
        m_pDlg->SetDriveFamily(selection[3]);
        m_pDlg->m_cbResolution->setCurrentIndex(selection[0]);
        m_pDlg->m_cbCurrent->setCurrentIndex(selection[1]);
        m_pDlg->m_cbIdle->setCurrentIndex(selection[2]);
        m_pDlg->EnableDlgItem(IDC_APPLY, true);
        Restart();

        Click(IDC_APPLY);
        QCOMPARE(m_pauses, QStringList({"100 lit - 3500", "1000 ?: 3500", "50 lit - 3500",
                                        "3500 " + commands[0] + " 5000", "50 lit - 5000",
                                        "1100 " + commands[1] + " 3500", "50 lit - 3500",
                                        "1100 " + commands[2] + " 3500"}));
        QCOMPARE(m_statusAtPauses.first(), kSending);
        QVERIFY(!m_pDlg->GetDlgItem(IDC_APPLY)->isEnabled());
        QVERIFY(!m_pDlg->m_bRecallPending);
        QCOMPARE(Text(IDC_STATUS), kSending); // until the drive answers
    }

    void testTogglesAfterItsCommand()
    {
        Click(IDC_CONNECT);
        const QStringList steps[] = {{"D:", "Test On", "Test Off"},
                                     {"P:", "Test Off", "Test On"},
                                     {"D:", "Test On", "Test Off"}};
        for (const QStringList& step : steps) {
            Restart();
            Click(IDC_TEST);
            QCOMPARE(m_pauses, QStringList({"100 lit - 3500", "1000 " + step[0] + " 3500"}));
            QCOMPARE(m_captionAtPauses.last(), step[1]);
            QCOMPARE(Text(IDC_TEST), step[2]);
        }
        // A new connection keeps the caption, but the drive's test is on again.
        Click(IDC_CONNECT);
        Click(IDC_CONNECT);
        Restart();
        Click(IDC_TEST);
        QCOMPARE(m_pauses.last(), QStringLiteral("1000 D: 3500"));
        QCOMPARE(Text(IDC_TEST), QStringLiteral("Test Off"));
    }

    void nothingIsSentWhileDisconnected()
    {
        m_pDlg->OnApply();
        m_pDlg->OnRecall();
        m_pDlg->SetDlgItemText(IDC_TEST, QStringLiteral("Test Off"));
        m_pDlg->OnTest();
        QCOMPARE(Text(IDC_TEST), QStringLiteral("Test On"));
        QVERIFY(m_pDlg->m_bRecallPending);
        QVERIFY(m_pauses.isEmpty());
        QCOMPARE(Drain(), QByteArray());
    }

    void failedConnectStaysDisconnected()
    {
        LinkCom1("/nonexistent/tty");
        m_pDlg->SetDlgItemText(IDC_REPLY, QStringLiteral("old reply"));
        Click(IDC_CONNECT);
        QCOMPARE(m_pBoxes->Texts(), QStringList({"Unable to open COM1"}));
        QCOMPARE(m_pBoxes->Calls().first().nType, unsigned(MB_OK | MB_ICONSTOP));
        VerifyDisconnected(QStringLiteral("RT3180 SPI Interface not connected to: COM1"));
        QVERIFY(m_pauses.isEmpty());
    }

    void disconnectCancelsTheTimeOutAndReleasesThePort()
    {
        Click(IDC_CONNECT);
        m_pDlg->EnableDlgItem(IDC_APPLY, true);
        Restart();
        Click(IDC_CONNECT);
        QVERIFY(m_pauses.isEmpty());
        QCOMPARE(Drain(), QByteArray());
        VerifyDisconnected(QString());
        CSerialPort other; // another program can have the port now
        QVERIFY(other.Open(m_pPeer->Path()));
    }

    void timeOutReportsTheLossAfterTheBytesAlreadyReceived()
    {
        Click(IDC_CONNECT);
        for (char ch : QByteArray("PKN61/72 ready\r"))
            QCoreApplication::postEvent(m_pDlg.get(), new CReceivedByteEvent(ch));
        m_pDlg->OnTimer(); // the reply came first: no time-out
        QVERIFY(m_pBoxes->Calls().isEmpty());
        QCOMPARE(Text(IDC_REPLY), QStringLiteral("PKN61/72 ready"));

        m_pDlg->SetReplyTimer(3500);
        m_pDlg->OnTimer();
        QCOMPARE(m_pBoxes->Texts(), QStringList({kLost}));
        QCOMPARE(m_pBoxes->Calls().first().nType, unsigned(MB_OK | MB_ICONHAND));
        QCOMPARE(Text(IDC_STATUS), kLost);
        QVERIFY(!m_pDlg->GetDlgItem(IDC_RESOLUTION)->isVisibleTo(m_pDlg.get()));
        QVERIFY(m_pDlg->GetDlgItem(IDC_BANNER)->isVisibleTo(m_pDlg.get()));
        QCOMPARE(Text(IDC_CONNECT), QStringLiteral("Disconnect"));
        QVERIFY(m_pDlg->GetDlgItem(IDC_TEST)->isEnabled() && m_pDlg->m_bConnected);
        QVERIFY(!m_pDlg->IsReplyTimerPending());
    }

private:
    void LinkCom1(const std::string& strTarget)
    {
        std::string strError;
        QVERIFY2(CreatePortLink(PortLinkPath("COM1"), strTarget, strError), strError.c_str());
    }
    void Click(int nID) { ClickDlgItem(*m_pDlg, nID); }
    QString Text(int nID) const { return DlgItemText(*m_pDlg, nID); }
    // What the drive has received and not yet been looked at.
    QByteArray Drain() { return m_pPeer->Receive(64, 50); }
    void Restart()
    {
        Drain();
        m_pauses.clear();
        m_statusAtPauses.clear();
        m_captionAtPauses.clear();
    }

    void Record(unsigned nMilliseconds)
    {
        if (m_pDlg->m_ledRx->isChecked())
            return; // the pulse of a received byte, not a command's pause
        const bool bLit = m_pDlg->m_ledTx->isChecked();
        // Once the lamp is out again, the command is on its way.
        const QByteArray sent = bLit ? m_pPeer->Receive(64, 0) : m_pPeer->Receive(1, 1000);
        const int nTimeout = m_pDlg->IsReplyTimerPending() ? m_pDlg->ReplyTimerInterval() : 0;
        m_pauses << QStringLiteral("%1%2 %3 %4")
                        .arg(nMilliseconds)
                        .arg(bLit ? " lit" : "")
                        .arg(sent.isEmpty() ? "-" : QString::fromLatin1(sent))
                        .arg(nTimeout);
        m_statusAtPauses << Text(IDC_STATUS);
        m_captionAtPauses << Text(IDC_TEST);
    }

    void VerifyDisconnected(const QString& strStatus)
    {
        QCOMPARE(Text(IDC_STATUS), strStatus);
        QCOMPARE(Text(IDC_REPLY), QString());
        QCOMPARE(Text(IDC_CONNECT), QStringLiteral("Connect"));
        QVERIFY(!m_pDlg->GetDlgItem(IDC_TEST)->isEnabled());
        QVERIFY(!m_pDlg->GetDlgItem(IDC_APPLY)->isEnabled());
        QVERIFY(!m_pDlg->GetDlgItem(IDC_RESOLUTION)->isVisibleTo(m_pDlg.get()));
        QVERIFY(!m_pDlg->m_bConnected && !m_pDlg->IsReplyTimerPending());
    }

    std::unique_ptr<CTempConfigHome> m_pHome;
    std::unique_ptr<CPtyPeer> m_pPeer;
    std::unique_ptr<CMessageBoxRecorder> m_pBoxes;
    std::unique_ptr<CRT3180Dlg> m_pDlg;
    SleepHook m_previousSleep;
    QStringList m_pauses, m_statusAtPauses, m_captionAtPauses;
};

QTEST_MAIN(TestSequences)
#include "tst_sequences.moc"
