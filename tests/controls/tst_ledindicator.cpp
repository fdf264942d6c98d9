// The TX/RX lamps as they appear: pixels of the grabbed control, its repaints,
// what a click does and what assistive technology is told.

#include "LampColours.h"
#include "app/DialogTemplate.h"
#include "app/RT3180Dlg.h"
#include "app/Resource.h"
#include "controls/LedIndicator.h"
#include "controls/MemoryBitmap.h"

#include <QAccessible>
#include <QFile>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace
{

constexpr int kCell = 15;

// The lamp's top left: one pixel in, centred vertically.
QPoint LampOrigin(const QWidget& led)
{
    return QPoint(1, (led.height() + 1) / 2 - kCell / 2);
}

// Box of the pixels in x >= nFromX that differ from the background.
QRect Ink(const QImage& image, QRgb background, int nFromX)
{
    QRect rc;
    for (int y = 0; y < image.height(); ++y)
        for (int x = nFromX; x < image.width(); ++x)
            if (image.pixel(x, y) != background)
                rc |= QRect(x, y, 1, 1);
    return rc;
}

class CPaintCounter : public QObject
{
public:
    int m_nPaints = 0;
    bool eventFilter(QObject*, QEvent* pEvent) override
    {
        m_nPaints += pEvent->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

class TestLedIndicator : public QObject
{
    Q_OBJECT

private slots:
    void bitmapResource();
    void lampAndCaption_data();
    void lampAndCaption();
    void captionAsWritten();
    void repaintsOnlyOnChange();
    void clickChangesNothing();
    void dialogShowsBothLamps();
};

// 30 x 15, 8 bits with a full colour table, magenta first pixel; on loading
// that entry takes the window colour and the standard greys the 3-D colours.
void TestLedIndicator::bitmapResource()
{
    QFile res(QStringLiteral(":/led.bmp"));
    QVERIFY(res.open(QIODevice::ReadOnly));
    const QByteArray bmp = res.readAll();
    QCOMPARE(qFromLittleEndian<quint16>(bmp.constData() + 28), 8);    // bits per pixel
    QCOMPARE(qFromLittleEndian<quint32>(bmp.constData() + 46), 256u); // colours
    const QImage image = QImage::fromData(bmp, "BMP");
    QCOMPARE(image.size(), QSize(2 * kCell, kCell));
    QCOMPARE(image.pixel(0, image.height() - 1), qRgb(255, 0, 255));

    // Stored bottom-up, so the first pixel is the bottom-left one.
    QImage greys(4, 2, QImage::Format_Indexed8);
    greys.setColorTable({qRgb(255, 0, 255), qRgb(128, 128, 128), qRgb(192, 192, 192),
                         qRgb(223, 223, 223), qRgb(255, 0, 254)});
    const uchar top[] = {1, 2, 3, 4}, bottom[] = {0, 0, 0, 0};
    memcpy(greys.scanLine(0), top, 4);
    memcpy(greys.scanLine(1), bottom, 4);
    QTemporaryDir dir;
    const QString strPath = dir.filePath(QStringLiteral("greys.bmp"));
    QVERIFY(greys.save(strPath, "BMP"));
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(10, 20, 30));
    palette.setColor(QPalette::Dark, QColor(40, 50, 60));
    palette.setColor(QPalette::Midlight, QColor(70, 80, 90));
    CMemoryBitmap bitmap;
    QVERIFY(bitmap.LoadBitmapFile(strPath, 1, palette));
    QImage drawn(4, 2, QImage::Format_RGB32);
    QPainter dc(&drawn);
    for (int i = 0; i < 4; ++i)
        bitmap.DrawCell(dc, QPoint(i, 0), i);
    dc.end();
    QCOMPARE(drawn.pixel(0, 0), qRgb(40, 50, 60));
    QCOMPARE(drawn.pixel(1, 0), qRgb(10, 20, 30));
    QCOMPARE(drawn.pixel(2, 0), qRgb(70, 80, 90));
    QCOMPARE(drawn.pixel(3, 0), qRgb(255, 0, 254));
    QCOMPARE(drawn.pixel(0, 1), qRgb(10, 20, 30));
}

void TestLedIndicator::lampAndCaption_data()
{
    QTest::addColumn<QColor>("window");
    QTest::addColumn<QColor>("text");
    QTest::newRow("light") << QColor(239, 239, 239) << QColor(0, 0, 0);
    QTest::newRow("dark") << QColor(40, 44, 52) << QColor(230, 230, 230);
}

void TestLedIndicator::lampAndCaption()
{
    QFETCH(QColor, window);
    QFETCH(QColor, text);
    QWidget parent;
    parent.setFont(DialogFont());
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::ButtonText, text);
    parent.setPalette(palette);
    CLedIndicator led(QStringLiteral("TX"), &parent);
    led.setGeometry(0, 0, 60, 31);
    led.LoadLedBitmap(IDB_LED, kCell);
    const QPoint o = LampOrigin(led);
    const QPoint centre = o + QPoint(kCell / 2, kCell / 2);

    QImage image = led.grab().toImage();
    QVERIFY(IsRed(image.pixel(centre)));
    // The lamp's corners and the strip left of it are the window colour.
    for (const QPoint& pt : {o, o + QPoint(kCell - 1, 0), o + QPoint(0, kCell - 1), QPoint(0, 15)})
        QCOMPARE(QColor(image.pixel(pt)), window);

    QCOMPARE(led.SetLedState(1), 1);
    image = led.grab().toImage();
    QVERIFY(IsGreen(image.pixel(centre)));
    QCOMPARE(QColor(image.pixel(o)), window);

    // The caption's ink where text placed at x 20, vertically centred, puts it.
    const QFontMetrics fm(led.font());
    const QRect rcTight = fm.tightBoundingRect(QStringLiteral("TX"));
    const int nBaseline = (led.height() - fm.height() + 1) / 2 + fm.ascent();
    const QRect rcInk = Ink(image, window.rgb(), o.x() + kCell);
    QVERIFY2(qAbs(rcInk.left() - (20 + rcTight.left())) <= 1,
             qPrintable(QString::number(rcInk.left())));
    QVERIFY(qAbs(rcInk.top() - (nBaseline + rcTight.top())) <= 1);
    QVERIFY(qAbs(rcInk.bottom() - (nBaseline + rcTight.bottom())) <= 1);
}

// An ampersand is shown as itself; an empty caption leaves only the lamp.
void TestLedIndicator::captionAsWritten()
{
    CLedIndicator led(QStringLiteral("A&B"));
    led.setGeometry(0, 0, 80, 20);
    led.LoadLedBitmap(IDB_LED, kCell);
    const QRgb window = led.palette().color(QPalette::Window).rgb();
    const QRect rcInk = Ink(led.grab().toImage(), window, kCell + 1);
    const QFontMetrics fm(led.font());
    QVERIFY2(rcInk.width() >
                 fm.horizontalAdvance(QStringLiteral("AB")) + fm.horizontalAdvance('&') / 2,
             qPrintable(QString::number(rcInk.width())));

    led.setText(QString());
    QVERIFY(Ink(led.grab().toImage(), window, kCell + 1).isEmpty());
    QVERIFY(led.shortcut().isEmpty());
}

void TestLedIndicator::repaintsOnlyOnChange()
{
    CLedIndicator led(QStringLiteral("RX"));
    led.resize(40, 20);
    led.LoadLedBitmap(IDB_LED, kCell);
    led.show();
    QVERIFY(QTest::qWaitForWindowExposed(&led));
    QCoreApplication::processEvents();
    CPaintCounter counter;
    led.installEventFilter(&counter);

    QCOMPARE(led.SetLedState(1), 1);
    QCOMPARE(counter.m_nPaints, 1); // painted before returning
    QCOMPARE(led.SetLedState(1), 1);
    QCOMPARE(led.SetLedState(7), 7); // another lit value is still a change
    QCOMPARE(counter.m_nPaints, 2);
    QCoreApplication::processEvents();
    QCOMPARE(led.SetLedState(7), 7);
    QCOMPARE(counter.m_nPaints, 2);
    QCOMPARE(led.SetLedState(0), 0);
    QCOMPARE(counter.m_nPaints, 3);
}

// A click shows nothing different and leaves the lit state, also as
// reported to assistive technology, which names the lamp by its caption.
void TestLedIndicator::clickChangesNothing()
{
    CLedIndicator led(QStringLiteral("TX"));
    led.resize(40, 20);
    led.LoadLedBitmap(IDB_LED, kCell);
    QAccessibleInterface* pAcc = QAccessible::queryAccessibleInterface(&led);
    QVERIFY(pAcc);
    QCOMPARE(pAcc->text(QAccessible::Name), QStringLiteral("TX"));
    QCOMPARE(pAcc->role(), QAccessible::CheckBox);
    QVERIFY(!pAcc->state().checked);
    QCOMPARE(led.focusPolicy(), Qt::NoFocus);

    for (int nState : {0, 1}) {
        led.SetLedState(nState);
        QCOMPARE(bool(pAcc->state().checked), nState != 0);
        const QImage before = led.grab().toImage();
        QSignalSpy toggled(&led, &QAbstractButton::toggled);
        QTest::mousePress(&led, Qt::LeftButton, {}, QPoint(8, 10));
        QCOMPARE(led.grab().toImage(), before);
        QTest::mouseRelease(&led, Qt::LeftButton, {}, QPoint(8, 10));
        QCOMPARE(led.grab().toImage(), before);
        QCOMPARE(toggled.count(), 0); // nothing for assistive technology to announce
        pAcc->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(bool(pAcc->state().checked), nState != 0);
        QCOMPARE(led.SetLedState(nState), nState);
    }
}

void TestLedIndicator::dialogShowsBothLamps()
{
    CRT3180Dlg dlg;
    dlg.Create();
    auto* pTx = qobject_cast<CLedIndicator*>(dlg.GetDlgItem(IDC_TX_LED));
    auto* pRx = qobject_cast<CLedIndicator*>(dlg.GetDlgItem(IDC_RX_LED));
    QVERIFY(pTx && pTx == dlg.m_ledTx && pTx->text() == QStringLiteral("TX"));
    QVERIFY(pRx && pRx == dlg.m_ledRx && pRx->text() == QStringLiteral("RX"));
    const QPoint centre = LampOrigin(*pTx) + QPoint(kCell / 2, kCell / 2);
    QVERIFY(IsRed(pTx->grab().toImage().pixel(centre)));
    QVERIFY(IsRed(pRx->grab().toImage().pixel(centre)));
    dlg.m_ledTx->SetLedState(1);
    QVERIFY(IsGreen(pTx->grab().toImage().pixel(centre)));
    QVERIFY(IsRed(pRx->grab().toImage().pixel(centre)));
}

QTEST_MAIN(TestLedIndicator)
#include "tst_ledindicator.moc"
