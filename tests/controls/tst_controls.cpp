// The program's own controls as they appear and react: the TX/RX lamps
// (pixels of the grabbed control, repaints, clicks, what assistive technology
// is told) and the About box with its link.

#include "DialogSupport.h"
#include "app/RT3180Dlg.h"
#include "controls/AboutDlg.h"
#include "controls/LedIndicator.h"
#include "controls/LinkLabel.h"
#include "ui/Resource.h"

#include <QtTest>
#include <QtWidgets>

namespace
{
constexpr int kCell = 15;

// The lamp's centre: one pixel in, centred vertically.
QPoint LampCentre(const QWidget& led)
{
    return QPoint(1 + kCell / 2, (led.height() + 1) / 2);
}

// How the lamp's centre reads: the middle tones of the red and the green picture.
QString LampColour(QWidget& led)
{
    const QRgb c = led.grab().toImage().pixel(LampCentre(led));
    if (qRed(c) > 150 && qGreen(c) < 100 && qBlue(c) < 100)
        return "red";
    return qGreen(c) > 150 && qRed(c) < 100 && qBlue(c) < 100 ? "green" : "other";
}

// Box of the pixels in columns nFrom to nTo - 1 that differ from the background.
QRect Ink(const QImage& image, QRgb background, int nFrom, int nTo)
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
} // namespace

class TestControls : public QObject
{
    Q_OBJECT
    QList<QUrl> m_opened;

private slots:
    // Stands in for the desktop's handler of https addresses; having an
    // argument, it is not run as a test.
    void Open(const QUrl& url) { m_opened.append(url); }

    // Red then green on a light and a dark window; the second caption checks
    // that an ampersand is drawn as itself. A click or assistive technology's
    // toggle changes neither the picture nor the checked state a screen reader
    // sees under the caption's name. The lamp sits centred in its cell, the
    // window colour around it, the caption at x 20, vertically centred.
    void lampAndCaption()
    {
        for (auto [window, caption] : {std::pair{QColor(239, 239, 239), QStringLiteral("TX")},
                                       {QColor(40, 44, 52), QStringLiteral("A&B")}}) {
            CLedIndicator led(caption);
            QPalette palette = led.palette();
            palette.setColor(QPalette::Window, window);
            led.setPalette(palette);
            led.setGeometry(0, 0, 80, 31);
            led.LoadLedBitmap(IDB_LED, kCell);
            QAccessibleInterface* pAcc = QAccessible::queryAccessibleInterface(&led);
            QCOMPARE(pAcc->text(QAccessible::Name), caption);
            for (int nState : {0, 1}) {
                QCOMPARE(led.SetLedState(nState), nState);
                QTest::mouseClick(&led, Qt::LeftButton, {}, LampCentre(led));
                pAcc->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
                QCOMPARE(bool(pAcc->state().checked), nState != 0);
                QCOMPARE(LampColour(led), nState ? "green" : "red");
            }
            const QImage image = led.grab().toImage();
            const QPoint o = LampCentre(led) - QPoint(kCell / 2, kCell / 2);
            QCOMPARE(Ink(image, window.rgb(), 0, kCell + 1).center(), LampCentre(led));
            for (QPoint pt : {o, o + QPoint(kCell - 1, 0), o + QPoint(0, kCell - 1), QPoint(0, 15)})
                QCOMPARE(QColor(image.pixel(pt)), window);
            const QFontMetrics fm(led.font());
            const int nBaseline = (led.height() - fm.height() + 1) / 2 + fm.ascent();
            const QRect rcExpected = fm.tightBoundingRect(caption).translated(20, nBaseline);
            const QRect rcInk = Ink(image, window.rgb(), kCell + 1, image.width());
            for (QPoint d : {rcInk.topLeft() - rcExpected.topLeft(),
                             rcInk.bottomRight() - rcExpected.bottomRight()})
                QVERIFY2(qAbs(d.x()) <= 1 && qAbs(d.y()) <= 1, qPrintable(caption));
        }
    }

