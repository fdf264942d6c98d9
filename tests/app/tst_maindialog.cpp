// The main window as a user meets it: layout, start-up appearance, menu,
// keyboard order, what assistive technology is told, and every way out.

#include "DialogSupport.h"
#include "app/RT3180Dlg.h"
#include "platform/TtyDevice.h"
#include "ui/DialogUnits.h"
#include "ui/FileDialog.h"
#include "ui/MessageBoxPresenter.h"
#include "ui/Resource.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QtTest>

namespace
{

struct CPlacedControl {
    int nID;
    QRect rc; // dialog units
    const char* pszText;
};

// Where the dialog template puts each control, and its caption.
const CPlacedControl kPlacement[] = {
    {IDC_APPLY, QRect(151, 112, 50, 14), "Apply"},
    {IDC_DEFAULTS, QRect(2, 112, 50, 14), "Defaults"},
    {IDCANCEL, QRect(215, 112, 50, 14), "Exit"},
    {IDC_SETTINGS_GROUP, QRect(2, 1, 210, 68), "Motor Interface Settings:"},
    {IDC_RESOLUTION_LABEL, QRect(7, 25, 50, 8), "RESOLUTION:"},
    {IDC_CURRENT_LABEL, QRect(113, 53, 38, 8), "CURRENT:"},
    {IDC_IDLE_LABEL, QRect(113, 25, 19, 8), "IDLE:"},
    {IDC_CURRENT_UNIT, QRect(202, 53, 8, 8), "%"},
    {IDC_IDLE_UNIT, QRect(202, 25, 8, 8), "%"},
    {IDC_TX_LED, QRect(221, 82, 23, 10), "TX"},
    {IDC_RX_LED, QRect(221, 94, 23, 10), "RX"},
    {IDC_STATUS, QRect(2, 92, 210, 16), nullptr},
    {IDC_REPLY, QRect(2, 74, 210, 16), nullptr},
    {IDC_CONNECT, QRect(215, 5, 50, 14), "Connect"},
    {IDC_TEST, QRect(215, 31, 50, 14), nullptr},
    {IDC_BANNER, QRect(49, 37, 116, 8), "PKN61/72 RT3180 SPI Interface"},
};
const QRect kListPlacement[] = {QRect(60, 21, 48, 60), QRect(152, 21, 48, 60),
                                QRect(152, 49, 48, 60)};

const int kSettingsControls[] = {
    IDC_SETTINGS_GROUP, IDC_RESOLUTION_LABEL, IDC_IDLE_LABEL, IDC_CURRENT_LABEL, IDC_IDLE_UNIT,
    IDC_CURRENT_UNIT,   IDC_RESOLUTION,       IDC_IDLE,       IDC_CURRENT};

// Counts the passes through the closing path.
class CCountingDlg : public CRT3180Dlg
{
public:
    void OnCancel() override
    {
        ++m_nCancels;
        CRT3180Dlg::OnCancel();
    }
    int m_nCancels = 0;
};

} // namespace

