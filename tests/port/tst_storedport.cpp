// The Port menu and the stored port, on a real store file in a temporary
// configuration folder and the real dialog.

#include "DialogSupport.h"
#include "SerialPeer.h"
#include "app/RT3180Dlg.h"
#include "app/Texts.h"
#include "platform/Clock.h"
#include "port/SerialDevices.h"
#include "ui/Resource.h"

#include <QInputDialog>
#include <QMenu>
#include <QProcess>
#include <QScopeGuard>
#include <QSettings>
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

QString StoreFile()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/KOLV/RT318.conf");
}

// Written by another process, as another run of the program would.
void WriteStore(const QString& strText)
{
    const char* pszScript = "mkdir -p \"${0%/*}\" && printf %s \"$1\" > \"$0\"";
    QCOMPARE(QProcess::execute("sh", {"-c", pszScript, StoreFile(), strText}), 0);
}

// The store's bytes, or what stands in its place.
QByteArray StoreBytes()
{
    const QFileInfo info(StoreFile());
    QFile file(StoreFile());
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return info.isDir() ? "<folder>" : info.exists() ? "<fifo>" : "<none>";
    return file.readAll();
}

// What Qt's own settings reader finds there.
QString StoredPort()
{
    return QSettings(StoreFile(), QSettings::IniFormat).value(QStringLiteral("Port")).toString();
}

// The checked Port items, then the status line.
QString Shown(const CRT3180Dlg& dlg)
{
    QString strShown;
    for (int nID = ID_PORT_COM1; nID <= ID_PORT_COM4; ++nID)
        strShown += dlg.GetMenuItem(nID)->isChecked() ? dlg.GetMenuItem(nID)->text() + ' ' : "";
    return strShown + "| " + dlg.GetDlgItem(IDC_STATUS)->property("text").toString();
}

// The Port menu's items below COM1 to COM4 as it opens, "* " before a checked one.
QStringList DeviceItems(const CRT3180Dlg& dlg)
{
    auto* pMenu = qobject_cast<QMenu*>(dlg.GetMenuItem(ID_PORT_COM1)->parent());
    emit pMenu->aboutToShow();
    QStringList items;
    for (QAction* pItem : pMenu->actions().mid(int(kPortNames.size()) + 1))
        items << (pItem->isChecked() ? "* " : "") + pItem->text();
    return items;
}

void ChooseDevice(const CRT3180Dlg& dlg, const QString& strText)
{
    auto* pMenu = qobject_cast<QMenu*>(dlg.GetMenuItem(ID_PORT_COM1)->parent());
    for (QAction* pItem : pMenu->actions())
        if (pItem->text().endsWith(strText))
            return pItem->trigger();
    QFAIL(qPrintable("no item " + strText));
}

} // namespace

class TestStoredPort : public QObject
{
    Q_OBJECT

private slots:
    void startChooseConnect_data();
    void startChooseConnect();
    void devicesPresentAreListedAndStored();
};

void TestStoredPort::startChooseConnect_data()
{
    // "<folder>", "<fifo>": one in its place (the FIFO with a writer and text
    // in it); "<shared link>": someone else's link to a file holding the rest,
    // in a sticky folder anyone may write to.
    QTest::addColumn<QString>("strContent");
    QTest::addColumn<bool>("bUsable");     // a choice is stored into it
    QTest::addColumn<QString>("strShown"); // at start-up: checked items | port in the status
    QTest::newRow("first run") << "" << true << "COM1 | COM1";
    QTest::newRow("COM4") << "[General]\nPort=COM4\n" << true << "COM4 | COM4";
    QTest::newRow("COM12") << "[General]\nPort=COM12\n" << true << "| COM12";
    QTest::newRow("no Port") << "[General]\nOther=1\n" << true << "| COM2:";
    QTest::newRow("empty Port") << "; note\n[General]\nPort=\n[Other]\nA=1\n" << true << "| COM2:";
    QTest::newRow("no entry form") << "[General]\nPort COM3\n" << false << "| COM2:";
    QTest::newRow("open quote") << "[General]\nPort=\"COM3\n" << false << "| COM2:";
    QTest::newRow("not a file") << "<folder>" << false << "| COM2:";
    QTest::newRow("FIFO") << "<fifo>" << false << "| COM2:";
    QTest::newRow("someone else's link") << "<shared link>[General]\nPort=COM4\n"
                                         << false << "COM4 | COM4";
}

