// The About box from the Help menu, and its link: how it is painted, where
// it reacts to the pointer and what a click opens.

#include "app/DialogTemplate.h"
#include "app/RT3180Dlg.h"
#include "app/Resource.h"
#include "controls/AboutDlg.h"
#include "controls/LinkLabel.h"
#include "platform/DialogUnits.h"
#include "platform/MessageBox.h"

#include <QAction>
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

class CUrlRecorder : public QObject
{
    Q_OBJECT

public:
    CUrlRecorder() { QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "Open"); }
    ~CUrlRecorder() override { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }
    QList<QUrl> m_opened;

public slots:
    void Open(const QUrl& url) { m_opened.append(url); }
};

namespace
{

void SendMouse(QWidget* pWidget, QEvent::Type type, QPoint pt,
               Qt::MouseButton button = Qt::NoButton)
{
    QMouseEvent event(type, pt, pWidget->mapToGlobal(pt), button,
                      type == QEvent::MouseMove ? Qt::NoButton : button, Qt::NoModifier);
    QCoreApplication::sendEvent(pWidget, &event);
}

void SendLeave(QWidget* pWidget)
{
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(pWidget, &event);
}

// Size of the link text in the underlined dialog font.
QSize TextSize()
{
    QFont font = DialogFont();
    font.setUnderline(true);
    const QFontMetrics fm(font);
    return QSize(fm.horizontalAdvance(QString::fromLatin1(kMakerURL)), fm.height());
}

} // namespace

class TestAboutBox : public QObject
{
    Q_OBJECT

private slots:
    void helpOpensAboutBoxModally();
    void linkPaintedBlueUnderlined();
    void clickOpensOnlyOverText();
    void cursorFollowsPointer();
};

// Help opens the box modally; OK, its default button, closes it.
void TestAboutBox::helpOpensAboutBoxModally()
{
    CRT3180Dlg dlg;
    dlg.Create();
    dlg.show();
    QStringList seen;
    QTimer::singleShot(0, &dlg, [&seen] {
        auto* pAbout = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        if (!pAbout)
            return;
        auto* pOK = static_cast<QPushButton*>(pAbout->GetDlgItem(IDOK));
        seen << pAbout->windowTitle() << pOK->text() << QString::number(pOK->isDefault())
             << pAbout->m_link->text() << pAbout->m_link->GetURL();
        for (QLabel* pLabel : pAbout->findChildren<QLabel*>()) {
            if (!pLabel->pixmap().isNull())
                seen << QString::number(pLabel->pixmap().width());
            else if (pLabel != pAbout->m_link)
                seen << pLabel->text();
        }
        seen << QString::number(pAbout->size() ==
                                CDialogUnits(DialogFont()).MapDialogSize(QSize(230, 61)));
        pOK->click();
    });
    dlg.GetMenuItem(ID_HELP)->trigger();
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    const QString strURL = QString::fromLatin1(kMakerURL);
    QVERIFY(strURL.startsWith(QStringLiteral("https://www.example.com/")));
    QCOMPARE(seen, QStringList({"About RT3180", "OK", "1", strURL, strURL, "32",
                                "RT3180 Version 1.0", "1"}));
}

// Pure blue, in the text's box from the origin, with an underline across it.
void TestAboutBox::linkPaintedBlueUnderlined()
{
    CAboutDlg about;
    const QImage image = about.m_link->grab().toImage();
    const QSize size = TextSize();
    const QRgb background = about.palette().color(QPalette::Window).rgb();
    QVERIFY(size.width() <= image.width() && size.height() <= image.height()); // not clipped
    int nWidestBlueRow = 0;
    for (int y = 0; y < image.height(); ++y) {
        int nBlue = 0;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (x >= size.width() || y >= size.height())
                QCOMPARE(c, background);
            nBlue += c == qRgb(0, 0, 255);
        }
        nWidestBlueRow = qMax(nWidestBlueRow, nBlue);
    }
    QVERIFY2(nWidestBlueRow > size.width() * 9 / 10, qPrintable(QString::number(nWidestBlueRow)));
}

void TestAboutBox::clickOpensOnlyOverText()
{
    CUrlRecorder recorder;
    CAboutDlg about;
    about.m_link->grab();
    const QSize size = TextSize();
    SendMouse(about.m_link, QEvent::MouseButtonPress, QPoint(size.width(), 1), Qt::LeftButton);
    SendMouse(about.m_link, QEvent::MouseButtonPress, QPoint(0, size.height()), Qt::LeftButton);
    SendMouse(about.m_link, QEvent::MouseButtonPress, QPoint(1, 1), Qt::RightButton);
    QVERIFY(recorder.m_opened.isEmpty());
    SendMouse(about.m_link, QEvent::MouseButtonPress, QPoint(size.width() - 1, size.height() - 1),
              Qt::LeftButton);
    QCOMPARE(recorder.m_opened, QList<QUrl>{QUrl(QString::fromLatin1(kMakerURL))});
}

// Nothing on the first move of a stay, then the help cursor over the text
// and the arrow beside it and after leaving.
void TestAboutBox::cursorFollowsPointer()
{
    CAboutDlg about;
    CLinkLabel* pLink = about.m_link;
    pLink->grab();
    const QPoint ptText(2, 2), ptBeside(TextSize().width() + 2, 2);
    auto shape = [pLink] { return pLink->cursor().shape(); };
    for (int nStay = 0; nStay < 2; ++nStay) {
        SendMouse(pLink, QEvent::MouseMove, ptText);
        QCOMPARE(shape(), Qt::ArrowCursor);
        SendMouse(pLink, QEvent::MouseMove, ptText);
        QCOMPARE(shape(), Qt::WhatsThisCursor);
        SendMouse(pLink, QEvent::MouseMove, ptBeside);
        QCOMPARE(shape(), Qt::ArrowCursor);
        SendMouse(pLink, QEvent::MouseMove, ptText);
        QCOMPARE(shape(), Qt::WhatsThisCursor);
        SendLeave(pLink);
        QCOMPARE(shape(), Qt::ArrowCursor);
    }
}

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