class TestMainDialog : public QObject
{
    Q_OBJECT

private slots:
    // The advice in a box's details is read whole, without scrolling
    // sideways, and the path and commands in it each stand on one line.
    void boxDetailsWrap()
    {
        InstallMessageBoxPresenter();
        const QString strDetail = "Device: /dev/serial/by-id/usb-Test_Adapter_0001-if00-port0\n" +
                                  PermissionAdvice({0600, "root", "root", {}});
        QStringList broken{"not shown"};
        QTimer::singleShot(0, this, [&broken] {
            auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            for (QAbstractButton* pButton : pBox->buttons())
                if (pBox->buttonRole(pButton) == QMessageBox::ActionRole)
                    pButton->click(); // Show Details...
            QApplication::processEvents();
            if (auto* pDetail = pBox->findChild<QTextEdit*>()) {
                broken = QStringList();
                if (pDetail->horizontalScrollBar()->maximum() > 0)
                    broken << "scrolls sideways";
                for (QTextBlock block = pDetail->document()->begin(); block.isValid();
                     block = block.next())
                    if (block.text().startsWith("  ") || block.text().startsWith("Device:"))
                        if (block.layout()->lineCount() != 1)
                            broken << block.text();
            }
            pBox->accept();
        });
        AfxMessageBox("Unable to open COM1", MB_OK | MB_ICONSTOP, strDetail);
        SetMessageBoxHook({});
        QCOMPARE(broken, QStringList());
    }
    // A port or file name is data: markup in it is shown as typed, in our
    // boxes and in the file dialog's question before replacing a file.
    void outsideTextIsNeverMarkup()
    {
        InstallMessageBoxPresenter();
        const QString strName = "<font size=7>big<img src=x>";
        QStringList markup;
        int nBoxes = 0;
        auto collect = [&markup](QWidget* pTop) {
            for (QLabel* pLabel : pTop->findChildren<QLabel*>())
                if (pLabel->textFormat() != Qt::PlainText && Qt::mightBeRichText(pLabel->text()))
                    markup << pLabel->text();
        };
        auto closeBox = [&] {
            auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            collect(pBox);
            ++nBoxes;
            pBox->reject();
        };
        QTimer::singleShot(0, this, closeBox);
        AfxMessageBox("Unable to open " + strName, MB_OK | MB_ICONSTOP, strName);
        SetMessageBoxHook({});

        QFile existing(m_pHome->Path() + "/" + strName + ".rt3");
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();
        QTimer::singleShot(0, this, [&] {
            auto* pDialog = QApplication::activeModalWidget();
            pDialog->findChild<QLineEdit*>("fileNameEdit")->setText(existing.fileName());
            QTimer::singleShot(0, this, closeBox);
            QTest::keyClick(pDialog, Qt::Key_Return);
            pDialog->close();
        });
        QCOMPARE(DoFileDialog({false, m_pHome->Path() + "/x.rt3", {}, "rt3", true}), std::nullopt);
        QCOMPARE(nBoxes, 2);
        QCOMPARE(markup, QStringList());
    }

    void init() { m_pHome = std::make_unique<CTempConfigHome>(); }
    void cleanup() { m_pHome.reset(); }

