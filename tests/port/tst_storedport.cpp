// Port names, the Port menu and the stored port, on a real store file in a
// temporary configuration folder and the real dialog.

#include "DialogSupport.h"
#include "SerialPeer.h"
#include "app/RT3180Dlg.h"
#include "app/Texts.h"
#include "platform/Clock.h"
#include "platform/TtyDevice.h"
#include "port/SerialDevices.h"
#include "ui/Resource.h"

#include <QInputDialog>
#include <QMenu>
#include <QSettings>
#include <QtTest>
#include <sys/stat.h>

namespace
{

QString StoreFile()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + "/KOLV/RT318.conf";
}

// As another run of the program would write it.
void WriteStore(const QByteArray& text)
{
    QFile file(StoreFile());
    QVERIFY(QDir().mkpath(QFileInfo(file).path()) && file.open(QIODevice::WriteOnly) &&
            file.write(text) == text.size());
}

QByteArray StoreBytes()
{
    QFile file(StoreFile());
    if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly))
        return QFileInfo::exists(StoreFile()) ? "<not a file>" : "<none>";
    return file.readAll();
}

// The Port menu's items as it opens: the checked ones or, with bAll, those
// after COM1 to COM4.
QStringList Items(const CRT3180Dlg& dlg, bool bAll = false)
{
    auto* pMenu = qobject_cast<QMenu*>(dlg.GetMenuItem(ID_PORT_COM1)->parent());
    emit pMenu->aboutToShow();
    QStringList items;
    for (QAction* pItem : pMenu->actions().mid(bAll ? int(kPortNames.size()) + 1 : 0))
        if (bAll || pItem->isChecked())
            items << pItem->text();
    return items;
}

// The checked items, then the status line.
QString Shown(const CRT3180Dlg& dlg)
{
    return (Items(dlg) << "| " + DlgItemText(dlg, IDC_STATUS)).join(' ');
}

void Choose(const CRT3180Dlg& dlg, const QString& strText)
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

    CTempConfigHome m_home;