    // In the dialog both lamps are loaded and off; a change is painted before
    // SetLedState returns, and the held value again paints nothing.
    void dialogLampsRepaintOnlyOnChange()
    {
        CRT3180Dlg dlg;
        dlg.Create();
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCoreApplication::processEvents();
        CLedIndicator* pRx = Lamp(dlg, IDC_RX_LED);
        CPaintCounter counter;
        pRx->installEventFilter(&counter);
        for (auto [nState, nPaints] : {std::pair{1, 1}, {1, 1}, {7, 2}}) {
            QCOMPARE(pRx->SetLedState(nState), nState);
            QCOMPARE(counter.m_nPaints, nPaints);
        }
        QCOMPARE(LampColour(*pRx) + " " + LampColour(*Lamp(dlg, IDC_TX_LED)), "green red");
    }

    // Help opens the box modally with its texts; Return presses OK, which closes it.
    void helpOpensAboutBoxModally()
    {
        CRT3180Dlg dlg;
        dlg.Create();
        QStringList seen;
        QTimer::singleShot(0, &dlg, [&seen] {
            QWidget* pAbout = QApplication::activeModalWidget();
            seen << pAbout->windowTitle() << pAbout->findChild<QPushButton*>()->text();
            for (QLabel* pLabel : pAbout->findChildren<QLabel*>())
                seen << pLabel->text();
            QTest::keyClick(pAbout, Qt::Key_Return);
        });
        dlg.GetMenuItem(ID_HELP)->trigger();
        QCOMPARE(seen, QStringList({"About RT3180", "OK", "", "RT3180 Version 1.0", kMakerURL}));
    }

    // The link is pure blue in the dialog's font and underlined across the
    // text. Only a left click inside the measured text opens the address. The
    // cursor does not change on the first move of a stay, then is the help
    // cursor over the text and the arrow beside it and after leaving.
    void link()
    {
        CAboutDlg about;
        QLabel* pLink = about.m_link;
        const QImage image = pLink->grab().toImage();
        const int nWidth = QFontMetrics(about.font()).horizontalAdvance(kMakerURL);
        int nWidest = 0;
        for (int y = 0; y < image.height(); ++y) {
            int nBlue = 0;
            for (int x = 0; x < image.width(); ++x)
                nBlue += image.pixel(x, y) == qRgb(0, 0, 255);
            nWidest = std::max(nWidest, nBlue);
        }
        QVERIFY(nWidest > nWidth * 9 / 10 && nWidest <= nWidth);

        QList<Qt::CursorShape> shapes;
        auto send = [&](QEvent::Type type, int x, Qt::MouseButton b = {}) {
            QMouseEvent event(type, QPoint(x, 2), pLink->mapToGlobal(QPoint(x, 2)), b, b, {});
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(pLink, type == QEvent::Leave ? &leave : &event);
            shapes << pLink->cursor().shape();
        };
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "Open");
        send(QEvent::MouseButtonPress, nWidth, Qt::LeftButton);
        send(QEvent::MouseButtonPress, 1, Qt::RightButton);
        QVERIFY(m_opened.isEmpty());
        send(QEvent::MouseButtonPress, nWidth - 1, Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(m_opened, QList<QUrl>{QUrl(kMakerURL)});

        shapes.clear();
        for (int nStay = 0; nStay < 2; ++nStay) {
            for (int x : {2, 2, nWidth + 2, 2})
                send(QEvent::MouseMove, x);
            send(QEvent::Leave, 0); // leaving
        }
        using C = Qt::CursorShape;
        const QList<C> stay{C::ArrowCursor, C::WhatsThisCursor, C::ArrowCursor, C::WhatsThisCursor,
                            C::ArrowCursor};
        QCOMPARE(shapes, stay + stay);
    }
};

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
