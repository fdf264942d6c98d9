// The Port menu and the stored port, on a real store file in a temporary
// configuration folder and the real dialog.

#include "TestSupport.h"
#include "app/RT3180Dlg.h"
#include "app/Resource.h"

#include <QAction>
#include <QLineEdit>
#include <QProcess>
#include <QSettings>
#include <QtTest>
#include <memory>

namespace
{

struct CStore : CTempConfigHome {
    QString File() const { return Path() + QStringLiteral("/KOLV/RT318.conf"); }
    void Write(const QByteArray& bytes) const
    {
        QDir().mkpath(Path() + QStringLiteral("/KOLV"));
        QFile file(File());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    QByteArray Bytes() const
    {
        QFile file(File());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }
    // What Qt's own settings reader finds there.
    QString Port() const
    {
        return QSettings(File(), QSettings::IniFormat).value(QStringLiteral("Port")).toString();
    }
};

std::unique_ptr<CRT3180Dlg> StartDialog()
{
    auto pDlg = std::make_unique<CRT3180Dlg>();
    pDlg->Create();
    return pDlg;
}

QStringList Checked(const CRT3180Dlg& dlg)
{
    QStringList checked;
    for (int nID = ID_PORT_COM1; nID <= ID_PORT_COM4; ++nID) {
        if (dlg.GetMenuItem(nID)->isChecked())
            checked.append(dlg.GetMenuItem(nID)->text());
    }
    return checked;
}

QString Status(const CRT3180Dlg& dlg)
{
    return static_cast<QLineEdit*>(dlg.GetDlgItem(IDC_STATUS))->text();
}

QString StartupStatus(const QString& strPort)
{
    return QLatin1String(kStatusNotConnectedStartup) + strPort;
}

QString ChoiceStatus(const QString& strPort)
{
    return QLatin1String(kStatusNotConnected) + strPort;
}

const QString kCom1 = QStringLiteral("COM1"), kCom2 = QStringLiteral("COM2"),
              kCom3 = QStringLiteral("COM3"), kCom4 = QStringLiteral("COM4");

} // namespace

class TestStoredPort : public QObject
{
    Q_OBJECT

private slots:
    void firstRunChecksCom1();
    void storeWithoutUsableValue_data();
    void storeWithoutUsableValue();
    void portStoredElsewhere();
    void choosingPorts();
    void storedTextComesBack_data();
    void storedTextComesBack();
};

void TestStoredPort::firstRunChecksCom1()
{
    CStore store;
    auto pDlg = StartDialog();
    QCOMPARE(Checked(*pDlg), QStringList{kCom1});
    QCOMPARE(Status(*pDlg), StartupStatus(kCom1));
    QVERIFY(!QFile::exists(store.File()));

    // While connected a choice changes nothing at all.
    pDlg->m_bConnected = true;
    for (int nID = ID_PORT_COM1; nID <= ID_PORT_COM4; ++nID)
        pDlg->GetMenuItem(nID)->trigger();
    QCOMPARE(Checked(*pDlg), QStringList{kCom1});
    QCOMPARE(pDlg->m_strComPort, kCom1);
    QCOMPARE(Status(*pDlg), StartupStatus(kCom1));
    QVERIFY(!QFile::exists(store.File()));
}

void TestStoredPort::storeWithoutUsableValue_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("bUsable"); // a later choice is written into it
    QTest::newRow("no Port") << QByteArray("[General]\nOther=kept\n") << true;
    QTest::newRow("empty Port") << QByteArray("; note\n[General]\nPort=\n[Other]\nA=1\n") << true;
    QTest::newRow("empty file") << QByteArray() << true;
    QTest::newRow("binary") << QByteArray("\x7f\0\xff\xfe[General]\nPort=COM3\n", 19) << false;
    QTest::newRow("no entry form") << QByteArray("[General]\nPort COM3\n") << false;
    QTest::newRow("open quote") << QByteArray("[General]\nPort=\"COM3\n") << false;
    QTest::newRow("not a file") << QByteArray() << false;
}

