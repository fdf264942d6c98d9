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

const QByteArray kDefaults = QByteArray::fromHex("020000000700000002000000");

QByteArray ReadFile(const QString& strPath)
{
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

// The idle, current and resolution lists as shown.
QStringList Lists(const CRT3180Dlg& dlg)
{
    return {List(dlg, IDC_IDLE)->currentText(), List(dlg, IDC_CURRENT)->currentText(),
            List(dlg, IDC_RESOLUTION)->currentText()};
}

// The dialog started in a fresh working folder; every file dialog is answered
// with the file named, every pause noted with the idle list shown meanwhile.
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
        SetFileDialogHook([this](const CFileDialogCall& call) {
            dialog = call;
            return std::optional(answer);
        });
        SetSleepHook([this](unsigned nMs) { pauses << QString::number(nMs) << Lists(dlg)[0]; });
    }
};

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void save()
    {
        CFixture f("Config_RT3180.rt3");
        QDir::setCurrent(QDir::tempPath()); // the dialog still starts in the working folder
        f.dlg.OnFileSave();
        QCOMPARE(ReadFile(f.answer), kDefaults);
        QVERIFY(!f.dialog.bOpenFileDialog && f.dialog.bOverwritePrompt);
        QCOMPARE(f.dialog.strDefExt + f.dialog.strFileName, "rt3" + f.answer);
        QStringList filters;
        for (const CFileFilter& filter : f.dialog.filters)
            filters << filter.strText << filter.strPattern;
        QCOMPARE(filters,
                 (QStringList{"RT3180 Files (*.rt3)", "*.rt3", "All Files (*.*) ", "*.*"}));

        // A second save replaces the file.
        for (const int nID : {IDC_IDLE, IDC_CURRENT, IDC_RESOLUTION})
            List(f.dlg, nID)->setCurrentIndex(3);
        f.dlg.OnFileSave();
        QCOMPARE(ReadFile(f.answer), QByteArray::fromHex("030000000300000003000000"));
        QVERIFY(!f.dlg.GetDlgItem(IDC_APPLY)->isEnabled());

        // A save that fails while writing (at the file size limit, which binds
        // every user) shows one box and keeps the file it was to replace.
        rlimit oldLimit{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &oldLimit), 0);
        std::signal(SIGXFSZ, SIG_IGN); // a failed write, not the end of the program
        const rlimit limit{4, oldLimit.rlim_max};
        List(f.dlg, IDC_IDLE)->setCurrentIndex(0);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
        f.dlg.OnFileSave();
        setrlimit(RLIMIT_FSIZE, &oldLimit);
        QCOMPARE(ReadFile(f.answer), QByteArray::fromHex("030000000300000003000000"));
        QCOMPARE(f.boxes.Texts(), QStringList{"The settings could not be saved."});
    }

    // Save writes through a link where the kernel would follow it, and never
    // over anything but a regular file.
    void saveKeepsWhatTheNameIs_data()
    {
        QTest::addColumn<QString>("target"); // what the saved name leads to
        QTest::addColumn<bool>("bWritten");
        QTest::newRow("link to a file") << "file" << true;
        QTest::newRow("link to a FIFO") << "fifo" << false;
        QTest::newRow("hard link") << "file" << true;
        QTest::newRow("someone else's link in a shared folder") << "file" << false;
    }
    void saveKeepsWhatTheNameIs()
    {
        QFETCH(QString, target);
        QFETCH(bool, bWritten);
        const QString strTag = QTest::currentDataTag();
        CFixture f("shared/saved.rt3");
        const QByteArray strTarget = QFile::encodeName(f.dir.filePath(target));
        const QByteArray link = QFile::encodeName(f.answer);
        QVERIFY(QDir(f.dir.path()).mkdir("shared"));
        QCOMPARE(chmod(QFile::encodeName(f.dir.filePath("shared")), 01777), 0);
        QFile file(strTarget);
        QVERIFY(target == "fifo" ? mkfifo(strTarget, 0600) == 0
                                 : file.open(QIODevice::WriteOnly) && file.write("old") == 3);
        file.close();
        QCOMPARE(strTag == "hard link" ? ::link(strTarget, link) : symlink(strTarget, link), 0);
        if (strTag.startsWith("someone") && lchown(link, 65534, 65534) != 0)
            QSKIP("only root can give a link away");

        f.dlg.OnFileSave();
        QCOMPARE(QFileInfo(f.answer).isSymLink(), strTag != "hard link");
        QCOMPARE(QFileInfo(strTarget).isFile(), target == "file");
        // (A FIFO is not read: that would wait for a writer.)
        QVERIFY(target == "fifo" || ReadFile(f.answer) == (bWritten ? kDefaults : "old"));
        QVERIFY(target == "fifo" || ReadFile(strTarget) == ReadFile(f.answer));
        QCOMPARE(f.boxes.Texts(),
                 bWritten ? QStringList() : QStringList{"The settings could not be saved."});
    }

    void open_data()
    {
        QTest::addColumn<QByteArray>("content"); // "<fifo>" with settings waiting, "<zero>" a
                                                 // link to /dev/zero, null: no such file
        QTest::addColumn<int>("nFamily");
        QTest::addColumn<bool>("bConnected");
        QTest::addColumn<QStringList>("texts"); // idle, current, resolution; empty: unchanged
        QTest::addColumn<QString>("detail");    // of the one box; null: none
        const auto hex = [](const char* pszHex) { return QByteArray::fromHex(pszHex); };
        const QString bad = "not a settings file"; // any detail
        QTest::newRow("ampere") << kDefaults << 1 << true << QStringList{"20", "3.2", "2000"}
                                << QString();
        QTest::newRow("percent, not connected")
            << kDefaults << 0 << false << QStringList{"20", "80", "2000"} << QString();
        QTest::newRow("16 bytes") << hex("05000000010000000300000009090909") << 0 << true
                                  << QStringList{"50", "20", "5000"} << QString();
        QTest::newRow("missing") << QByteArray() << 0 << true << QStringList() << QString();
        QTest::newRow("missing, not connected")
            << QByteArray() << 0 << false << QStringList() << QString();
        QTest::newRow("11 bytes") << kDefaults.left(11) << 0 << true << QStringList() << "";
        QTest::newRow("idle 8") << hex("080000000700000002000000") << 0 << true << QStringList()
                                << "";
        QTest::newRow("current -1")
            << hex("02000000ffffffff02000000") << 0 << true << QStringList() << "";
        QTest::newRow("resolution 4")
            << hex("020000000700000004000000") << 0 << true << QStringList() << "";
        QTest::newRow("FIFO") << QByteArray("<fifo>") << 0 << true << QStringList()
                              << "not a regular file";
        QTest::newRow("/dev/zero")
            << QByteArray("<zero>") << 0 << true << QStringList() << "not a regular file";
    }
    void open()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, nFamily);
        QFETCH(bool, bConnected);
        QFETCH(QStringList, texts);
        QFETCH(QString, detail);
        CFixture f("saved.rt3");
        const QByteArray path = QFile::encodeName(f.answer);
        QFile file(f.answer);
        if (content == "<zero>")
            QVERIFY(symlink("/dev/zero", path) == 0);
        else if (content == "<fifo>")
            QVERIFY(mkfifo(path, 0600) == 0 && file.open(QIODevice::ReadWrite) &&
                    file.write(kDefaults) == 12 && file.flush());
        else if (!content.isNull())
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        f.dlg.SetDriveFamily(nFamily);
        for (const int nID : {IDC_IDLE, IDC_CURRENT, IDC_RESOLUTION})
            List(f.dlg, nID)->setCurrentIndex(0);
        QVERIFY(!bConnected || ConnectTo(f.dlg, f.peer.Path()));

        f.dlg.OnFileOpen();
        QVERIFY(f.dialog.bOpenFileDialog && f.dialog.strFileName == f.dir.filePath("*.rt3"));
        QCOMPARE(Lists(f.dlg), (texts.isEmpty() ? QStringList{"0", "10", "400"} : texts));
        // The lists change after the pause.
        QCOMPARE(f.pauses, (texts.isEmpty() ? QStringList() : QStringList{"100", "0"}));
        QCOMPARE(f.boxes.Calls().size(), int(!detail.isNull()));
        QVERIFY(f.boxes.Calls().value(0).strDetail.contains(detail));
        QCOMPARE(f.dlg.GetDlgItem(IDC_APPLY)->isEnabled(), bConnected && detail.isNull());
    }
};

QTEST_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
