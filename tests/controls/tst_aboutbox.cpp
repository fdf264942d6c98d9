// The About box from the Help menu, and its link: how it is painted, where
// it reacts to the pointer and what a click opens.

#include "app/RT3180Dlg.h"
#include "controls/AboutDlg.h"
#include "controls/LinkLabel.h"
#include "ui/Resource.h"

#include <QDesktopServices>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// Returns the cursor shape the widget shows afterwards.
static Qt::CursorShape Send(QWidget* pWidget, QEvent::Type type, QPoint pt, Qt::MouseButton b = {})
{
    QMouseEvent event(type, pt, pWidget->mapToGlobal(pt), b, b, Qt::NoModifier);
    QCoreApplication::sendEvent(pWidget, &event);
    return pWidget->cursor().shape();
}

class TestAboutBox : public QObject
{
    Q_OBJECT
    QList<QUrl> m_opened;

private slots:
    // Stands in for the desktop's handler of https addresses; having an
    // argument, it is not run as a test.
    void Open(const QUrl& url) { m_opened.append(url); }
    void helpOpensAboutBoxModally();
    void link();
};

// Help opens the box modally with its texts; Return presses OK, which closes it.
void TestAboutBox::helpOpensAboutBoxModally()
{
    CRT3180Dlg dlg;
    dlg.Create();
    QStringList seen;
    QTimer::singleShot(0, &dlg, [&seen] {
        if (QWidget* pAbout = QApplication::activeModalWidget()) {
            seen << pAbout->windowTitle() << pAbout->findChild<QPushButton*>()->text();
            for (QLabel* pLabel : pAbout->findChildren<QLabel*>())
                seen << pLabel->text();
            QTest::keyClick(pAbout, Qt::Key_Return);
        }
    });
    dlg.GetMenuItem(ID_HELP)->trigger();
    QCOMPARE(seen, QStringList({"About RT3180", "OK", "", "RT3180 Version 1.0", kMakerURL}));
}

// The link is pure blue in the dialog's font and underlined across the text.
// Only a left click inside the measured text opens the address. The cursor
// does not change on the first move of a stay, then is the help cursor over
// the text and the arrow beside it and after leaving.
void TestAboutBox::link()
{
    CAboutDlg about;
    const QImage image = about.m_link->grab().toImage();
    const int nWidth = QFontMetrics(about.font()).horizontalAdvance(kMakerURL);
    QList<int> blueInRow(image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            blueInRow[y] += image.pixel(x, y) == qRgb(0, 0, 255);
    const int nWidest = *std::max_element(blueInRow.begin(), blueInRow.end());
    QVERIFY(nWidest > nWidth * 9 / 10 && nWidest <= nWidth);

    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "Open");
    Send(about.m_link, QEvent::MouseButtonPress, QPoint(nWidth, 1), Qt::LeftButton);
    Send(about.m_link, QEvent::MouseButtonPress, QPoint(1, 1), Qt::RightButton);
    QVERIFY(m_opened.isEmpty());
    Send(about.m_link, QEvent::MouseButtonPress, QPoint(nWidth - 1, 1), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(m_opened, QList<QUrl>{QUrl(kMakerURL)});

    QEvent leave(QEvent::Leave);
    for (int nStay = 0; nStay < 2; ++nStay) {
        QCOMPARE(Send(about.m_link, QEvent::MouseMove, QPoint(2, 2)), Qt::ArrowCursor);
        QCOMPARE(Send(about.m_link, QEvent::MouseMove, QPoint(2, 2)), Qt::WhatsThisCursor);
        QCOMPARE(Send(about.m_link, QEvent::MouseMove, QPoint(nWidth + 2, 2)), Qt::ArrowCursor);
        QCOMPARE(Send(about.m_link, QEvent::MouseMove, QPoint(2, 2)), Qt::WhatsThisCursor);
        QCoreApplication::sendEvent(about.m_link, &leave);
        QCOMPARE(about.m_link->cursor().shape(), Qt::ArrowCursor);
    }
}

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