void TestStoredPort::startChooseConnect()
{
    QFETCH(QString, strContent);
    QFETCH(bool, bUsable);
    QFETCH(QString, strShown);
    CTempConfigHome home;
    const QByteArray store = QFile::encodeName(StoreFile());
    const QString strLinked = home.Path() + "/linked.conf";
    int nWriter = -1;
    const auto closeWriter = qScopeGuard([&nWriter] { nWriter < 0 || close(nWriter); });
    if (strContent == "<folder>") {
        QVERIFY(QDir().mkpath(StoreFile()));
    } else if (strContent == "<fifo>") {
        QVERIFY(QDir().mkpath(home.Path() + "/KOLV") && mkfifo(store, 0600) == 0);
        nWriter = open(store, O_RDWR | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(write(nWriter, "[General]\nPort=COM4\n", 20) == 20);
    } else if (strContent.startsWith("<shared link>")) {
        if (geteuid() != 0)
            QSKIP("only root can give a link away");
        strContent.remove("<shared link>");
        QVERIFY(QDir().mkpath(home.Path() + "/KOLV"));
        QCOMPARE(chmod(QFile::encodeName(home.Path() + "/KOLV"), 01777), 0);
        QFile linked(strLinked);
        QVERIFY(linked.open(QIODevice::WriteOnly) && linked.write(strContent.toUtf8()) > 0);
        linked.close();
        QCOMPARE(symlink(QFile::encodeName(strLinked), store), 0);
        QCOMPARE(lchown(store, 65534, 65534), 0);
    } else if (!strContent.isEmpty()) {
        WriteStore(strContent);
    }
    CRT3180Dlg dlg;
    dlg.Create();
    QCOMPARE(Shown(dlg), strShown.replace("| ", QString("| ") + kStatusNotConnectedStartup));

    dlg.GetMenuItem(ID_PORT_COM3)->trigger();
    QCOMPARE(Shown(dlg), "COM3 | RT3180 SPI Interface not connected to: COM3");
    if (!bUsable) {
        QCOMPARE(StoreBytes(), strContent.toUtf8()); // never made worse
        return;
    }
    QCOMPARE(StoredPort(), "COM3");

    // Connect uses the port stored meanwhile; there is no such port here.
    CMessageBoxRecorder boxes;
    WriteStore("[General]\nPort=COM12\n");
    dlg.OnConnect();
    QCOMPARE(Shown(dlg), "COM3 | RT3180 SPI Interface not connected to: COM12");
    // The checked item chosen again loses its mark, and is still stored.
    dlg.GetMenuItem(ID_PORT_COM3)->trigger();
    QCOMPARE(Shown(dlg), "| RT3180 SPI Interface not connected to: COM3");
    QCOMPARE(StoredPort(), "COM3");
    // While connected a choice changes nothing at all.
    CPtyPeer peer;
    QVERIFY(ConnectTo(dlg, peer.Path()));
    const QString strBefore = Shown(dlg);
    dlg.GetMenuItem(ID_PORT_COM1)->trigger();
    QCOMPARE(Shown(dlg), strBefore);
    QCOMPARE(StoredPort(), peer.Path());
}

void TestStoredPort::devicesPresentAreListedAndStored()
{
    CTempConfigHome home;
    QTemporaryDir dev;
    const auto restore =
        qScopeGuard([previous = SetDeviceFolder(dev.path())] { SetDeviceFolder(previous); });
    const auto noPauses = qScopeGuard([previous = SetSleepHook([](unsigned) {})]() mutable {
        SetSleepHook(std::move(previous));
    });
    CPtyPeer adapter;
    CPtyPeer other;
    const QString byId = dev.path() + "/serial/by-id/usb-Test_Adapter_0001-if00-port0";
    QVERIFY(QDir().mkpath(dev.path() + "/serial/by-id"));
    QVERIFY(QFile::link(adapter.Path(), byId));
    // ttyUSB0 is the adapter's own device, listed by its stable name alone.
    QVERIFY(QFile::link(adapter.Path(), dev.path() + "/ttyUSB0"));
    QVERIFY(QFile::link(other.Path(), dev.path() + "/ttyACM1"));
    const QString adapterText = "Test Adapter 0001-if00-port0 (" + adapter.Path() + ")";

    auto dlg = std::make_unique<CRT3180Dlg>();
    dlg->Create();
    QCOMPARE(DeviceItems(*dlg), QStringList({adapterText, dev.path() + "/ttyACM1", "Other..."}));
    ChooseDevice(*dlg, "(" + adapter.Path() + ")");
    QCOMPARE(StoredPort(), byId);
    QCOMPARE(Shown(*dlg), "| RT3180 SPI Interface not connected to: " + byId);
    QCOMPARE(DeviceItems(*dlg).first(), "* " + adapterText);

    dlg->OnConnect();
    QVERIFY(dlg->Drive().IsConnected());
    QCOMPARE(adapter.Receive(4, 2000), QByteArray("?:S:"));
    ChooseDevice(*dlg, "/ttyACM1"); // nothing while connected
    QCOMPARE(StoredPort(), byId);
    dlg->OnConnect();

    // A restart shows it checked; unplugged, it is still the port.
    for (const bool bPresent : {true, false}) {
        if (!bPresent)
            QVERIFY(QFile::remove(byId));
        dlg = std::make_unique<CRT3180Dlg>();
        dlg->Create();
        QCOMPARE(Shown(*dlg), QString("| ") + kStatusNotConnectedStartup + byId);
        QCOMPARE(DeviceItems(*dlg).filter("* "),
                 QStringList("* " + (bPresent ? adapterText : byId + " (absent)")));
    }
    dlg->GetMenuItem(ID_PORT_COM2)->trigger();
    QCOMPARE(DeviceItems(*dlg).filter("* "), QStringList());
    QCOMPARE(Shown(*dlg), "COM2 | RT3180 SPI Interface not connected to: COM2");

    // Other... takes a path; a bare name is one of /dev.
    QTimer::singleShot(0, dlg.get(), [] {
        if (auto* pAsk = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
            pAsk->setTextValue("ttyUSB7");
            pAsk->accept();
        }
    });
    ChooseDevice(*dlg, "Other...");
    QCOMPARE(StoredPort(), "/dev/ttyUSB7");
    QCOMPARE(DeviceItems(*dlg).filter("* "), QStringList("* /dev/ttyUSB7 (absent)"));
}

QTEST_MAIN(TestStoredPort)
#include "tst_storedport.moc"
