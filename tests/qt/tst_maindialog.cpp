// The main window's widgets as the window system sees them: where each
// control sits, the menu bar, the keyboard's way through the window, what
// screen readers hear, which control gets the mouse and the wheel, and every
// way out of the dialog.

#include "QtSupport.h"
#include "core/dialog/RT3180Dlg.h"
#include "core/dialog/Resource.h"
#include "qt/app/DialogWindow.h"

#include <QtTest>
#include <QtWidgets>

namespace
{
// Pixels, relative to the client area below the menu bar, with the dialog
// font (a sans-serif face at 8 points, 96 dpi: DejaVu Sans here), written out
// so that a fault in the conversion from dialog units shows. The lists are closed.
const std::pair<int, QRect> kPlacement[] = {
    {IDC_RESOLUTION, QRect(105, 34, 84, 22)},    {IDC_IDLE, QRect(266, 34, 84, 22)},
    {IDC_CURRENT, QRect(266, 80, 84, 22)},       {IDC_APPLY, QRect(264, 182, 88, 23)},
    {IDC_DEFAULTS, QRect(4, 182, 87, 23)},       {IDCANCEL, QRect(376, 182, 88, 23)},
    {IDC_SETTINGS_GROUP, QRect(4, 2, 367, 110)}, {IDC_RESOLUTION_LABEL, QRect(12, 41, 88, 13)},
    {IDC_CURRENT_LABEL, QRect(198, 86, 66, 13)}, {IDC_IDLE_LABEL, QRect(198, 41, 33, 13)},
    {IDC_CURRENT_UNIT, QRect(354, 86, 14, 13)},  {IDC_IDLE_UNIT, QRect(354, 41, 14, 13)},
    {IDC_TX_LED, QRect(387, 133, 40, 17)},       {IDC_RX_LED, QRect(387, 153, 40, 16)},
    {IDC_REPLY, QRect(4, 120, 367, 26)},         {IDC_STATUS, QRect(4, 150, 367, 26)},
    {IDC_CONNECT, QRect(376, 8, 88, 23)},        {IDC_TEST, QRect(376, 50, 88, 23)},
    {IDC_BANNER, QRect(86, 60, 203, 13)},
};

// Counts the ends of the dialog.
struct CCountingWindow : CDialogWindow {
    void EndDialog(int nResult) override { ++m_nEnds, CDialogWindow::EndDialog(nResult); }
    int m_nEnds = 0;
};
} // namespace

