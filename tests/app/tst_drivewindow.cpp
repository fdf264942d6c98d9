// The window's side of talking to the drive: what Connect, Apply, Test and
// Disconnect show, and when (the time-out is shown end to end). The pauses
// are recorded instead of slept, with the status line and Test caption
// painted by then.

#include "DialogSupport.h"
#include "SerialPeer.h"
#include "app/RT3180Dlg.h"
#include "controls/LedIndicator.h"
#include "platform/Clock.h"
#include "port/StoredPort.h"
#include "settings/SettingLists.h"
#include "ui/Resource.h"
#include "ui/WindowPump.h"

#include <QComboBox>
#include <QTimer>
#include <QWindow>
#include <QtTest>
#include <qpa/qwindowsysteminterface.h>

class TestDriveWindow : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_pHome = std::make_unique<CTempConfigHome>();
        m_pPeer = std::make_unique<CPtyPeer>();
        LinkCom1(m_pPeer->Path());
        m_pBoxes = std::make_unique<CMessageBoxRecorder>();
        m_pDlg = std::make_unique<CRT3180Dlg>();
        m_pDlg->Create();
        m_previousSleep = SetSleepHook([this](unsigned nMilliseconds) {
            if (!Lamp(*m_pDlg, IDC_RX_LED)->isChecked())
                m_shownAtPauses << QStringLiteral("%1 %2 | %3")
                                       .arg(nMilliseconds)
                                       .arg(Text(IDC_STATUS), Text(IDC_TEST));
        });
    }
    void cleanup()
    {
        SetSleepHook(std::move(m_previousSleep));
        m_pDlg.reset();
        m_pBoxes.reset();
        m_pPeer.reset();
        m_pHome.reset();
        m_shownAtPauses.clear();
    }

    void connectShowsThePortBeforeAsking()
    {
        Click(IDC_CONNECT);
        QCOMPARE(m_shownAtPauses.first(),
                 "50 PKN61/72 & RT3180 SPI Interface connected to: COM1 | Test On");
        QCOMPARE(Text(IDC_CONNECT), QStringLiteral("Disconnect"));
        QVERIFY(m_pDlg->GetDlgItem(IDC_TEST)->isEnabled());
        QVERIFY(!m_pDlg->GetDlgItem(IDC_APPLY)->isEnabled());
        QVERIFY(m_pDlg->GetDlgItem(IDC_RESOLUTION)->isVisibleTo(m_pDlg.get()));
        QString strStored; // stored once it opened
        QVERIFY(LoadStoredPort(strStored) && strStored == QStringLiteral("COM1"));
    }

    void applySendsTheListsCodes()
    {
        Click(IDC_CONNECT);
        m_pDlg->SetDriveFamily(1);
        List(*m_pDlg, IDC_RESOLUTION)->setCurrentIndex(1);
        List(*m_pDlg, IDC_CURRENT)->setCurrentIndex(9);
        List(*m_pDlg, IDC_IDLE)->setCurrentIndex(7);
        m_pDlg->EnableDlgItem(IDC_APPLY, true);
        Drain();
        m_shownAtPauses.clear();

        Click(IDC_APPLY);
        QCOMPARE(m_shownAtPauses.first(), "100 Sending the New Settings,  wait ... | Test On");
        QVERIFY(!m_pDlg->GetDlgItem(IDC_APPLY)->isEnabled());
        QCOMPARE(Drain(), QByteArray("?:R:1I:0ID:7"));
    }

    void testCaptionChangesAfterItsCommand()
    {
        Click(IDC_CONNECT);
        for (const char* pszAfter : {"Test Off", "Test On", "Test Off"}) {
            m_shownAtPauses.clear();
            const QString strBefore = Text(IDC_TEST);
            Click(IDC_TEST);
            QVERIFY(m_shownAtPauses.last().endsWith("| " + strBefore));
            QCOMPARE(Text(IDC_TEST), QString::fromLatin1(pszAfter));
        }
        // A new connection keeps the caption, though the drive's test is on again.
        Click(IDC_CONNECT);
        Click(IDC_CONNECT);
        Click(IDC_TEST);
        QCOMPARE(Text(IDC_TEST), QStringLiteral("Test Off"));
        Click(IDC_CONNECT);
        m_pDlg->SetDlgItemText(IDC_TEST, QStringLiteral("Test Off"));
        m_pDlg->OnTest(); // not connected: the caption only
        QCOMPARE(Text(IDC_TEST), QStringLiteral("Test On"));
    }

    void failedConnectAndDisconnectShowTheDisconnectedState()
    {
        LinkCom1("/nonexistent/tty");
        m_pDlg->SetDlgItemText(IDC_REPLY, QStringLiteral("old reply"));
        Click(IDC_CONNECT);
        QCOMPARE(m_pBoxes->Texts(), QStringList({"Unable to open COM1"}));
        VerifyDisconnected(QStringLiteral("RT3180 SPI Interface not connected to: COM1"));

        LinkCom1(m_pPeer->Path());
        Click(IDC_CONNECT);
        m_pDlg->EnableDlgItem(IDC_APPLY, true);
        Click(IDC_CONNECT);
        VerifyDisconnected(QString());
    }

    // Every way of ending the dialog goes through OnCancel; Exit stands for them all.
    void exitClosesThePort()
    {
        Click(IDC_CONNECT);
        Click(IDCANCEL);
        QTRY_COMPARE(ReaderThreads().size(), 0);
        CSerialPort other;
        QVERIFY(other.Open(m_pPeer->Path()));
    }

    // While a sequence waits, a click on Exit and the close box wait in the
    // window system's queue: either ends the dialog only after the last
    // command was written, as with the thread blocked.
    void inputAndCloseWaitForTheSequence_data()
    {
        QTest::addColumn<bool>("bCloseBox");
        QTest::newRow("Exit clicked") << false;
        QTest::newRow("close box") << true;
    }
    void inputAndCloseWaitForTheSequence()
    {
        QFETCH(bool, bCloseBox);
        SetSleepHook({}); // the real clock and the window's own pump
        InstallWindowPump();
        auto unpump = qScopeGuard([] { SetWaitPump({}); });
        m_pDlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pDlg.get()));
        Click(IDC_CONNECT);
        Drain();

        bool bOpenAtWrite = false;
        connect(&m_pDlg->Drive(), &CDriveProtocol::txLampChanged, this,
                [&](int nState) { bOpenAtWrite = nState || m_pDlg->isVisible(); });
        QWindow* pWindow = m_pDlg->windowHandle();
        QWidget* pExit = m_pDlg->GetDlgItem(IDCANCEL);
        const QPointF ptExit = pExit->mapTo(m_pDlg.get(), pExit->rect().center());
        QTimer::singleShot(20, this, [=, this] { // in the lead-in of "D:"
            if (bCloseBox) {
                QWindowSystemInterface::handleCloseEvent<
                    QWindowSystemInterface::AsynchronousDelivery>(pWindow);
                return;
            }
            for (const QEvent::Type eType : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
                QWindowSystemInterface::handleMouseEvent<
                    QWindowSystemInterface::AsynchronousDelivery>(
                    pWindow, ptExit, pWindow->mapToGlobal(ptExit),
                    eType == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                    Qt::LeftButton, eType);
        });
        Click(IDC_TEST);
        QVERIFY(bOpenAtWrite);
        QCOMPARE(Drain(), QByteArray("D:"));
        QVERIFY(m_pDlg->isVisible());
        QTRY_VERIFY(!m_pDlg->isVisible());
    }