    void startsDisconnected()
    {
        CRT3180Dlg dlg;
        dlg.Create();
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));

        for (int nID : kSettingsControls)
            QVERIFY2(!dlg.GetDlgItem(nID)->isVisible(), qPrintable(QString::number(nID)));
        QVERIFY(dlg.GetDlgItem(IDC_BANNER)->isVisible());
        QVERIFY(!dlg.GetDlgItem(IDC_APPLY)->isEnabled());
        QVERIFY(!dlg.GetDlgItem(IDC_TEST)->isEnabled());
        QCOMPARE(DlgItemText(dlg, IDC_TEST), QStringLiteral("Test On"));
        QCOMPARE(DlgItemText(dlg, IDC_CONNECT), QStringLiteral("Connect"));
        QCOMPARE(DlgItemText(dlg, IDC_STATUS),
                 QStringLiteral("PKN61/72 & RT3180 SPI Interface not connected to: COM1"));
        QCOMPARE(DlgItemText(dlg, IDC_REPLY), QString());
        QVERIFY(!dlg.Drive().IsConnected() && !dlg.Drive().IsRecallPending() &&
                !dlg.Drive().IsTestOn());
        QCOMPARE(dlg.Drive().AcceptedText(),
                 QStringLiteral("RT3180 SPI Interface commands accepted!"));
        for (int nID : {IDC_DEFAULTS, IDCANCEL, IDC_CONNECT, IDC_TEST, IDC_APPLY, IDC_STATUS,
                        IDC_REPLY, IDC_TX_LED, IDC_RX_LED})
            QVERIFY(dlg.GetDlgItem(nID)->isVisible());

        dlg.ShowSettings(true);
        for (int nID : kSettingsControls)
            QVERIFY(dlg.GetDlgItem(nID)->isVisible());
        QVERIFY(!dlg.GetDlgItem(IDC_BANNER)->isVisible());
    }

    void windowIsAFixedDialogWithTitleIconAndMenu()
    {
        CRT3180Dlg dlg;
        dlg.Create();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("PKN61/72 & RT3180 SPI Interface"));
        QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
        QVERIFY(!(dlg.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(dlg.windowFlags() & Qt::WindowMinimizeButtonHint);
        QCOMPARE(dlg.windowIcon().availableSizes().value(0), QSize(32, 32));

        QStringList bar;
        for (QAction* pAction : dlg.GetMenu()->actions())
            bar << pAction->text();
        QCOMPARE(bar, QStringList({"File", "Recall", "Port", "Help"}));
        auto itemsOf = [](QAction* pEntry) {
            QStringList items;
            for (QAction* pAction : pEntry->menu()->actions())
                items << pAction->text();
            return items;
        };
        QCOMPARE(itemsOf(dlg.GetMenu()->actions()[0]), QStringList({"Open", "Save", "Exit"}));
        QCOMPARE(itemsOf(dlg.GetMenu()->actions()[2]),
                 QStringList({"COM1", "COM2", "COM3", "COM4", "", "Other..."}));
        QVERIFY(!dlg.GetMenu()->actions()[1]->menu());
        QVERIFY(!dlg.GetMenu()->actions()[3]->menu());
        QCOMPARE(dlg.GetMenuItem(ID_RECALL), dlg.GetMenu()->actions()[1]);
        QCOMPARE(dlg.GetMenuItem(ID_HELP), dlg.GetMenu()->actions()[3]);
    }

    void controlsSitAtTheirTemplatePlacesUnclippedAndApart()
    {
        CRT3180Dlg dlg;
        dlg.Create();
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const CDialogUnits units(dlg.font());
        // A sans-serif face near 8 points.
        QCOMPARE(QFontInfo(dlg.font()).pointSize(), 8);
        QCOMPARE(QFontInfo(dlg.font()).styleHint(), QFont::SansSerif);

        for (const CPlacedControl& placed : kPlacement) {
            QWidget* pControl = dlg.GetDlgItem(placed.nID);
            QVERIFY(pControl);
            QCOMPARE(pControl->geometry(), units.MapDialogRect(placed.rc));
            if (placed.pszText)
                QCOMPARE(DlgItemText(dlg, placed.nID), QString::fromLatin1(placed.pszText));
            const int nText =
                pControl->fontMetrics().horizontalAdvance(DlgItemText(dlg, placed.nID));
            QVERIFY2(nText <= pControl->width(), qPrintable(DlgItemText(dlg, placed.nID)));
        }
        const QComboBox* lists[] = {List(dlg, IDC_RESOLUTION), List(dlg, IDC_IDLE),
                                    List(dlg, IDC_CURRENT)};
        for (int i = 0; i < 3; ++i) {
            const QRect rc = units.MapDialogRect(kListPlacement[i]);
            QCOMPARE(lists[i]->pos(), rc.topLeft());
            QCOMPARE(lists[i]->width(), rc.width());
            QVERIFY(lists[i]->height() < rc.height());
            QVERIFY(lists[i]->width() >=
                    lists[i]->fontMetrics().horizontalAdvance(QStringLiteral("5000")));
        }

        // In either appearance no two visible controls overlap, except a
        // group box around what it frames.
        for (bool bConnected : {false, true}) {
            dlg.ShowSettings(bConnected);
            QList<QWidget*> visible;
            for (QWidget* pChild : dlg.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                for (QWidget* p : pChild->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                    if (p->isVisible() && !qobject_cast<QGroupBox*>(p))
                        visible << p;
            for (int i = 0; i < visible.size(); ++i)
                for (int j = i + 1; j < visible.size(); ++j)
                    QVERIFY2(!visible[i]->geometry().intersects(visible[j]->geometry()),
                             qPrintable(visible[i]->objectName() + QString::number(i) + " / " +
                                        QString::number(j)));
        }
        // The menu bar sits above the template's client area.
        QVERIFY(dlg.GetMenu()->geometry().bottom() <
                dlg.GetDlgItem(IDC_CONNECT)->mapTo(&dlg, QPoint()).y());
    }

    void tabFollowsTheTemplateOrder()
    {
        CRT3180Dlg dlg;
        dlg.Create();
        dlg.ShowSettings(true);
        dlg.GetDlgItem(IDC_APPLY)->setEnabled(true);
        dlg.GetDlgItem(IDC_TEST)->setEnabled(true);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));

        const QList<QWidget*> expected = {dlg.GetDlgItem(IDC_RESOLUTION), dlg.GetDlgItem(IDC_IDLE),
                                          dlg.GetDlgItem(IDC_CURRENT),    dlg.GetDlgItem(IDC_APPLY),
                                          dlg.GetDlgItem(IDC_DEFAULTS),   dlg.GetDlgItem(IDCANCEL),
                                          dlg.GetDlgItem(IDC_STATUS),     dlg.GetDlgItem(IDC_REPLY),
                                          dlg.GetDlgItem(IDC_CONNECT),    dlg.GetDlgItem(IDC_TEST)};
        expected.first()->setFocus();
        for (int i = 1; i <= expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), expected[i % expected.size()]);
        }
    }

    void controlsAreAnnouncedByTheirNames()
    {
        CRT3180Dlg dlg;
        dlg.Create();
        dlg.ShowSettings(true);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));

        auto nameOf = [](QWidget* p) {
            return QAccessible::queryAccessibleInterface(p)->text(QAccessible::Name);
        };
        QCOMPARE(nameOf(dlg.GetDlgItem(IDC_STATUS)), QStringLiteral("Status"));
        QCOMPARE(nameOf(dlg.GetDlgItem(IDC_REPLY)), QStringLiteral("Reply"));
        for (int nID : {IDC_APPLY, IDC_DEFAULTS, IDCANCEL, IDC_CONNECT, IDC_TX_LED, IDC_RX_LED})
            QCOMPARE(nameOf(dlg.GetDlgItem(nID)), DlgItemText(dlg, nID));

        const std::pair<int, int> labelled[] = {{IDC_RESOLUTION, IDC_RESOLUTION_LABEL},
                                                {IDC_IDLE, IDC_IDLE_LABEL},
                                                {IDC_CURRENT, IDC_CURRENT_LABEL}};
        for (auto [nList, nLabel] : labelled) {
            QAccessibleInterface* pList =
                QAccessible::queryAccessibleInterface(dlg.GetDlgItem(nList));
            const auto relations = pList->relations(QAccessible::Label);
            QCOMPARE(relations.size(), 1);
            QCOMPARE(relations.first().first->object(), dlg.GetDlgItem(nLabel));
        }
    }

    void everyWayOutGoesThroughTheClosingPath_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("Exit button") << "exit";
        QTest::newRow("File Exit") << "menu";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("close box") << "close";
        QTest::newRow("Enter on a closed list") << "enter";
    }
    void everyWayOutGoesThroughTheClosingPath()
    {
        QFETCH(QString, way);
        CCountingDlg dlg;
        dlg.Create();
        dlg.ShowSettings(true);
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));

        if (way == "exit") {
            static_cast<QPushButton*>(dlg.GetDlgItem(IDCANCEL))->click();
        } else if (way == "menu") {
            dlg.GetMenuItem(IDCANCEL)->trigger();
        } else if (way == "escape") {
            List(dlg, IDC_IDLE)->setFocus();
            QTest::keyClick(List(dlg, IDC_IDLE), Qt::Key_Escape);
        } else if (way == "close") {
            dlg.close();
        } else {
            List(dlg, IDC_IDLE)->setFocus();
            QTest::keyClick(List(dlg, IDC_IDLE), Qt::Key_Return);
        }
        QCOMPARE(dlg.m_nCancels, 1);
        QVERIFY(!dlg.isVisible());
    }

    void enterOnAFocusedButtonPressesThatButton()
    {
        CCountingDlg dlg;
        dlg.Create();
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        List(dlg, IDC_IDLE)->setCurrentIndex(6);
        auto* pDefaults = dlg.GetDlgItem(IDC_DEFAULTS);
        pDefaults->setFocus();
        QTest::keyClick(pDefaults, Qt::Key_Return);
        QCOMPARE(List(dlg, IDC_IDLE)->currentIndex(), 2);
        QCOMPARE(dlg.m_nCancels, 0);
        QVERIFY(dlg.isVisible());
    }

private:
    std::unique_ptr<CTempConfigHome> m_pHome;
};

QTEST_MAIN(TestMainDialog)
#include "tst_maindialog.moc"
