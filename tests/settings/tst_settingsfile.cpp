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
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const QByteArray kDefaults = QByteArray::fromHex("020000000700000002000000");

QByteArray ReadFile(const QString& strPath)
{
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

// The dialog started in a fresh working folder; every file dialog is answered
// with the file named.
struct CFixture {
    CTempConfigHome home;
    QTemporaryDir dir;
    CMessageBoxRecorder boxes;
    CPtyPeer peer;
    CRT3180Dlg dlg;
    std::optional<QString> answer;
    CFileDialogCall dialog; // the last one shown
    QList<int> pauses;      // each pause: its length, then the idle selection meanwhile
    // Declared last: the hooks go before anything they refer to.
    QScopeGuard<void (*)()> unhookSleep{[] { SetSleepHook({}); }};
    QScopeGuard<void (*)()> unhookDialog{[] { SetFileDialogHook({}); }};

    explicit CFixture(const char* pszAnswer) : answer(dir.filePath(pszAnswer))
    {
        QDir::setCurrent(dir.path());
        dlg.Create();
        SetFileDialogHook([this](const CFileDialogCall& call) {
            dialog = call;
            return answer;
        });
        SetSleepHook(
            [this](unsigned nMs) { pauses << int(nMs) << List(dlg, IDC_IDLE)->currentIndex(); });
    }
};

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void save();
    void saveKeepsWhatTheNameIs_data();
    void saveKeepsWhatTheNameIs();
    void open_data();
    void open();
};

void TestSettingsFile::save()
{
    CFixture f("Config_RT3180.rt3");
    QDir::setCurrent(QDir::tempPath()); // the dialog still starts in the working folder
    QVERIFY(ConnectTo(f.dlg, f.peer.Path()));
    const QString strStatus = f.dlg.GetDlgItem(IDC_STATUS)->property("text").toString();
    f.dlg.OnFileSave();
    QCOMPARE(ReadFile(*f.answer), kDefaults);
    QVERIFY(!f.dialog.bOpenFileDialog && f.dialog.bOverwritePrompt && f.dialog.strDefExt == "rt3");
    QCOMPARE(f.dialog.strFileName, *f.answer);
    QStringList filters;
    for (const CFileFilter& filter : f.dialog.filters)
        filters << filter.strText << filter.strPattern;
    QCOMPARE(filters, (QStringList{"RT3180 Files (*.rt3)", "*.rt3", "All Files (*.*) ", "*.*"}));

    // A second save replaces the file; the screen stays as it was.
    List(f.dlg, IDC_IDLE)->setCurrentIndex(7);
    List(f.dlg, IDC_CURRENT)->setCurrentIndex(9);
    List(f.dlg, IDC_RESOLUTION)->setCurrentIndex(3);
    f.dlg.OnFileSave();
    QCOMPARE(ReadFile(*f.answer), QByteArray::fromHex("070000000900000003000000"));
    QCOMPARE(f.dlg.GetDlgItem(IDC_STATUS)->property("text").toString(), strStatus);
    QVERIFY(!f.dlg.GetDlgItem(IDC_APPLY)->isEnabled());

    // A save that fails while writing (at the file size limit, which binds
    // every user) shows one box and keeps the file it was to replace.
    rlimit oldLimit{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &oldLimit), 0);
    std::signal(SIGXFSZ, SIG_IGN); // a failed write, not the end of the program
    const rlimit limit{4, oldLimit.rlim_max};
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
    f.dlg.OnFileSave();
    setrlimit(RLIMIT_FSIZE, &oldLimit);
    QCOMPARE(ReadFile(*f.answer), QByteArray::fromHex("070000000900000003000000"));
    QCOMPARE(f.boxes.Calls().size(), 1);
}

// Save writes through a link where the kernel would follow it, and never
// over anything but a regular file.
void TestSettingsFile::saveKeepsWhatTheNameIs_data()
{
    QTest::addColumn<QString>("target"); // what the saved name leads to
    QTest::addColumn<bool>("bWritten");
    QTest::newRow("link to a file") << "file" << true;
    QTest::newRow("link to a FIFO") << "fifo" << false;
    QTest::newRow("hard link") << "file" << true;
    QTest::newRow("someone else's link in a shared folder") << "file" << false;
}