private:
    void Click(int nID) { ClickDlgItem(*m_pDlg, nID); }
    QString Text(int nID) const { return DlgItemText(*m_pDlg, nID); }
    QByteArray Drain() { return m_pPeer->Receive(64, 50); }

    void VerifyDisconnected(const QString& strStatus)
    {
        QCOMPARE(Text(IDC_STATUS), strStatus);
        QCOMPARE(Text(IDC_REPLY), QString());
        QCOMPARE(Text(IDC_CONNECT), QStringLiteral("Connect"));
        QVERIFY(!m_pDlg->GetDlgItem(IDC_TEST)->isEnabled());
        QVERIFY(!m_pDlg->GetDlgItem(IDC_APPLY)->isEnabled());
        QVERIFY(!m_pDlg->GetDlgItem(IDC_RESOLUTION)->isVisibleTo(m_pDlg.get()));
        QVERIFY(!m_pDlg->Drive().IsConnected() && !m_pDlg->Drive().IsReplyTimerPending());
    }

    std::unique_ptr<CTempConfigHome> m_pHome;
    std::unique_ptr<CPtyPeer> m_pPeer;
    std::unique_ptr<CMessageBoxRecorder> m_pBoxes;
    std::unique_ptr<CRT3180Dlg> m_pDlg;
    SleepHook m_previousSleep;
    QStringList m_shownAtPauses;
};

QTEST_MAIN(TestDriveWindow)
#include "tst_drivewindow.moc"