void TestStoredPort::storeWithoutUsableValue()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, bUsable);
    CStore store;
    const bool bDirectory = QByteArray(QTest::currentDataTag()) == "not a file";
    if (bDirectory)
        QVERIFY(QDir().mkpath(store.File()));
    else
        store.Write(content);

    auto pDlg = StartDialog();
    QCOMPARE(pDlg->m_strComPort, QStringLiteral("COM2:"));
    QVERIFY(Checked(*pDlg).isEmpty());
    QCOMPARE(Status(*pDlg), StartupStatus(QStringLiteral("COM2:")));

    pDlg->GetMenuItem(ID_PORT_COM2)->trigger();
    QCOMPARE(Checked(*pDlg), QStringList{kCom2});
    QCOMPARE(Status(*pDlg), ChoiceStatus(kCom2));
    if (bUsable) {
        QCOMPARE(store.Port(), kCom2);
        for (const QByteArray& line : content.split('\n'))
            QVERIFY2(line.startsWith("Port=") || store.Bytes().contains(line), line);
    } else {
        // Never made worse.
        QCOMPARE(QFileInfo(store.File()).isDir(), bDirectory);
        QCOMPARE(bDirectory ? content : store.Bytes(), content);
    }
}

void TestStoredPort::portStoredElsewhere()
{
    CStore store;
    QDir().mkpath(store.Path() + QStringLiteral("/KOLV"));
    auto storeElsewhere = [&store](const char* pszPort) {
        const QString strScript = QStringLiteral("printf '[General]\\nPort=%1\\n' > '%2'")
                                      .arg(QLatin1String(pszPort), store.File());
        QCOMPARE(QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), strScript}), 0);
    };
    storeElsewhere("COM3");
    auto pDlg = StartDialog();
    QCOMPARE(Checked(*pDlg), QStringList{kCom3});
    QCOMPARE(Status(*pDlg), StartupStatus(kCom3));

    // Connect reads the store again before it opens the port.
    storeElsewhere("COM12");
    QVERIFY(pDlg->ReadStoredPort());
    QCOMPARE(pDlg->m_strComPort, QStringLiteral("COM12"));
    QCOMPARE(Checked(*StartDialog()), QStringList());
}

void TestStoredPort::choosingPorts()
{
    CStore store;
    auto pDlg = StartDialog();
    QAction* pCom3 = pDlg->GetMenuItem(ID_PORT_COM3);
    pCom3->trigger();
    QCOMPARE(Checked(*pDlg), QStringList{kCom3});
    QCOMPARE(pDlg->m_strComPort, kCom3);
    QCOMPARE(store.Port(), kCom3);
    QCOMPARE(Status(*pDlg), ChoiceStatus(kCom3));

    // The checked item chosen again loses its mark, and is still stored.
    store.Write("[General]\nPort=COM1\n");
    pDlg->GetDlgItem(IDC_STATUS)->setProperty("text", QString());
    pCom3->trigger();
    QVERIFY(Checked(*pDlg).isEmpty());
    QCOMPARE(store.Port(), kCom3);
    QCOMPARE(Status(*pDlg), ChoiceStatus(kCom3));

    pCom3->trigger();
    QCOMPARE(Checked(*pDlg), QStringList{kCom3});
    pDlg->GetMenuItem(ID_PORT_COM4)->trigger();
    QCOMPARE(Checked(*pDlg), QStringList{kCom4});
    QCOMPARE(store.Port(), kCom4);
}

void TestStoredPort::storedTextComesBack_data()
{
    QTest::addColumn<QString>("strPort");
    QTest::newRow("no value yet") << QStringLiteral("COM2:");
    QTest::newRow("device path") << QStringLiteral("/dev/ttyUSB0");
    QTest::newRow("odd text") << QStringLiteral(" a \"port\", \\2 ");
}

// Connect stores whatever port it opened; later starts read it as it was.
void TestStoredPort::storedTextComesBack()
{
    QFETCH(QString, strPort);
    CStore store;
    auto pDlg = StartDialog();
    pDlg->m_strComPort = strPort;
    pDlg->StorePort();
    QCOMPARE(store.Port(), strPort);
    pDlg = StartDialog();
    QCOMPARE(pDlg->m_strComPort, strPort);
    QVERIFY(Checked(*pDlg).isEmpty());
}

QTEST_MAIN(TestStoredPort)
#include "tst_storedport.moc"
