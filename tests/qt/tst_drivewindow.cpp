// The window while the drive's sequences run, against the simulated adapter:
// every text and lamp the dialog has painted is on the screen at once, before
// the sequence's next wait; a click or the close box during a wait waits for
// the sequence; and Connect, Apply and a new Connect end to end.

#include "QtSupport.h"
#include "SimSupport.h"
#include "core/dialog/Resource.h"
#include "posix/SettingsPortStore.h"
#include "qt/app/DialogWindow.h"

#include <QtTest>
#include <QtWidgets>
#include <qpa/qwindowsysteminterface.h>

namespace
{
// Pauses pass at once.
class CVirtualClock : public IClock
{
public:
    CSteadyClock::time_point Now() override { return m_now; }
    void SleepUntil(CSteadyClock::time_point deadline) override
    {
        m_now = std::max(m_now, deadline);
    }

private:
    CSteadyClock::time_point m_now = CSteadyClock::now();
};

// Notes what is on the screen each time the dialog has a text or a lamp
// painted, and records its boxes instead of showing them.
class CPaintCheckingWindow : public CDialogWindow
{
public:
    using CDialogWindow::CDialogWindow;
    void UpdateDlgItem(int nID) override
    {
        CDialogWindow::UpdateDlgItem(nID);
        m_shown << Shown(nID, {});
    }
    void SetLedState(int nID, bool bLit) override
    {
        CDialogWindow::SetLedState(nID, bLit);
        if (isVisible())
            m_shown << Shown(nID, bLit ? " lit" : " dark");
    }
    void MessageBox(const CMessageBoxCall& call) override
    {
        m_boxes << QString::fromStdString(call.strText);
    }

    QStringList m_shown;
    QStringList m_boxes;

private:
    // The control's text and strSuffix, "unpainted" before them when what the
    // window last put on the screen differs from what the control would paint
    // now. The frame's corners show the parent, which a grab of the control
    // alone leaves out.
    QString Shown(int nID, const QString& strSuffix) const
    {
        QWidget* pControl = GetDlgItem(nID);
        const QRect rc = pControl->rect().adjusted(3, 3, -3, -3);
        const QPoint at = pControl->mapTo(this, rc.topLeft());
        const QPixmap screen = pControl->screen()->grabWindow(winId());
        const QImage shown = screen.copy(QRect(at, rc.size())).toImage();
        const QImage now = pControl->grab(rc).toImage();
        const QString strState = QString::fromStdString(GetDlgItemText(nID)) + strSuffix;
        return shown.convertToFormat(now.format()) == now ? strState : "unpainted " + strState;
    }
};
} // namespace

class TestDriveWindow : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home.emplace();
        CAdapterSimOptions options;
        options.eFamily = EDriveFamily::PKN61;
        m_sim.emplace(options);
        QVERIFY(m_sim->Start() && CSettingsPortStore().Save(m_sim->SlavePath()));
    }
    void cleanup()
    {
        m_dlg.reset();
        m_sim.reset();
    }

    // Connect recalls the drive's settings, Apply sends the ones chosen, a
    // new Connect recalls those; every text and lamp painted on the way is
    // on the screen when the dialog goes on.
    void connectApplyAndRecallPaintedAtOnce()
    {
        Open(&m_clock);
        Click(IDC_CONNECT);
        QTRY_COMPARE(Text(IDC_STATUS), "PKN61/72 SPI Interface commands accepted!");
        QCOMPARE(Text(IDC_REPLY), "PKN61/72 stepper drive, SPI link ready");
        for (auto [nID, pszText] :
             {std::pair{IDC_RESOLUTION, "5000"}, {IDC_CURRENT, "40"}, {IDC_IDLE, "70"}}) {
            auto* pList = static_cast<QComboBox*>(m_dlg->GetDlgItem(nID));
            pList->setCurrentIndex(pList->findText(pszText));
            emit pList->activated(pList->currentIndex());
        }
        Click(IDC_APPLY);
        QTRY_COMPARE(m_sim->Settings().nIdle, 7);
        QCOMPARE(m_sim->Settings().nResolution * 10 + m_sim->Settings().nCurrent, 54);
        for (int nID : {IDC_CONNECT, IDC_DEFAULTS, IDC_CONNECT})
            Click(nID);
        QTRY_COMPARE(Text(IDC_IDLE), "70");
        QCOMPARE(Text(IDC_RESOLUTION) + " " + Text(IDC_CURRENT), "5000 40");
        QTRY_COMPARE(SimCommands(*m_sim).join(""), "?:S:?:R:5I:4ID:7?:S:");
        QVERIFY(m_dlg->m_shown.contains("Sending the New Settings,  wait ..."));
        QVERIFY(m_dlg->m_shown.contains("TX lit") && m_dlg->m_shown.contains("RX lit"));
        QCOMPARE(m_dlg->m_shown.filter("unpainted"), QStringList());
        QCOMPARE(m_dlg->m_boxes, QStringList());
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
        Open(nullptr); // the platform's clock and the window's own pump
        Click(IDC_CONNECT);
        QWindow* pWindow = m_dlg->windowHandle();
        QWidget* pExit = m_dlg->GetDlgItem(IDCANCEL);
        const QPointF ptExit = pExit->mapTo(&*m_dlg, pExit->rect().center());
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
        QVERIFY(m_dlg->isVisible());
        QTRY_VERIFY(SimCommands(*m_sim).join("").endsWith("?:S:D:"));
        QTRY_VERIFY(!m_dlg->isVisible());
    }

private:
    void Open(IClock* pClock)
    {
        m_dlg.emplace(pClock);
        m_dlg->Create();
        m_dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(&*m_dlg));
    }
    void Click(int nID) { static_cast<QAbstractButton*>(m_dlg->GetDlgItem(nID))->click(); }
    QString Text(int nID) const { return QString::fromStdString(m_dlg->GetDlgItemText(nID)); }

    std::optional<CTempConfigHome> m_home;
    std::optional<CAdapterSim> m_sim;
    CVirtualClock m_clock;
    std::optional<CPaintCheckingWindow> m_dlg;
};

QTEST_MAIN(TestDriveWindow)
#include "tst_drivewindow.moc"
