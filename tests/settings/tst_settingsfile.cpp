// File Open and File Save on real files through the real dialog; only the
// file dialog, the message boxes and the pause are answered by the test.

#include "TestSupport.h"
#include "app/RT3180Dlg.h"
#include "app/Resource.h"
#include "platform/Clock.h"
#include "platform/FileDialog.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QtTest>
#include <csignal>
#include <memory>
#include <sys/resource.h>

namespace
{

const QByteArray kDefaultsFile("\x02\0\0\0\x07\0\0\0\x02\0\0\0", 12);

QByteArray ReadFile(const QString& strPath)
{
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

void WriteFile(const QString& strPath, const QByteArray& bytes)
{
    QFile file(strPath);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

QList<int> Selections(const CRT3180Dlg& dlg)
{
    return {dlg.m_cbIdle->currentIndex(), dlg.m_cbCurrent->currentIndex(),
            dlg.m_cbResolution->currentIndex()};
}

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void saveWritesPositions();
    void openSelectsPositions_data();
    void openSelectsPositions();
    void malformedFileLoadsNothing_data();
    void malformedFileLoadsNothing();
    void missingFileOrCancelLoadsNothing();
    void failedSaveKeepsOldFile();
    void realFileDialog();

private:
    QString FilePath(const char* pszName) const { return m_pWorkDir->filePath(pszName); }
    // Every file dialog is answered with strAnswer; it records what it would show.
    void AnswerFileDialogs(std::optional<QString> strAnswer);
    void SelectFirstEntries() const
    {
        for (QComboBox* pList : {m_pDlg->m_cbIdle, m_pDlg->m_cbCurrent, m_pDlg->m_cbResolution})
            pList->setCurrentIndex(0);
    }

    std::unique_ptr<CTempConfigHome> m_pHome;
    std::unique_ptr<QTemporaryDir> m_pWorkDir;
    std::unique_ptr<CMessageBoxRecorder> m_pBoxes;
    std::unique_ptr<CRT3180Dlg> m_pDlg;
    QString m_strOldCurrent;
    QList<CFileDialogCall> m_calls;
    QStringList m_dialogDirs; // current directory while each dialog was up
    QList<unsigned> m_pauses;
    QList<int> m_idleAtPause; // the idle list's selection during each pause
};

void TestSettingsFile::init()
{
    m_strOldCurrent = QDir::currentPath();
    m_pHome = std::make_unique<CTempConfigHome>();
    m_pWorkDir = std::make_unique<QTemporaryDir>();
    QDir::setCurrent(m_pWorkDir->path());
    m_pBoxes = std::make_unique<CMessageBoxRecorder>();
    m_pDlg = std::make_unique<CRT3180Dlg>();
    m_pDlg->Create();
    m_calls.clear();
    m_dialogDirs.clear();
    m_pauses.clear();
    m_idleAtPause.clear();
    SetSleepHook([this](unsigned nMs) {
        m_pauses.append(nMs);
        m_idleAtPause.append(m_pDlg->m_cbIdle->currentIndex());
    });
}

void TestSettingsFile::cleanup()
{
    SetSleepHook({});
    SetFileDialogHook({});
    m_pDlg.reset();
    m_pBoxes.reset();
    QDir::setCurrent(m_strOldCurrent);
    m_pWorkDir.reset();
    m_pHome.reset();
}

void TestSettingsFile::AnswerFileDialogs(std::optional<QString> strAnswer)
{
    SetFileDialogHook([this, strAnswer](const CFileDialogCall& call) {
        m_calls.append(call);
        m_dialogDirs.append(QDir::currentPath());
        return strAnswer;
    });
}

void TestSettingsFile::saveWritesPositions()
{
    const QString strPath = FilePath("Config_RT3180.rt3");
    AnswerFileDialogs(strPath);
    QDir::setCurrent(QDir::tempPath());
    auto* pStatus = static_cast<QLineEdit*>(m_pDlg->GetDlgItem(IDC_STATUS));
    const QString strStatus = pStatus->text();

    m_pDlg->OnFileSave();
    QCOMPARE(ReadFile(strPath), kDefaultsFile);
    const CFileDialogCall& call = m_calls.first();
    QVERIFY(!call.bOpenFileDialog && call.bOverwritePrompt);
    QCOMPARE(call.strFileName, strPath);
    QCOMPARE(m_dialogDirs.first(), m_pWorkDir->path());
    QCOMPARE(call.filters.size(), 2);
    QCOMPARE(call.filters[0].strText, QStringLiteral("RT3180 Files (*.rt3)"));
    QCOMPARE(call.filters[1].strText, QStringLiteral("All Files (*.*) "));
    QCOMPARE(call.strDefExt, QStringLiteral("rt3"));

    // A second save to the same file replaces it; the screen stays as it was.
    m_pDlg->m_cbIdle->setCurrentIndex(7);
    m_pDlg->m_cbCurrent->setCurrentIndex(9);
    m_pDlg->m_cbResolution->setCurrentIndex(3);
    m_pDlg->OnFileSave();
    QCOMPARE(ReadFile(strPath), QByteArray("\x07\0\0\0\x09\0\0\0\x03\0\0\0", 12));
    QCOMPARE(pStatus->text(), strStatus);
    QVERIFY(!m_pDlg->GetDlgItem(IDC_APPLY)->isEnabled());
    QVERIFY(m_pBoxes->Calls().isEmpty());
}

void TestSettingsFile::openSelectsPositions_data()
{
    QTest::addColumn<int>("nFamily");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("texts"); // idle, current, resolution
    QTest::addColumn<bool>("bConnected");
    QTest::newRow("ampere") << 1 << kDefaultsFile << QStringList{"20", "3.2", "2000"} << true;
    QTest::newRow("percent") << 0 << kDefaultsFile << QStringList{"20", "80", "2000"} << false;
    QTest::newRow("16 bytes") << 0
                              << QByteArray("\x05\0\0\0\x01\0\0\0\x03\0\0\0\x09\x09\x09\x09", 16)
                              << QStringList{"50", "20", "5000"} << false;
}

void TestSettingsFile::openSelectsPositions()
{
    QFETCH(int, nFamily);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, texts);
    QFETCH(bool, bConnected);
    WriteFile(FilePath("saved.rt3"), content);
    m_pDlg->SetDriveFamily(nFamily);
    SelectFirstEntries();
    m_pDlg->m_bConnected = bConnected;

    AnswerFileDialogs(FilePath("saved.rt3"));
    m_pDlg->OnFileOpen();
    QVERIFY(m_calls.first().bOpenFileDialog);
    QCOMPARE(m_calls.first().strFileName, FilePath("*.rt3"));
    QCOMPARE((QStringList{m_pDlg->m_cbIdle->currentText(), m_pDlg->m_cbCurrent->currentText(),
                          m_pDlg->m_cbResolution->currentText()}),
             texts);
    // The lists change after the pause.
    QCOMPARE(m_pauses, QList<unsigned>{100});
    QCOMPARE(m_idleAtPause, QList<int>{0});
    QCOMPARE(m_pDlg->GetDlgItem(IDC_APPLY)->isEnabled(), bConnected);
    QVERIFY(m_pBoxes->Calls().isEmpty());
}

void TestSettingsFile::malformedFileLoadsNothing_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("11 bytes") << kDefaultsFile.left(11);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("idle 8") << QByteArray("\x08\0\0\0\x07\0\0\0\x02\0\0\0", 12);
    QTest::newRow("current -1") << QByteArray("\x02\0\0\0\xff\xff\xff\xff\x02\0\0\0", 12);
    QTest::newRow("resolution 4") << QByteArray("\x02\0\0\0\x07\0\0\0\x04\0\0\0", 12);
}

