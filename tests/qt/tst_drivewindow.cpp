// What Connect, Apply, Test and Disconnect show, and when: the pauses are
// recorded instead of slept, each with what the window has painted by then.

#include "DialogSupport.h"
#include "SerialPeer.h"
#include "app/RT3180Dlg.h"
#include "platform/Clock.h"
#include "ui/Resource.h"
#include "ui/WindowPump.h"

#include <QtTest>
#include <QtWidgets>
#include <qpa/qwindowsysteminterface.h>

namespace
{
struct CFixture {
    CTempConfigHome home;
    CPtyPeer peer;
    CMessageBoxRecorder boxes;
    CRT3180Dlg dlg;
    QStringList shown; // at each pause
};
} // namespace

class TestDriveWindow : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_f.emplace();
        LinkCom1(m_f->peer.Path());
        m_f->dlg.Create();
        m_f->dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_f->dlg));
        // The reply's per-byte pulses (RX lit) are left out.
        SetSleepHook([this](unsigned nMilliseconds) {
            const auto lit = [this](int nID) { return Item(nID)->property("checked").toBool(); };
            if (!lit(IDC_RX_LED))
                m_f->shown << QStringList{QString::number(nMilliseconds), Shown(IDC_STATUS),
                                          Shown(IDC_TEST),
                                          Shown(IDC_TX_LED, lit(IDC_TX_LED) ? " lit" : " dark")}
                                  .join(" | ");
        });
        // The drive's texts are on the screen at once, not only by the next wait.
        connect(&m_f->dlg.Drive(), &CDriveProtocol::statusChanged, this,
                [this] { m_shownAtOnce << Shown(IDC_STATUS); });
    }
    void cleanup()
    {
        SetSleepHook({});
        m_f.reset();
        QCOMPARE(std::exchange(m_shownAtOnce, {}).filter("unpainted").join(", "), QString());
    }

    void connectAndApplyShowTheirStatusBeforeTheirWaits()
    {
        Click(IDC_CONNECT);
        QCOMPARE(m_f->shown.first(),
                 "50 | PKN61/72 & RT3180 SPI Interface connected to: COM1 | Test On | TX lit");
        QCOMPARE(Text(IDC_CONNECT), QStringLiteral("Disconnect"));
        QVERIFY(Item(IDC_TEST)->isEnabled() && !Item(IDC_APPLY)->isEnabled());
        QVERIFY(Item(IDC_RESOLUTION)->isVisible());

        m_f->dlg.SetDriveFamily(1);
        for (auto [nID, nIndex] : {std::pair{IDC_RESOLUTION, 1}, {IDC_CURRENT, 9}, {IDC_IDLE, 7}})
            List(m_f->dlg, nID)->setCurrentIndex(nIndex);
        m_f->dlg.EnableDlgItem(IDC_APPLY, true);
        Drain();
        m_f->shown.clear();
        Click(IDC_APPLY);
        QCOMPARE(m_f->shown.first(),
                 "100 | Sending the New Settings,  wait ... | Test On | TX lit");
        QVERIFY(!Item(IDC_APPLY)->isEnabled());
        QCOMPARE(Drain(), QByteArray("?:R:1I:0ID:7"));
        // Every way of ending the dialog goes through OnCancel; Exit stands for them all.
        Click(IDCANCEL);
        QTRY_COMPARE(ReaderThreads().size(), 0);
        QVERIFY(CSerialPort().Open(m_f->peer.Path()));
    }

    // The Test caption changes after the command's waits, from the drive's
    // state, which a new connection turns on again; unconnected, Test only
    // resets it. A Disconnect, and a Connect that fails, leave the
    // disconnected state.
    void testCaptionAndTheDisconnectedState()
    {
        Click(IDC_CONNECT);
        Click(IDC_TEST);
        QVERIFY(m_f->shown.last().contains("| Test On |"));
        for (int nID : {IDC_CONNECT, IDC_CONNECT, IDC_TEST})
            Click(nID);
        m_f->dlg.EnableDlgItem(IDC_APPLY, true);
        for (const QString strStatus : {"", "RT3180 SPI Interface not connected to: COM1"}) {
            Click(IDC_CONNECT);
            QCOMPARE(QStringList({Text(IDC_STATUS), Text(IDC_REPLY), Text(IDC_CONNECT)}),
                     QStringList({strStatus, "", "Connect"}));
            QVERIFY(!Item(IDC_TEST)->isEnabled() && !Item(IDC_APPLY)->isEnabled());
            QVERIFY(!Item(IDC_RESOLUTION)->isVisible());
            QVERIFY(!m_f->dlg.Drive().IsConnected() && !m_f->dlg.Drive().IsReplyTimerPending());
            LinkCom1("/nonexistent/tty");
            m_f->dlg.SetDlgItemText(IDC_REPLY, QStringLiteral("old reply"));
        }
        QCOMPARE(m_f->boxes.Texts(), QStringList({"Unable to open COM1"}));
        QCOMPARE(Text(IDC_TEST), QStringLiteral("Test Off"));
        m_f->dlg.OnTest();
        QCOMPARE(Text(IDC_TEST), QStringLiteral("Test On"));
    }

    // A drive that stays silent is reported lost and its settings hidden.
    void silentDriveIsReportedLost()
    {
        Click(IDC_CONNECT);
        const QString strLost = "PKN61/72 & RT3180 SPI Interface Connection Lost!";
        QTRY_COMPARE_WITH_TIMEOUT(m_f->boxes.Texts(), QStringList({strLost}), 20000);
        QCOMPARE(Text(IDC_STATUS), strLost);
        QVERIFY(!Item(IDC_RESOLUTION)->isVisible());
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
        Click(IDC_CONNECT);
        Drain();
        QWindow* pWindow = m_f->dlg.windowHandle();
        const QPointF ptExit = Item(IDCANCEL)->mapTo(&m_f->dlg, Item(IDCANCEL)->rect().center());
        QTimer::singleShot(20, this, [=] { // in the lead-in of "D:"
            using Async = QWindowSystemInterface::AsynchronousDelivery;
            if (bCloseBox)
                QWindowSystemInterface::handleCloseEvent<Async>(pWindow);
            for (int i = 0; !bCloseBox && i < 2; ++i)
                QWindowSystemInterface::handleMouseEvent<Async>(
                    pWindow, ptExit, pWindow->mapToGlobal(ptExit),
                    i ? Qt::NoButton : Qt::LeftButton, Qt::LeftButton,
                    i ? QEvent::MouseButtonRelease : QEvent::MouseButtonPress);
        });
        Click(IDC_TEST);
        QCOMPARE(Drain(), QByteArray("D:"));
        QVERIFY(m_f->dlg.isVisible());
        QTRY_VERIFY(!m_f->dlg.isVisible());
    }