void TestSettingsFile::saveKeepsWhatTheNameIs()
{
    QFETCH(QString, target);
    QFETCH(bool, bWritten);
    const QString strTag = QTest::currentDataTag();
    CFixture f("shared/saved.rt3");
    const QString strTarget = f.dir.filePath(target);
    QVERIFY(QDir(f.dir.path()).mkdir("shared"));
    QCOMPARE(chmod(QFile::encodeName(f.dir.filePath("shared")), 01777), 0);
    const QByteArray link = QFile::encodeName(*f.answer);
    QFile file(strTarget);
    QVERIFY(target == "fifo" ? mkfifo(QFile::encodeName(strTarget), 0600) == 0
                             : file.open(QIODevice::WriteOnly) && file.write("old") == 3);
    file.close();
    if (strTag == "hard link")
        QCOMPARE(::link(QFile::encodeName(strTarget), link), 0);
    else
        QCOMPARE(symlink(QFile::encodeName(strTarget), link), 0);
    if (strTag.startsWith("someone")) {
        if (geteuid() != 0)
            QSKIP("only root can give a link away");
        QCOMPARE(lchown(link, 65534, 65534), 0);
    }

    f.dlg.OnFileSave();
    struct stat info = {};
    QCOMPARE(lstat(link, &info), 0);
    QCOMPARE(S_ISLNK(info.st_mode), strTag != "hard link");
    QCOMPARE(stat(QFile::encodeName(strTarget), &info), 0);
    QCOMPARE(S_ISFIFO(info.st_mode), target == "fifo");
    // (A FIFO is not read: that would wait for a writer.)
    QVERIFY(target == "fifo" || ReadFile(*f.answer) == (bWritten ? kDefaults : "old"));
    QVERIFY(target == "fifo" || ReadFile(strTarget) == ReadFile(*f.answer));
    QCOMPARE(f.boxes.Texts(),
             bWritten ? QStringList() : QStringList{"The settings could not be saved."});
}

void TestSettingsFile::open_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no such file
    QTest::addColumn<int>("nFamily");
    QTest::addColumn<QStringList>("texts"); // idle, current, resolution; empty: unchanged
    QTest::addColumn<int>("nBoxes");
    const auto hex = [](const char* pszHex) { return QByteArray::fromHex(pszHex); };
    const QByteArray k16 = hex("05000000010000000300000009090909");
    QTest::newRow("ampere") << kDefaults << 1 << QStringList{"20", "3.2", "2000"} << 0;
    QTest::newRow("percent") << kDefaults << 0 << QStringList{"20", "80", "2000"} << 0;
    QTest::newRow("16 bytes") << k16 << 0 << QStringList{"50", "20", "5000"} << 0;
    QTest::newRow("missing") << QByteArray() << 0 << QStringList() << 0;
    QTest::newRow("11 bytes") << kDefaults.left(11) << 0 << QStringList() << 1;
    QTest::newRow("idle 8") << hex("080000000700000002000000") << 0 << QStringList() << 1;
    QTest::newRow("current -1") << hex("02000000ffffffff02000000") << 0 << QStringList() << 1;
    QTest::newRow("resolution 4") << hex("020000000700000004000000") << 0 << QStringList() << 1;
    QTest::newRow("FIFO") << QByteArray() << 0 << QStringList() << 1;
    QTest::newRow("link to /dev/zero") << QByteArray() << 0 << QStringList() << 1;
}

void TestSettingsFile::open()
{
    QFETCH(QByteArray, content);
    QFETCH(int, nFamily);
    QFETCH(QStringList, texts);
    QFETCH(int, nBoxes);
    CFixture f("saved.rt3");
    QFile file(*f.answer);
    QVERIFY(content.isNull() || (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
                                 file.write(content) == content.size()));
    // A FIFO with settings waiting in it, and a device that reads as zeros:
    // neither is a settings file.
    const QString strTag = QTest::currentDataTag();
    const QByteArray path = QFile::encodeName(*f.answer);
    if (strTag == "FIFO")
        QVERIFY(mkfifo(path, 0600) == 0);
    const int nWriter = strTag == "FIFO" ? ::open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC) : -1;
    const auto closeWriter = qScopeGuard([nWriter] { nWriter < 0 || close(nWriter); });
    QVERIFY(nWriter < 0 || write(nWriter, kDefaults.constData(), 12) == 12);
    QVERIFY(strTag != "link to /dev/zero" || symlink("/dev/zero", path) == 0);
    f.dlg.SetDriveFamily(nFamily);
    for (QComboBox* pList :
         {List(f.dlg, IDC_IDLE), List(f.dlg, IDC_CURRENT), List(f.dlg, IDC_RESOLUTION)})
        pList->setCurrentIndex(0);
    QVERIFY(ConnectTo(f.dlg, f.peer.Path()));

    f.dlg.OnFileOpen();
    QVERIFY(f.dialog.bOpenFileDialog && f.dialog.strFileName == f.dir.filePath("*.rt3"));
    const QStringList shown{List(f.dlg, IDC_IDLE)->currentText(),
                            List(f.dlg, IDC_CURRENT)->currentText(),
                            List(f.dlg, IDC_RESOLUTION)->currentText()};
    QCOMPARE(shown, (texts.isEmpty() ? QStringList{"0", "10", "400"} : texts));
    // The lists change after the pause.
    QCOMPARE(f.pauses, (texts.isEmpty() ? QList<int>() : QList<int>{100, 0}));
    QCOMPARE(f.boxes.Calls().size(), nBoxes);
    QCOMPARE(f.dlg.GetDlgItem(IDC_APPLY)->isEnabled(), nBoxes == 0);
    QCOMPARE(f.boxes.Calls().value(0).strDetail.contains("not a regular file"),
             content.isNull() && strTag != "missing");
}

QTEST_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