void TestSettingsFile::malformedFileLoadsNothing()
{
    QFETCH(QByteArray, content);
    WriteFile(FilePath("bad.rt3"), content);
    SelectFirstEntries();
    m_pDlg->m_bConnected = true;

    AnswerFileDialogs(FilePath("bad.rt3"));
    m_pDlg->OnFileOpen();
    QCOMPARE(Selections(*m_pDlg), (QList<int>{0, 0, 0}));
    QCOMPARE(m_pBoxes->Calls().size(), 1);
    QVERIFY(m_pBoxes->Calls().first().nType & MB_ICONSTOP);
    QVERIFY(!m_pDlg->GetDlgItem(IDC_APPLY)->isEnabled());
    QVERIFY(m_pauses.isEmpty());
}

void TestSettingsFile::missingFileOrCancelLoadsNothing()
{
    SelectFirstEntries();
    AnswerFileDialogs(std::nullopt);
    m_pDlg->OnFileOpen();
    m_pDlg->OnFileSave();
    QCOMPARE(m_calls.size(), 2);
    QVERIFY(QDir(m_pWorkDir->path()).isEmpty());

    AnswerFileDialogs(FilePath("typed-name.rt3"));
    m_pDlg->OnFileOpen();
    QCOMPARE(Selections(*m_pDlg), (QList<int>{0, 0, 0}));
    QVERIFY(m_pBoxes->Calls().isEmpty());
    QVERIFY(QDir(m_pWorkDir->path()).isEmpty());
}