private:
    QWidget* Item(int nID) const { return m_f->dlg.GetDlgItem(nID); }
    void Click(int nID) { ClickDlgItem(m_f->dlg, nID); }
    QString Text(int nID) const { return DlgItemText(m_f->dlg, nID); }
    QByteArray Drain() { return m_f->peer.Receive(64, 50); }

    // The control's text and strSuffix, "unpainted" before them when what the
    // window last put on the screen differs from what the control would paint
    // now. The frame's corners show the parent, which a grab of the control
    // alone leaves out.
    QString Shown(int nID, const QString& strSuffix = {}) const
    {
        QWidget* pControl = Item(nID);
        const QRect rc = pControl->rect().adjusted(3, 3, -3, -3);
        const QPoint at = pControl->mapTo(pControl->window(), rc.topLeft());
        const QPixmap screen = pControl->screen()->grabWindow(pControl->window()->winId());
        const QImage shown = screen.copy(QRect(at, rc.size())).toImage();
        const QImage now = pControl->grab(rc).toImage();
        const QString strState = Text(nID) + strSuffix;
        return shown.convertToFormat(now.format()) == now ? strState : "unpainted " + strState;
    }

    std::optional<CFixture> m_f;
    QStringList m_shownAtOnce;
};

QTEST_MAIN(TestDriveWindow)
#include "tst_drivewindow.moc"
