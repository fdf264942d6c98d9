// File Open and File Save on real files through the real dialog; only the
// file dialog, the message boxes and the pause are answered by the test.

#include "DialogSupport.h"
#include "SerialPeer.h"
#include "app/RT3180Dlg.h"
#include "platform/Clock.h"
#include "ui/FileDialog.h"
#include "ui/Resource.h"

#include <QComboBox>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace
{

// The idle, current and resolution lists as shown.
QString Lists(const CRT3180Dlg& dlg)
{
    return List(dlg, IDC_IDLE)->currentText() + ' ' + List(dlg, IDC_CURRENT)->currentText() + ' ' +
           List(dlg, IDC_RESOLUTION)->currentText();
}

// The dialog started in a fresh working folder; every file dialog is answered
// with the file named, every pause noted with the lists shown meanwhile.
struct CFixture {
    CTempConfigHome home;
    QTemporaryDir dir;
    CMessageBoxRecorder boxes;
    CPtyPeer peer;
    CRT3180Dlg dlg;
    QString answer;
    CFileDialogCall dialog; // the last one shown
    QStringList pauses;
    // Declared last: the hooks go before anything they refer to.
    QScopeGuard<void (*)()> unhookSleep{[] { SetSleepHook({}); }};
    QScopeGuard<void (*)()> unhookDialog{[] { SetFileDialogHook({}); }};

    explicit CFixture(const char* pszAnswer) : answer(dir.filePath(pszAnswer))
    {
        QDir::setCurrent(dir.path());
        dlg.Create();
        QDir::setCurrent(QDir::tempPath()); // the file dialog still starts in the first one
        SetFileDialogHook([this](const CFileDialogCall& call) {
            dialog = call;
            return std::optional(answer);
        });
        SetSleepHook(
            [this](unsigned nMs) { pauses << QString::number(nMs) << Lists(dlg).left(2); });
    }
};

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    // The saved name leads to "old", a regular file, unless the tag says it
    // is a FIFO. Save writes through a link where the kernel would follow it,
    // never over anything but a regular file, and keeps the old file when a
    // write fails (at the file size limit, which binds every user).
    void save_data()
    {
        QTest::addColumn<bool>("bWritten");
        QTest::newRow("a file") << true;
        QTest::newRow("a link to a file") << true;
        QTest::newRow("a hard link") << true;
        QTest::newRow("a link to a FIFO") << false;
        QTest::newRow("someone else's link to a file") << false;
        QTest::newRow("a file, at the size limit") << false;
    }
    void save()
    {
        QFETCH(bool, bWritten);
        const QString strTag = QTest::currentDataTag();
        CFixture f("shared/saved.rt3");
        const QByteArray name = QFile::encodeName(f.answer);
        const QByteArray target = strTag.contains("link") ? name + ".target" : name;
        QVERIFY(QDir(f.dir.path()).mkdir("shared"));
        QCOMPARE(chmod(QFile::encodeName(f.dir.filePath("shared")), 01777), 0);
        QVERIFY(strTag.contains("FIFO") ? mkfifo(target, 0600) == 0 : WriteFile(target, "old"));
        QVERIFY(target == name ||
                (strTag.contains("hard") ? link(target, name) : symlink(target, name)) == 0);
        if (strTag.startsWith("someone") && lchown(name, 65534, 65534) != 0)
            QSKIP("only root can give a link away");
        rlimit oldLimit{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &oldLimit), 0);
        std::signal(SIGXFSZ, SIG_IGN); // a failed write, not the end of the program
        const rlimit limit{strTag.contains("limit") ? 4 : oldLimit.rlim_cur, oldLimit.rlim_max};
        for (const int nID : {IDC_IDLE, IDC_CURRENT, IDC_RESOLUTION})
            List(f.dlg, nID)->setCurrentIndex(3);

        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
        f.dlg.OnFileSave();
        setrlimit(RLIMIT_FSIZE, &oldLimit);
        QVERIFY(!f.dialog.bOpenFileDialog && f.dialog.bOverwritePrompt);
        QCOMPARE(f.dialog.strDefExt + f.dialog.strFileName,
                 "rt3" + f.dir.filePath("Config_RT3180.rt3"));
        QCOMPARE(QFileInfo(name).isSymLink(), target != name && !strTag.contains("hard"));
        QCOMPARE(QFileInfo(target).isFile(), !strTag.contains("FIFO"));
        // (A FIFO is not read: that would wait for a writer.)
        if (!strTag.contains("FIFO"))
            QCOMPARE(ReadFile(target),
                     bWritten ? QByteArray::fromHex("030000000300000003000000") : "old");
        QCOMPARE(f.boxes.Texts(),
                 bWritten ? QStringList() : QStringList{"The settings could not be saved."});
    }

    // A tag starting "A" loads for an ampere drive, "-" while not connected;
    // "<fifo>" has settings waiting, "<zero>" is a link to /dev/zero.
    void open_data()
    {
        QTest::addColumn<QByteArray>("content"); // null: no such file
        QTest::addColumn<QString>("shown");      // idle, current, resolution; empty: unchanged
        QTest::addColumn<QString>("detail");     // of the one box; null: none
        const auto row = [](const char* pszTag, const char* pszHex, const char* pszShown,
                            const char* pszDetail) {
            QTest::newRow(pszTag) << (pszHex ? QByteArray::fromHex(pszHex) : QByteArray())
                                  << pszShown << pszDetail;
        };
        row("A", "020000000700000002000000", "20 3.2 2000", nullptr);
        row("- percent", "020000000700000002000000", "20 80 2000", nullptr);
        row("16 bytes", "05000000010000000300000009090909", "50 20 5000", nullptr);
        row("missing", nullptr, "", nullptr);
        row("- missing", nullptr, "", nullptr);
        row("11 bytes", "0200000007000000020000", "", "");
        row("idle 8", "080000000700000002000000", "", "");
        row("current -1", "02000000ffffffff02000000", "", "");
        row("resolution 4", "020000000700000004000000", "", "");
        row("<fifo>", "00", "", "not a regular file");
        row("<zero>", "00", "", "not a regular file");
    }
    void open()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, shown);
        QFETCH(QString, detail);
        const QString strTag = QTest::currentDataTag();
        CFixture f("saved.rt3");
        const QByteArray path = QFile::encodeName(f.answer);
        QFile file(f.answer);
        if (strTag == "<zero>")
            QVERIFY(symlink("/dev/zero", path) == 0);
        else if (strTag == "<fifo>")
            QVERIFY(mkfifo(path, 0600) == 0 && file.open(QIODevice::ReadWrite) &&
                    file.write(QByteArray::fromHex("020000000700000002000000")) == 12 &&
                    file.flush());
        else if (!content.isNull())
            QVERIFY(WriteFile(f.answer, content));
        f.dlg.SetDriveFamily(strTag.startsWith("A"));
        for (const int nID : {IDC_IDLE, IDC_CURRENT, IDC_RESOLUTION})
            List(f.dlg, nID)->setCurrentIndex(0);
        QVERIFY(strTag.startsWith("-") || ConnectTo(f.dlg, f.peer.Path()));

        f.dlg.OnFileOpen();
        QVERIFY(f.dialog.bOpenFileDialog && f.dialog.strFileName == f.dir.filePath("*.rt3"));
        // The lists change after the pause.
        QCOMPARE(f.pauses, (shown.isEmpty() ? QStringList() : QStringList{"100", "0 "}));
        QCOMPARE(Lists(f.dlg), shown.isEmpty() ? "0 10 400" : shown);
        QCOMPARE(f.boxes.Calls().size(), int(!detail.isNull()));
        QVERIFY(f.boxes.Calls().value(0).strDetail.contains(detail));
        QCOMPARE(f.dlg.GetDlgItem(IDC_APPLY)->isEnabled(),
                 !strTag.startsWith("-") && detail.isNull());
    }
};

QTEST_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
