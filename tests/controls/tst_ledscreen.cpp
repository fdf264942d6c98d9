// A lamp lit just before the GUI thread blocks is on the screen while it
// blocks: the main dialog runs on its own X server (Xvfb), and another
// process takes a screenshot during the pause.

#include "LampColours.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestLedScreen : public QObject
{
    Q_OBJECT

private slots:
    void litLampOnScreenDuringSleep();
};

void TestLedScreen::litLampOnScreenDuringSleep()
{
    const QString strXvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (strXvfb.isEmpty())
        QSKIP("Xvfb is not installed");
    const QString strImport = QStandardPaths::findExecutable(QStringLiteral("import"));
    QVERIFY2(!strImport.isEmpty(), "ImageMagick's import takes the screenshot");
    const QString strHelper = QCoreApplication::applicationDirPath() + "/helper_litlamp";
    QVERIFY(QFileInfo::exists(strHelper));

    // -displayfd: the server takes a free display number and prints it.
    QProcess xvfb;
    xvfb.start(strXvfb, {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp"});
    const auto stopXvfb = qScopeGuard([&xvfb] {
        xvfb.terminate();
        xvfb.waitForFinished(5000);
    });
    const QByteArray display = ReadLine(xvfb).trimmed();
    QVERIFY2(!display.isEmpty(), xvfb.readAllStandardError().constData());
    const QString strDisplay = ':' + QString::fromLatin1(display);

    QTemporaryDir dir;
    const QString strShot = dir.filePath(QStringLiteral("screen.png"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), strDisplay);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());

    // A screenshot counts only when it is complete before the pause ends; on
    // a busy machine one may come too late and is taken again.
    for (int nAttempt = 0; nAttempt < 3; ++nAttempt) {
        QProcess helper;
        helper.setProcessEnvironment(env);
        helper.start(strHelper);
        const QByteArray line = ReadLine(helper);
        int tx = 0, ty = 0, rx = 0, ry = 0;
        QVERIFY2(std::sscanf(line.constData(), "LIT %d %d UNLIT %d %d", &tx, &ty, &rx, &ry) == 4,
                 (line + helper.readAllStandardError()).constData());

        QProcess shot;
        shot.start(strImport, {"-display", strDisplay, "-window", "root", strShot});
        QVERIFY(shot.waitForFinished(30000));
        QCOMPARE(shot.exitCode(), 0);
        helper.waitForReadyRead(0);
        const bool bDuringPause = !helper.readAllStandardOutput().contains("AWAKE");
        QVERIFY(helper.waitForFinished(30000));
        if (!bDuringPause)
            continue;

        const QImage screen(strShot);
        QVERIFY(!screen.isNull());
        QVERIFY(IsGreen(screen.pixel(tx + 7, ty + 7)));
        QVERIFY(IsRed(screen.pixel(rx + 7, ry + 7)));
        for (int y = 0; y < 15; ++y)
            for (int x = 0; x < 15; ++x)
                QVERIFY(!IsRed(screen.pixel(tx + x, ty + y)));
        return;
    }
    QFAIL("no screenshot was complete within the pause");
}

QTEST_MAIN(TestLedScreen)
#include "tst_ledscreen.moc"
