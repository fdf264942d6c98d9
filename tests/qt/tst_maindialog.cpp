// The main window as a user meets it: where each control sits and what it
// says, the start-up appearance, the menu, the setting lists and who may
// enable Apply, every way out, and the message boxes' texts.

#include "DialogSupport.h"
#include "SerialPeer.h"
#include "app/RT3180Dlg.h"
#include "platform/TtyDevice.h"
#include "ui/FileDialog.h"
#include "ui/MessageBoxPresenter.h"
#include "ui/Resource.h"

#include <QtTest>
#include <QtWidgets>

namespace
{

struct CPlacedControl {
    int nID;
    QRect rc;
    const char* pszText;
    char cShown; // 'a'lways, only while 'c'onnected or 'd'isconnected
};

// Pixels, relative to the client area below the menu bar, with the dialog
// font (a sans-serif face at 8 points, 96 dpi: DejaVu Sans here), written out
// so that a fault in the conversion from dialog units shows. The lists are closed.
const CPlacedControl kPlacement[] = {
    {IDC_RESOLUTION, QRect(105, 34, 84, 22), "2000", 'c'},
    {IDC_IDLE, QRect(266, 34, 84, 22), "20", 'c'},
    {IDC_CURRENT, QRect(266, 80, 84, 22), "80", 'c'},
    {IDC_APPLY, QRect(264, 182, 88, 23), "Apply", 'a'},
    {IDC_DEFAULTS, QRect(4, 182, 87, 23), "Defaults", 'a'},
    {IDCANCEL, QRect(376, 182, 88, 23), "Exit", 'a'},
    {IDC_SETTINGS_GROUP, QRect(4, 2, 367, 110), "Motor Interface Settings:", 'c'},
    {IDC_RESOLUTION_LABEL, QRect(12, 41, 88, 13), "RESOLUTION:", 'c'},
    {IDC_CURRENT_LABEL, QRect(198, 86, 66, 13), "CURRENT:", 'c'},
    {IDC_IDLE_LABEL, QRect(198, 41, 33, 13), "IDLE:", 'c'},
    {IDC_CURRENT_UNIT, QRect(354, 86, 14, 13), "%", 'c'},
    {IDC_IDLE_UNIT, QRect(354, 41, 14, 13), "%", 'c'},
    {IDC_TX_LED, QRect(387, 133, 40, 17), "TX", 'a'},
    {IDC_RX_LED, QRect(387, 153, 40, 16), "RX", 'a'},
    {IDC_REPLY, QRect(4, 120, 367, 26), "", 'a'},
    {IDC_STATUS, QRect(4, 150, 367, 26), "PKN61/72 & RT3180 SPI Interface not connected to: COM1",
     'a'},
    {IDC_CONNECT, QRect(376, 8, 88, 23), "Connect", 'a'},
    {IDC_TEST, QRect(376, 50, 88, 23), "Test On", 'a'},
    {IDC_BANNER, QRect(86, 60, 203, 13), "PKN61/72 RT3180 SPI Interface", 'd'},
};

// A list as "text=code" items, the selected one in brackets.
QString Items(const QComboBox* pList)
{
    QStringList items;
    for (int i = 0; i < pList->count(); ++i)
        items << QString(i == pList->currentIndex() ? "[%1=%2]" : "%1=%2")
                     .arg(pList->itemText(i), pList->itemData(i).toString());
    return items.join(' ');
}

// Counts the passes through the closing path.
struct CCountingDlg : CRT3180Dlg {
    void OnCancel() override { ++m_nCancels, CRT3180Dlg::OnCancel(); }
    int m_nCancels = 0;
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
    }

