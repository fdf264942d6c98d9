// The TX/RX lamps as they appear: pixels of the grabbed control, its repaints,
// what a click does and what assistive technology is told.

#include "DialogSupport.h"
#include "LampColours.h"
#include "app/RT3180Dlg.h"
#include "controls/LedIndicator.h"
#include "ui/Resource.h"

#include <QAccessible>
#include <QTest>

constexpr int kCell = 15;

// The lamp's top left: one pixel in, centred vertically.
static QPoint LampOrigin(const QWidget& led)
{
    return QPoint(1, (led.height() + 1) / 2 - kCell / 2);
}

static QRgb LampCentre(QWidget& led)
{
    return led.grab().toImage().pixel(LampOrigin(led) + QPoint(kCell / 2, kCell / 2));
}

// Box of the pixels in columns nFrom to nTo - 1 that differ from the background.
static QRect Ink(const QImage& image, QRgb background, int nFrom, int nTo)
{
    QRect rc;
    for (int y = 0; y < image.height(); ++y)
        for (int x = nFrom; x < nTo; ++x)
            rc |= image.pixel(x, y) != background ? QRect(x, y, 1, 1) : QRect();
    return rc;
}

struct CPaintCounter : QObject {
    int m_nPaints = 0;
    bool eventFilter(QObject*, QEvent* pEvent) override
    {
        m_nPaints += pEvent->type() == QEvent::Paint;
        return false;
    }
};

class TestLedIndicator : public QObject
{
    Q_OBJECT

private slots:
    void lampAndCaption_data();
    void lampAndCaption();
    void dialogLampsRepaintOnlyOnChange();
};

// Red then green on a light and a dark window; the second caption checks
// that an ampersand is drawn as itself. A click or assistive technology's
// toggle changes neither the picture nor the checked state a screen reader
// sees under the caption's name.
void TestLedIndicator::lampAndCaption_data()
{
    QTest::addColumn<QColor>("window");
    QTest::addColumn<QString>("caption");
    QTest::newRow("light") << QColor(239, 239, 239) << QStringLiteral("TX");
    QTest::newRow("dark") << QColor(40, 44, 52) << QStringLiteral("A&B");
}

void TestLedIndicator::lampAndCaption()
{
    QFETCH(QColor, window);
    QFETCH(QString, caption);
    CLedIndicator led(caption);
    QPalette palette = led.palette();
    palette.setColor(QPalette::Window, window);
    led.setPalette(palette);
    led.setGeometry(0, 0, 80, 31);
    led.LoadLedBitmap(IDB_LED, kCell);
    QAccessibleInterface* pAcc = QAccessible::queryAccessibleInterface(&led);
    QCOMPARE(pAcc->text(QAccessible::Name), caption);
    const QPoint o = LampOrigin(led);
    for (int nState : {0, 1}) {
        QCOMPARE(led.SetLedState(nState), nState);
        QTest::mouseClick(&led, Qt::LeftButton, {}, o);
        pAcc->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(bool(pAcc->state().checked), nState != 0);
        QVERIFY(nState ? IsGreen(LampCentre(led)) : IsRed(LampCentre(led)));
    }

    // The lamp sits centred in its cell; its corners and the strip left of it
    // are the window colour.
    const QImage image = led.grab().toImage();
    QCOMPARE(Ink(image, window.rgb(), 0, kCell + 1).center(), o + QPoint(kCell / 2, kCell / 2));
    for (const QPoint& pt : {o, o + QPoint(kCell - 1, 0), o + QPoint(0, kCell - 1), QPoint(0, 15)})
        QCOMPARE(QColor(image.pixel(pt)), window);

    // The caption's ink where text placed at x 20, vertically centred, puts it.
    const QFontMetrics fm(led.font());
    const QRect rcInk = Ink(image, window.rgb(), kCell + 1, image.width());
    const int nBaseline = (led.height() - fm.height() + 1) / 2 + fm.ascent();
    const QRect rcExpected = fm.tightBoundingRect(caption).translated(20, nBaseline);
    for (int nEdge : {rcInk.left() - rcExpected.left(), rcInk.right() - rcExpected.right(),
                      rcInk.top() - rcExpected.top(), rcInk.bottom() - rcExpected.bottom()})
        QVERIFY2(qAbs(nEdge) <= 1, qPrintable(QString::number(nEdge)));
}

// In the dialog both lamps are loaded and off; a change is painted before
// SetLedState returns, and the held value again paints nothing.
void TestLedIndicator::dialogLampsRepaintOnlyOnChange()
{
    CRT3180Dlg dlg;
    dlg.Create();
    QVERIFY(dlg.GetDlgItem(IDC_TX_LED) == Lamp(dlg, IDC_TX_LED) &&
            Lamp(dlg, IDC_TX_LED)->text() == "TX");
    QVERIFY(dlg.GetDlgItem(IDC_RX_LED) == Lamp(dlg, IDC_RX_LED) &&
            Lamp(dlg, IDC_RX_LED)->text() == "RX");
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCoreApplication::processEvents();
    CPaintCounter counter;
    Lamp(dlg, IDC_RX_LED)->installEventFilter(&counter);
    QCOMPARE(Lamp(dlg, IDC_RX_LED)->SetLedState(1), 1);
    QCOMPARE(counter.m_nPaints, 1);
    QCOMPARE(Lamp(dlg, IDC_RX_LED)->SetLedState(1), 1);
    QCOMPARE(counter.m_nPaints, 1);
    QCOMPARE(Lamp(dlg, IDC_RX_LED)->SetLedState(7), 7); // another lit value is still a change
    QCOMPARE(counter.m_nPaints, 2);
    QVERIFY(IsGreen(LampCentre(*Lamp(dlg, IDC_RX_LED))));
    QVERIFY(IsRed(LampCentre(*Lamp(dlg, IDC_TX_LED))));
}

QTEST_MAIN(TestLedIndicator)
#include "tst_ledindicator.moc"
