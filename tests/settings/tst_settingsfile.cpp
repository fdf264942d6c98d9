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
}

QTEST_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