    // Each control at its place, its text unclipped, all inside the client
    // area; the status and reply lines read-only; disconnected, the settings
    // are hidden behind the banner and only Connect talks to the drive. The
    // window is a fixed size with its title, icon and menu.
    void windowControlsAndTabOrder()
    {
        Show(false);
        QVERIFY(!Item(IDC_APPLY)->isEnabled() && !Item(IDC_TEST)->isEnabled());
        QWidget* pClient = Item(IDC_APPLY)->parentWidget();
        for (char cHidden : {'c', 'd'}) {
            for (const CPlacedControl& placed : kPlacement) {
                QWidget* pControl = Item(placed.nID);
                QTest::keyClicks(pControl, QStringLiteral("x")); // no typing in the lines
                QCOMPARE(Text(placed.nID), QString::fromLatin1(placed.pszText));
                QCOMPARE(pControl->geometry(), placed.rc);
                QCOMPARE(pControl->isVisible(), placed.cShown != cHidden);
                QVERIFY(pControl->fontMetrics().horizontalAdvance(placed.pszText) <=
                        placed.rc.width());
            }
            m_dlg->ShowSettings(true);
        }
        QCOMPARE(pClient->size(), QSize(471, 216));
        QCOMPARE(m_dlg->size(), QSize(471, 234)); // the menu bar above the client area
        QCOMPARE(pClient->geometry().bottomRight(), m_dlg->rect().bottomRight());
        QCOMPARE(m_dlg->minimumSize(), m_dlg->maximumSize());
        QCOMPARE(m_dlg->windowTitle(), QStringLiteral("PKN61/72 & RT3180 SPI Interface"));
        QCOMPARE(m_dlg->windowIcon().availableSizes().value(0), QSize(32, 32));
        QStringList menu;
        for (QAction* pEntry : m_dlg->GetMenu()->actions()) {
            menu << pEntry->text();
            for (QAction* pItem : pEntry->menu() ? pEntry->menu()->actions() : QList<QAction*>())
                menu << "  " + pItem->text();
        }
        QCOMPARE(menu,
                 QStringList({"File", "  Open", "  Save", "  Exit", "Recall", "Port", "  COM1",
                              "  COM2", "  COM3", "  COM4", "  ", "  Other...", "Help"}));

        // Tab runs in the template's order, through the read-only lines too;
        // screen readers hear those lines by name and each list by its label.
        for (int nID : {IDC_APPLY, IDC_TEST})
            m_dlg->EnableDlgItem(nID, true);
        Item(IDC_RESOLUTION)->setFocus();
        for (int nID : {IDC_IDLE, IDC_CURRENT, IDC_APPLY, IDC_DEFAULTS, IDCANCEL, IDC_STATUS,
                        IDC_REPLY, IDC_CONNECT, IDC_TEST, IDC_RESOLUTION}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), Item(nID));
        }
        const auto accessible = [this](int nID) {
            return QAccessible::queryAccessibleInterface(Item(nID));
        };
        QCOMPARE(accessible(IDC_STATUS)->text(QAccessible::Name), QStringLiteral("Status"));
        QCOMPARE(accessible(IDC_REPLY)->text(QAccessible::Name), QStringLiteral("Reply"));
        for (auto [nList, nLabel] : {std::pair{IDC_RESOLUTION, IDC_RESOLUTION_LABEL},
                                     {IDC_IDLE, IDC_IDLE_LABEL},
                                     {IDC_CURRENT, IDC_CURRENT_LABEL}}) {
            const auto labels = accessible(nList)->relations(QAccessible::Label);
            QVERIFY(labels.size() == 1 && labels.first().first->object() == Item(nLabel));
        }
    }

    // Every way out goes through the closing path once; Enter on a focused
    // button presses that button instead.
    void waysOut()
    {
        for (const QString way : {"Exit", "menu", "Escape", "close box", "Enter", "Defaults"}) {
            m_dlg.emplace().Create();
            Show(true);
            QWidget* pFocus = Item(way == "Defaults" ? IDC_DEFAULTS : IDC_IDLE);
            pFocus->setFocus();
            List(*m_dlg, IDC_IDLE)->setCurrentIndex(6);
            if (way == "Exit")
                ClickDlgItem(*m_dlg, IDCANCEL);
            else if (way == "menu")
                m_dlg->GetMenuItem(IDCANCEL)->trigger();
            else if (way == "close box")
                m_dlg->close();
            else
                QTest::keyClick(pFocus, way == "Escape" ? Qt::Key_Escape : Qt::Key_Return);
            const bool bStays = way == "Defaults";
            QVERIFY2(m_dlg->m_nCancels == !bStays && m_dlg->isVisible() == bStays, qPrintable(way));
            QCOMPARE(Text(IDC_IDLE), bStays ? "20" : "60");
        }
    }

    // Texts and drive codes; a drive family switches only the current list,
    // back to its default even when it is the same family again. Only the
    // user's own choice enables Apply, and only while connected: a choice in a
    // list (which gives Apply the focus) or Defaults (which keeps the family
    // and the focus); not a selection by the program, nor a wheel over a list
    // without the focus.
    void listsAndWhoEnablesApply()
    {
        Show(true);
        List(*m_dlg, IDC_RESOLUTION)->setCurrentIndex(0);
        List(*m_dlg, IDC_IDLE)->setCurrentIndex(5);
        for (int nFamily : {0, 1, 1}) {
            List(*m_dlg, IDC_CURRENT)->setCurrentIndex(2);
            m_dlg->SetDriveFamily(nFamily);
            QCOMPARE(Items(List(*m_dlg, IDC_CURRENT)) + " " + Text(IDC_CURRENT_UNIT),
                     nFamily ? "0.4=1 0.8=2 1.2=3 1.6=4 2.0=5 2.4=6 2.8=7 [3.2=8] 3.6=9 4=0 A"
                             : "10=1 20=2 30=3 40=4 50=5 60=6 70=7 [80=8] 90=9 100=0 %");
        }
        QCOMPARE(Items(List(*m_dlg, IDC_RESOLUTION)), "[400=4] 1000=1 2000=2 5000=5");
        QCOMPARE(Items(List(*m_dlg, IDC_IDLE)), "0=0 10=1 20=2 30=3 40=4 [50=5] 60=6 70=7");
        for (bool bConnected : {false, true}) {
            for (int nID : {IDC_RESOLUTION, IDC_CURRENT, IDC_IDLE})
                List(*m_dlg, nID)->setCurrentIndex(0);
            QVERIFY(!Item(IDC_APPLY)->isEnabled());
            Item(IDC_DEFAULTS)->setFocus();
            ClickDlgItem(*m_dlg, IDC_DEFAULTS);
            QCOMPARE(
                QStringList({Text(IDC_RESOLUTION), Text(IDC_CURRENT), Text(IDC_IDLE)}).join(" "),
                "2000 3.2 20");
            QCOMPARE(Item(IDC_APPLY)->isEnabled(), bConnected);
            QCOMPARE(m_dlg->focusWidget(), Item(IDC_DEFAULTS));
            for (int nID : {IDC_RESOLUTION, IDC_CURRENT, IDC_IDLE}) {
                QComboBox* pList = List(*m_dlg, nID);
                for (QWidget* pFocus : {Item(IDC_DEFAULTS), static_cast<QWidget*>(pList)}) {
                    Item(IDC_APPLY)->setEnabled(false);
                    pFocus->setFocus();
                    const int nBefore = pList->currentIndex();
                    QWheelEvent wheel({}, {}, {}, {0, -120}, {}, {}, Qt::NoScrollPhase, false);
                    QApplication::sendEvent(pList, &wheel);
                    QCOMPARE(pList->currentIndex() != nBefore, pFocus == pList);
                    QCOMPARE(Item(IDC_APPLY)->isEnabled(), bConnected && pFocus == pList);
                }
                QCOMPARE(m_dlg->focusWidget(), bConnected ? Item(IDC_APPLY) : pList);
            }
            QVERIFY(bConnected || ConnectTo(*m_dlg, m_peer.Path()));
        }
    }

    // A port or file name is data: markup in it is shown as typed, in our
    // boxes and in the file dialog's question before replacing a file. The
    // advice in a box's details is read whole, without scrolling sideways, and
    // the path and commands in it each stand on one line.
    void boxesShowTextAsTypedAndWrapped()
    {
        InstallMessageBoxPresenter();
        const QString strName = "<font size=7>big<img src=x>";
        QStringList broken;
        int nBoxes = 0;
        auto closeBox = [&] {
            auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            for (QLabel* pLabel : pBox->findChildren<QLabel*>())
                if (pLabel->textFormat() != Qt::PlainText && Qt::mightBeRichText(pLabel->text()))
                    broken << pLabel->text();
            for (QAbstractButton* pButton : pBox->buttons())
                if (pBox->buttonRole(pButton) == QMessageBox::ActionRole)
                    pButton->click(); // Show Details...
            QApplication::processEvents();
            auto* pDetail = pBox->findChild<QTextEdit*>();
            if (++nBoxes == 1 && (!pDetail || pDetail->horizontalScrollBar()->maximum() > 0))
                broken << "details hidden or scrolled sideways";
            for (QTextBlock block = pDetail ? pDetail->document()->begin() : QTextBlock();
                 block.isValid(); block = block.next())
                if ((block.text().startsWith("  ") || block.text().startsWith("Device:")) &&
                    block.layout()->lineCount() != 1)
                    broken << block.text();
            pBox->reject();
        };
        QTimer::singleShot(0, this, closeBox);
        AfxMessageBox("Unable to open " + strName, MB_OK | MB_ICONSTOP,
                      "Device: /dev/serial/by-id/usb-Test_Adapter_0001-if00-port0\n" +
                          PermissionAdvice({0600, "root", "root", {}}));
        SetMessageBoxHook({});

        const QString strExisting = m_home->Path() + "/" + strName + ".rt3";
        QVERIFY(QFile(strExisting).open(QIODevice::WriteOnly));
        QTimer::singleShot(0, this, [&] {
            auto* pDialog = QApplication::activeModalWidget();
            QTimer::singleShot(0, this, closeBox);
            QTest::keyClick(pDialog, Qt::Key_Return);
            pDialog->close();
        });
        QCOMPARE(DoFileDialog({false, strExisting, {}, "rt3", true}), std::nullopt);
        QCOMPARE(nBoxes, 2);
        QCOMPARE(broken, QStringList());
    }

private:
    QWidget* Item(int nID) const { return m_dlg->GetDlgItem(nID); }
    QString Text(int nID) const { return DlgItemText(*m_dlg, nID); }
    void Show(bool bSettings)
    {
        m_dlg->ShowSettings(bSettings);
        m_dlg->show();
        QVERIFY(QTest::qWaitForWindowActive(&*m_dlg));
    }

    std::optional<CTempConfigHome> m_home;
    CPtyPeer m_peer;
    std::optional<CCountingDlg> m_dlg;
};

QTEST_MAIN(TestMainDialog)
#include "tst_maindialog.moc"