// A save that fails while writing (here at the file size limit, which holds
// for every user) leaves the file it was to replace as it was.
void TestSettingsFile::failedSaveKeepsOldFile()
{
    const QString strPath = FilePath("Config_RT3180.rt3");
    const QByteArray old("\x01\0\0\0\x01\0\0\0\x01\0\0\0", 12);
    WriteFile(strPath, old);
    AnswerFileDialogs(strPath);

    rlimit oldLimit{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &oldLimit), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = oldLimit;
    limit.rlim_cur = 4;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
    m_pDlg->OnFileSave();
    setrlimit(RLIMIT_FSIZE, &oldLimit);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(ReadFile(strPath), old);
    QCOMPARE(m_pBoxes->Calls().size(), 1);
    QVERIFY(m_pBoxes->Calls().first().nType & MB_ICONSTOP);
    QCOMPARE(QDir(m_pWorkDir->path()).entryList(QDir::Files), QStringList{"Config_RT3180.rt3"});

    AnswerFileDialogs(FilePath("no-such-folder/Config_RT3180.rt3"));
    m_pDlg->OnFileSave();
    QCOMPARE(m_pBoxes->Calls().size(), 2);
}

// The Qt dialog behind the seam: the first filter lists what it names, and a
// name typed into the Save dialog gets the default extension.
void TestSettingsFile::realFileDialog()
{
    WriteFile(FilePath("a.rt3"), kDefaultsFile);
    WriteFile(FilePath("b.txt"), "b");
    QStringList filters, listed;
    QTimer::singleShot(0, this, [&] {
        QWidget* pModal = QApplication::activeModalWidget();
        auto* pDialog = qobject_cast<QFileDialog*>(pModal);
        if (!pDialog) {
            if (pModal)
                pModal->close();
            return;
        }
        filters = pDialog->nameFilters();
        // The folder is listed by a thread of the dialog's model.
        auto* pView = pDialog->findChild<QAbstractItemView*>(QStringLiteral("listView"));
        const bool bListed = pView && QTest::qWaitFor([pView] {
                                 return pView->model()->rowCount(pView->rootIndex()) > 0;
                             });
        for (int i = 0; bListed && i < pView->model()->rowCount(pView->rootIndex()); ++i)
            listed.append(pView->model()->index(i, 0, pView->rootIndex()).data().toString());
        if (auto* pName = pDialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            pName->setText(QStringLiteral("typed"));
        QMetaObject::invokeMethod(pDialog, "accept");
    });
    const std::optional<QString> strChosen =
        DoFileDialog({false,
                      FilePath("Config_RT3180.rt3"),
                      {{"RT3180 Files (*.rt3)", "*.rt3"}, {"All Files (*.*) ", "*.*"}},
                      "rt3",
                      true});
    QCOMPARE(filters, (QStringList{"RT3180 Files (*.rt3)", "All Files (*.*)"}));
    QCOMPARE(listed, QStringList{"a.rt3"});
    QCOMPARE(strChosen, std::optional<QString>(FilePath("typed.rt3")));
}

QTEST_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
