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
    return file.open(QIODevice::ReadOnly) ? file.readAll() : "<none>";
}

// The Port menu's items, as it opens.
QList<QAction*> PortItems(const CRT3180Dlg& dlg)
{
    auto* pMenu = qobject_cast<QMenu*>(dlg.GetMenuItem(ID_PORT_COM1)->parent());
    emit pMenu->aboutToShow();
    return pMenu->actions();
}

// The checked items, then the status line with "start:", "off:" or "on:"
// for the texts before the port.
QString Shown(const CRT3180Dlg& dlg)
{
    QString strShown;
    for (QAction* pItem : PortItems(dlg))
        strShown += pItem->isChecked() ? pItem->text() + ' ' : "";
    return strShown + "| " +
           DlgItemText(dlg, IDC_STATUS)
               .replace(kStatusNotConnectedStartup, "start:")
               .replace(kStatusNotConnected, "off:")
               .replace(kStatusConnected, "on:");
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
    void portNames()
    {
        const QString link = m_home.Path() + "/KOLV/ports/com7";
        QVERIFY(QDir().mkpath(m_home.Path() + "/KOLV/ports"));
        QVERIFY(QFile::link("/nonexistent/tty", link));
        const QStringList names{"COM7",   "com7:", "cOm7",  "COM99", "/dev/x", "COM7::",
                                "COM7\n", "COM7 ", " COM7", "COM0",  "LPT1"};
        QStringList paths;
        for (const QString& strName : names)
            paths << ResolvePortPath(strName);
        QCOMPARE(paths,
                 QStringList({link, link, link, "/dev/ttyS98", "/dev/x", "", "", "", "", "", ""}));
    }

    // Reading the store at start, and a choice stored into it. (What stands
    // in a store's place, a FIFO or a link, is the settings file's test.)
    void startAndChoose_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("shown"); // at start: checked items | port in the status
        const auto row = [](const char* pszContent, const char* pszShown) {
            QTest::newRow(pszContent) << QByteArray(pszContent) << pszShown;
        };
        row("", "COM1 | COM1");
        row("[General]\nPort=COM4\n", "COM4 | COM4");
        row("[General]\nPort=COM12\n", "| COM12");
        row("; n\n[General]\nPort=\n[B]\nA=1\n", "| COM2:");
        // Not settings text: never written over.
        row("[General]\nPort COM3\n", "| COM2:");
        row("[General]\nPort=\"COM3\n", "| COM2:");
    }
    void startAndChoose()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, shown);
        if (!content.isEmpty())
            WriteStore(content);
        CRT3180Dlg dlg;
        dlg.Create();
        QCOMPARE(Shown(dlg), shown.replace("| ", "| start:"));
        dlg.GetMenuItem(ID_PORT_COM3)->trigger();
        QCOMPARE(Shown(dlg), "COM3 | off:COM3");
        const bool bForeign = content.contains("COM3"); // rows that are not settings text
        QCOMPARE(bForeign
                     ? StoreBytes()
                     : QSettings(StoreFile(), QSettings::IniFormat).value("Port").toByteArray(),
                 bForeign ? content : "COM3");
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
        QStringList texts;
        for (QAction* pItem : PortItems(*dlg).mid(int(kPortNames.size()) + 1))
            texts << pItem->text();
        QCOMPARE(texts, QStringList({adapterText, dev.path() + "/ttyACM1", "Other..."}));
        QTimer askedForPath; // a bare name is one of /dev
        askedForPath.callOnTimeout([] {
            if (auto* pAsk = qobject_cast<QInputDialog*>(QApplication::activeModalWidget()))
                pAsk->setTextValue("ttyUSB7"), pAsk->accept();
        });
        askedForPath.start(10);

        const auto connect = [&dlg] { dlg->OnConnect(); };
        const auto choose = [&dlg](QString item) {
            return [&dlg, item] {
                for (QAction* pItem : PortItems(*dlg))
                    if (pItem->text().endsWith(item))
                        return pItem->trigger();
            };
        };
        const QByteArray byHand = "; by hand\n[General]\nPort=COM12\n";
        const struct {
            const char* pszStep;
            std::function<void()> act;
            QByteArray port; // in the store file, or the file's whole text
            QString shown;
        } steps[] = {
            {"start", [] {}, "<none>", "COM1 | start:COM1"},
            {"connect failing", connect, "<none>", "COM1 | off:COM1"},
            {"connect", [&] { QFile::remove(link), LinkCom1(peer.Path()), connect(); }, "COM1",
             "COM1 | on:COM1"},
            {"choose while connected", choose("COM3"), "COM1", "COM1 | on:COM1"},
            {"device while connected", choose("/ttyACM1"), "COM1", "COM1 | on:COM1"},
            {"disconnect", connect, "COM1", "COM1 | "},
            {"choose", choose("COM3"), "COM3", "COM3 | off:COM3"},
            {"choose the checked one", choose("COM3"), "COM3", "| off:COM3"},
            {"stored meanwhile, connect failing", [&] { WriteStore(byHand), connect(); }, byHand,
             "| off:COM12"},
            {"device", choose(adapter.Path() + ")"), byId.toUtf8(), adapterText + " | off:" + byId},
            {"unplugged, restarted",
             [&] { QFile::remove(byId), dlg = std::make_unique<CRT3180Dlg>(), dlg->Create(); },
             byId.toUtf8(), byId + " (absent) | start:" + byId},
            {"other", choose("Other..."), "/dev/ttyUSB7",
             "/dev/ttyUSB7 (absent) | off:/dev/ttyUSB7"},
        };
        for (const auto& step : steps) {
            step.act();
            const QByteArray text = QByteArray("<;").contains(step.port[0])
                                        ? step.port
                                        : "[General]\nPort=" + step.port + "\n";
            QVERIFY2(StoreBytes() == text, step.pszStep);
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