private slots:
    void init() { QDir(m_home.Path() + "/KOLV").removeRecursively(); }

    // A name with a '/' is a path; COMn is the user's link, even one that
    // points nowhere, else /dev/ttyS(n-1); anything else is no port.
    void portNames_data()
    {
        QTest::addColumn<QString>("path"); // the row's tag is the name; "link": ports/com7
        for (const char* pszName : {"COM7", "com7:", "cOm7"})
            QTest::newRow(pszName) << "link";
        QTest::newRow("COM99") << "/dev/ttyS98";
        QTest::newRow("/dev/x") << "/dev/x";
        for (const char* pszName : {"COM7::", "COM7\n", "COM7 ", " COM7", "COM0", "COM", "LPT1"})
            QTest::newRow(pszName) << "";
    }
    void portNames()
    {
        QFETCH(QString, path);
        QVERIFY(QDir().mkpath(m_home.Path() + "/KOLV/ports"));
        QVERIFY(QFile::link("/nonexistent/tty", m_home.Path() + "/KOLV/ports/com7"));
        QCOMPARE(ResolvePortPath(QTest::currentDataTag()),
                 path == "link" ? m_home.Path() + "/KOLV/ports/com7" : path);
    }

    // "<fifo>" (text waiting in it), "<folder>" or "<link>" (someone else's,
    // in a folder anyone may write to) stand in the store's place.
    void startAndChoose_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("shown"); // at start: checked items | port in the status
        QTest::addColumn<bool>("bUsable");  // a choice is stored into it
        QTest::newRow("first run") << QByteArray() << "COM1 | COM1" << true;
        QTest::newRow("COM4") << QByteArray("[General]\nPort=COM4\n") << "COM4 | COM4" << true;
        QTest::newRow("COM12") << QByteArray("[General]\nPort=COM12\n") << "| COM12" << true;
        QTest::newRow("no Port") << QByteArray("; n\n[General]\nPort=\n[B]\nA=1\n")
                                 << "| COM2:" << true;
        QTest::newRow("no entry form")
            << QByteArray("[General]\nPort COM3\n") << "| COM2:" << false;
        QTest::newRow("open quote") << QByteArray("[General]\nPort=\"COM3\n") << "| COM2:" << false;
        QTest::newRow("folder") << QByteArray("<folder>") << "| COM2:" << false;
        QTest::newRow("FIFO") << QByteArray("<fifo>") << "| COM2:" << false;
        QTest::newRow("link") << QByteArray("<link>") << "COM4 | COM4" << false;
    }
    void startAndChoose()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, shown);
        QFETCH(bool, bUsable);
        const QByteArray store = QFile::encodeName(StoreFile());
        if (!content.isEmpty())
            WriteStore(content.startsWith('<') ? "[General]\nPort=COM4\n" : content);
        QFile fifo(StoreFile());
        if (content == "<fifo>") // opened by us, as a writer would
            QVERIFY(fifo.remove() && mkfifo(store, 0600) == 0 && fifo.open(QIODevice::ReadWrite) &&
                    fifo.write("[General]\nPort=COM4\n") == 20 && fifo.flush());
        if (content == "<folder>")
            QVERIFY(fifo.remove() && QDir().mkpath(StoreFile()));
        if (content == "<link>") {
            const QByteArray target = QFile::encodeName(m_home.Path() + "/linked.conf");
            QVERIFY(QFile::rename(StoreFile(), target) && symlink(target, store) == 0);
            QVERIFY(chmod(QFile::encodeName(QFileInfo(fifo).path()), 01777) == 0);
            if (lchown(store, 65534, 65534) != 0)
                QSKIP("only root can give a link away");
        }
        const QByteArray before = StoreBytes();
        CRT3180Dlg dlg;
        dlg.Create();
        QCOMPARE(Shown(dlg), shown.replace("| ", QString("| ") + kStatusNotConnectedStartup));

        dlg.GetMenuItem(ID_PORT_COM3)->trigger();
        QCOMPARE(Shown(dlg), QString("COM3 | ") + kStatusNotConnected + "COM3");
        if (bUsable)
            QCOMPARE(QSettings(StoreFile(), QSettings::IniFormat).value("Port").toString(), "COM3");
        else
            QCOMPARE(StoreBytes(), before);
    }

    // The store file after each step, one window at a time. Connect uses the
    // port stored, stores it only once connected; a choice while connected
    // changes nothing.
    void storeStepByStep()
    {
        const auto noPauses = qScopeGuard([previous = SetSleepHook([](unsigned) {})]() mutable {
            SetSleepHook(std::move(previous));
        });
        QTemporaryDir dev;
        const auto restore =
            qScopeGuard([previous = SetDeviceFolder(dev.path())] { SetDeviceFolder(previous); });
        CMessageBoxRecorder boxes;
        CPtyPeer peer, adapter;
        const QString byId = dev.path() + "/serial/by-id/usb-Test_Adapter_0001-if00-port0";
        const QString adapterText = "Test Adapter 0001-if00-port0 (" + adapter.Path() + ")";
        QVERIFY(QDir().mkpath(dev.path() + "/serial/by-id") && QFile::link(adapter.Path(), byId));
        // ttyUSB0 is the adapter's own device, listed by its stable name alone.
        QVERIFY(QFile::link(adapter.Path(), dev.path() + "/ttyUSB0"));
        QVERIFY(QFile::link(peer.Path(), dev.path() + "/ttyACM1"));
        const QString link = m_home.Path() + "/KOLV/ports/com1";
        LinkCom1("/nonexistent/tty");
        auto dlg = std::make_unique<CRT3180Dlg>();
        dlg->Create();
        QCOMPARE(Items(*dlg, true),
                 QStringList({adapterText, dev.path() + "/ttyACM1", "Other..."}));

        const auto connect = [&dlg] { dlg->OnConnect(); };
        const auto choose = [&dlg](QString item) { return [&dlg, item] { Choose(*dlg, item); }; };
        const QByteArray byHand = "; by hand\n[General]\nPort=COM12\n";
        const QString off = kStatusNotConnected,
                      on = "COM1 | " + QString(kStatusConnected) + "COM1";
        const struct {
            const char* pszStep;
            std::function<void()> act;
            QByteArray store;
            QString shown;
        } steps[] = {
            {"start", [] {}, "<none>", "COM1 | " + QString(kStatusNotConnectedStartup) + "COM1"},
            {"connect failing", connect, "<none>", "COM1 | " + off + "COM1"},
            {"connect", [&] { QFile::remove(link), LinkCom1(peer.Path()), connect(); },
             "[General]\nPort=COM1\n", on},
            {"choose while connected", choose("COM3"), "[General]\nPort=COM1\n", on},
            {"device while connected", choose("/ttyACM1"), "[General]\nPort=COM1\n", on},
            {"disconnect", connect, "[General]\nPort=COM1\n", "COM1 | "},
            {"choose", choose("COM3"), "[General]\nPort=COM3\n", "COM3 | " + off + "COM3"},
            {"choose the checked one", choose("COM3"), "[General]\nPort=COM3\n",
             "| " + off + "COM3"},
            {"stored meanwhile, connect failing", [&] { WriteStore(byHand), connect(); }, byHand,
             "| " + off + "COM12"},
            {"device", choose(adapter.Path() + ")"), "[General]\nPort=" + byId.toUtf8() + "\n",
             adapterText + " | " + off + byId},
            {"unplugged, restarted",
             [&] { QFile::remove(byId), dlg = std::make_unique<CRT3180Dlg>(), dlg->Create(); },
             "[General]\nPort=" + byId.toUtf8() + "\n",
             byId + " (absent) | " + kStatusNotConnectedStartup + byId},
            // A bare name is one of /dev.
            {"other",
             [&] {
                 QTimer::singleShot(0, [] {
                     if (auto* pAsk =
                             qobject_cast<QInputDialog*>(QApplication::activeModalWidget()))
                         pAsk->setTextValue("ttyUSB7"), pAsk->accept();
                 });
                 Choose(*dlg, "Other...");
             },
             "[General]\nPort=/dev/ttyUSB7\n", "/dev/ttyUSB7 (absent) | " + off + "/dev/ttyUSB7"},
        };
        for (const auto& step : steps) {
            step.act();
            QVERIFY2(StoreBytes() == step.store, step.pszStep);
            QVERIFY2(Shown(*dlg) == step.shown, qPrintable(step.pszStep + (": " + Shown(*dlg))));
        }
        // The failure names the link, not a device it might have fallen back to.
        QCOMPARE(boxes.Texts().value(0), "Unable to open COM1");
        QVERIFY2(
            boxes.Calls()[0].strDetail.startsWith(
                "Device: " + link + " (a link to /nonexistent/tty)\nThe device does not exist"),
            qPrintable(boxes.Calls()[0].strDetail));
    }
};

QTEST_MAIN(TestStoredPort)
#include "tst_storedport.moc"