class TestMainDialog : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_home.emplace();
        m_dlg.emplace().Create();
        m_dlg->Dlg().ShowSettings(true);
        m_dlg->show();
        QVERIFY(QTest::qWaitForWindowActive(&*m_dlg));
    }

    // Each control at its place, its text unclipped; the window a fixed
    // size, the menu bar above the client area; the Port menu's devices
    // between its separator and "Other...", each choice handed on.
    void placementAndMenu()
    {
        for (auto [nID, rc] : kPlacement) {
            QCOMPARE(Item(nID)->geometry(), rc);
            QVERIFY(Item(nID)->fontMetrics().horizontalAdvance(
                        QString::fromStdString(m_dlg->GetDlgItemText(nID))) <= rc.width());
        }
        QWidget* pClient = Item(IDC_APPLY)->parentWidget();
        QCOMPARE(pClient->size(), QSize(471, 216));
        QCOMPARE(m_dlg->size(), QSize(471, 234));
        QCOMPARE(pClient->geometry().bottomRight(), m_dlg->rect().bottomRight());
        QCOMPARE(m_dlg->minimumSize(), m_dlg->maximumSize());
        m_dlg->SetPortDeviceItems(
            {{"/dev/ttyUSB0", "Adapter && Co", true}, {"/dev/x", "X", false}});
        m_dlg->SetPortDeviceItems({{"/dev/ttyUSB1", "Adapter B", true}});
        QStringList menu;
        for (QAction* pEntry : m_dlg->GetMenu()->actions()) {
            menu << pEntry->text();
            for (QAction* pItem : pEntry->menu() ? pEntry->menu()->actions() : QList<QAction*>())
                menu << "  " + pItem->text() + (pItem->isChecked() ? "*" : "");
        }
        QCOMPARE(menu, QStringList({"File", "  Open", "  Save", "  Exit", "Recall", "Port",
                                    "  COM1*", "  COM2", "  COM3", "  COM4", "  ", "  Adapter B*",
                                    "  Other...", "Help"}));
        // A choice reaches the dialog with the marks as they were shown.
        m_dlg->GetMenu()->actions()[2]->menu()->actions()[5]->trigger();
        QCOMPARE(m_dlg->GetDlgItemText(IDC_STATUS),
                 "RT3180 SPI Interface not connected to: /dev/ttyUSB1");
        m_dlg->GetMenuItem(ID_PORT_COM2)->trigger();
        QVERIFY(m_dlg->IsMenuItemChecked(ID_PORT_COM2) && !m_dlg->IsMenuItemChecked(ID_PORT_COM1));
    }

    // Tab runs in the template's order, through the read-only lines too,
    // where typing changes nothing; screen readers hear those lines by name
    // and each list by its label.
    void keyboardAndScreenReaders()
    {
        for (int nID : {IDC_APPLY, IDC_TEST})
            m_dlg->EnableDlgItem(nID, true);
        Item(IDC_RESOLUTION)->setFocus();
        for (int nID : {IDC_IDLE, IDC_CURRENT, IDC_APPLY, IDC_DEFAULTS, IDCANCEL, IDC_STATUS,
                        IDC_REPLY, IDC_CONNECT, IDC_TEST, IDC_RESOLUTION}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), Item(nID));
        }
        for (auto [nID, strName] : {std::pair{IDC_STATUS, "Status"}, {IDC_REPLY, "Reply"}}) {
            const std::string strBefore = m_dlg->GetDlgItemText(nID);
            QTest::keyClicks(Item(nID), QStringLiteral("x"));
            QCOMPARE(m_dlg->GetDlgItemText(nID), strBefore);
            QCOMPARE(Accessible(nID)->text(QAccessible::Name), QString::fromLatin1(strName));
        }
        for (auto [nList, nLabel] : {std::pair{IDC_RESOLUTION, IDC_RESOLUTION_LABEL},
                                     {IDC_IDLE, IDC_IDLE_LABEL},
                                     {IDC_CURRENT, IDC_CURRENT_LABEL}}) {
            const auto labels = Accessible(nList)->relations(QAccessible::Label);
            QVERIFY(labels.size() == 1 && labels.first().first->object() == Item(nLabel));
        }
    }

    // The group boxes are frames only: the mouse goes through them. A wheel
    // turned over a list changes it only while it has the focus.
    void mouseAndWheel()
    {
        QWidget* pClient = Item(IDC_APPLY)->parentWidget();
        const QPoint ptInGroup = Item(IDC_SETTINGS_GROUP)->geometry().center() + QPoint(0, 12);
        QCOMPARE(pClient->childAt(ptInGroup), nullptr);
        QCOMPARE(pClient->childAt(Item(IDC_IDLE)->geometry().center()), Item(IDC_IDLE));
        for (int nID : {IDC_RESOLUTION, IDC_CURRENT, IDC_IDLE}) {
            for (QWidget* pFocus : {Item(IDC_DEFAULTS), Item(nID)}) {
                pFocus->setFocus();
                const int nBefore = m_dlg->GetCurSel(nID);
                QWheelEvent wheel({}, {}, {}, {0, -120}, {}, {}, Qt::NoScrollPhase, false);
                QApplication::sendEvent(Item(nID), &wheel);
                QCOMPARE(m_dlg->GetCurSel(nID) != nBefore, pFocus == Item(nID));
            }
        }
    }

    // Every way out ends the dialog once; Enter on a focused button presses
    // that button instead.
    void waysOut()
    {
        for (const QString way : {"Exit", "menu", "Escape", "close box", "Enter", "Defaults"}) {
            init();
            QWidget* pFocus = Item(way == "Defaults" ? IDC_DEFAULTS : IDC_IDLE);
            pFocus->setFocus();
            if (way == "Exit")
                static_cast<QAbstractButton*>(Item(IDCANCEL))->click();
            else if (way == "menu")
                m_dlg->GetMenuItem(IDCANCEL)->trigger();
            else if (way == "close box")
                m_dlg->close();
            else
                QTest::keyClick(pFocus, way == "Escape" ? Qt::Key_Escape : Qt::Key_Return);
            const bool bStays = way == "Defaults";
            QVERIFY2(m_dlg->m_nEnds == !bStays && m_dlg->isVisible() == bStays, qPrintable(way));
        }
    }

private:
    QWidget* Item(int nID) const { return m_dlg->GetDlgItem(nID); }
    QAccessibleInterface* Accessible(int nID) const
    {
        return QAccessible::queryAccessibleInterface(Item(nID));
    }

    std::optional<CTempConfigHome> m_home;
    std::optional<CCountingWindow> m_dlg;
};

QTEST_MAIN(TestMainDialog)
#include "tst_maindialog.moc"
