// The program's own controls: the TX/RX lamps (grabbed pixels, clicks, what
// assistive technology is told) and the About box's link.

#include "core/dialog/Resource.h"
#include "core/dialog/Texts.h"
#include "qt/controls/AboutDlg.h"
#include "qt/controls/LedIndicator.h"
#include "qt/controls/LinkLabel.h"
#include "qt/ui/DialogTemplate.h"

#include <QtTest>
#include <QtWidgets>

namespace
{
constexpr int kCell = 15;
// One pixel in and centred vertically, in a lamp 31 pixels tall.
const QPoint kCentre(1 + kCell / 2, 16);

// The middle tones of the red and the green picture.
QString LampColour(QWidget& led)
{
    const QRgb c = led.grab().toImage().pixel(kCentre);
    const bool bRed = qRed(c) > 150 && qGreen(c) < 100;
    const bool bGreen = qGreen(c) > 150 && qRed(c) < 100;
    return qBlue(c) < 100 && (bRed || bGreen) ? (bRed ? "red" : "green") : "other";
}
} // namespace

class TestControls : public QObject
{
    Q_OBJECT
    QList<QUrl> m_opened;

private slots:
    // The desktop's handler of https addresses; having an argument, it is not run as a test.
    void Open(const QUrl& url) { m_opened.append(url); }

    // Red then green on a light and a dark window, the picture's corners and
    // the strip left of it in the window colour. A click or assistive
    // technology's toggle changes neither the picture nor the checked state a
    // screen reader sees under the caption's name, an ampersand included.
    void lampAndCaption()
    {
        for (auto [window, caption] : {std::pair{QColor(239, 239, 239), QStringLiteral("TX")},
                                       {QColor(40, 44, 52), QStringLiteral("A&B")}}) {
            CLedIndicator led(caption);
            led.setPalette(QPalette(window)); // window and button alike
            led.setGeometry(0, 0, 80, 31);
            led.LoadLedBitmap(IDB_LED, kCell);
            QAccessibleInterface* pAcc = QAccessible::queryAccessibleInterface(&led);
            QCOMPARE(pAcc->text(QAccessible::Name), caption);
            for (int nState : {0, 1}) {
                QCOMPARE(led.SetLedState(nState), nState);
                QTest::mouseClick(&led, Qt::LeftButton, {}, kCentre);
                pAcc->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
                QCOMPARE(bool(pAcc->state().checked), nState != 0);
                QCOMPARE(LampColour(led), nState ? "green" : "red");
            }
            for (QPoint pt : {QPoint(1, 9), QPoint(15, 9), QPoint(1, 23), QPoint(0, 15)})
                QCOMPARE(QColor(led.grab().toImage().pixel(pt)), window);
        }
    }

    // Only a left click inside the text as painted opens the address.
    void linkOpensOnlyFromItsText()
    {
        CAboutDlg about;
        CreateAboutBox(about);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        const int nWidth = QFontMetrics(about.font()).horizontalAdvance(kMakerURL);
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "Open");
        for (auto [x, button] : {std::pair{nWidth, Qt::LeftButton},
                                 {1, Qt::RightButton},
                                 {nWidth - 1, Qt::LeftButton}})
            QTest::mousePress(about.m_link, button, {}, QPoint(x, 1));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(m_opened, QList<QUrl>{QUrl(kMakerURL)});
    }
};

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
