// Port names, the Port menu and the stored port, on a real store file in a
// temporary configuration folder and the real dialog; and the dialog
// connecting through the stored port to the simulated adapter.

#include "DialogSupport.h"
#include "SerialPeer.h"
#include "app/RT3180Dlg.h"
#include "app/Texts.h"
#include "platform/Clock.h"
#include "platform/TtyDevice.h"
#include "port/SerialDevices.h"
#include "port/StoredPort.h"
#include "ui/Resource.h"

#include <QComboBox>
#include <QInputDialog>
#include <QMenu>
#include <QtTest>

using namespace std::chrono;
using namespace std::chrono_literals;

namespace
{

QString StoreFile()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + "/KOLV/RT318.conf";
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
    void cleanup() { SetSleepHook({}); }

    // The real dialog against the simulated adapter over a pseudo-terminal, on
    // the real clock: what reaches the drive, with its pacing (within a
    // tolerance), and what the dialog makes of the answers. An RT3180 on
    // CR LF: the dialog starts in percent and must switch.
    void connectIdentifiesTheDriveAndRecallsItsSettings()
    {
        const CMessageBoxRecorder boxes;
        CAdapterSim sim({.eFamily = EDriveFamily::RT3180, .bCrLf = true});
        QVERIFY2(sim.Start(), sim.ErrorText().c_str());
        QVERIFY(SaveStoredPort(QString::fromStdString(sim.SlavePath())));
        CRT3180Dlg dlg;
        dlg.Create();
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        // Away from what the drive holds, so the recall must move them.
        List(dlg, IDC_RESOLUTION)->setCurrentIndex(0);
        List(dlg, IDC_IDLE)->setCurrentIndex(5);

        const auto tpClick = steady_clock::now();
        ClickDlgItem(dlg, IDC_CONNECT);
        // Once the drive has taken both: each command is written after its
        // pauses (50 ms before "?:", 50 + 50 more before "S:"); the drive
        // reads it then, or later on a busy machine, never earlier.
        QVERIFY(sim.WaitForEntries(CSimLogEntry::EKind::Command, 2, 5000ms));
        const auto commands = SimCommands(sim);
        QVERIFY(commands.size() == 2 && commands[0].strText == "?:" && commands[1].strText == "S:");
        for (auto [nCommand, after] : {std::pair{0, 50ms}, {1, 150ms}}) {
            const auto read = duration_cast<milliseconds>(commands[nCommand].tpTime - tpClick);
            QVERIFY2(read >= after && read < after + 1000ms,
                     qPrintable(QString::number(read.count())));
        }
        QTRY_COMPARE(DlgItemText(dlg, IDC_STATUS), "RT3180 SPI Interface commands accepted!");
        QTRY_COMPARE(List(dlg, IDC_IDLE)->currentText(), QStringLiteral("20"));
        QCOMPARE(List(dlg, IDC_RESOLUTION)->currentText() + ' ' +
                     List(dlg, IDC_CURRENT)->currentText() + ' ' +
                     DlgItemText(dlg, IDC_CURRENT_UNIT),
                 "2000 3.2 A");
        QCOMPARE(DlgItemText(dlg, IDC_REPLY), "RT3180 stepper drive, SPI link ready");
        QVERIFY(!dlg.GetDlgItem(IDC_APPLY)->isEnabled());
        QVERIFY(boxes.Calls().isEmpty());
    }

    // The store file after each step. Connect uses the port stored, and
    // stores it only once connected; a choice while connected changes
    // nothing; a file that is not settings text is never written over.
    // (What stands in a store's place, a FIFO or a link, is the settings
    // file's test: both go through the same reading and writing.)
    void storeStepByStep()
    {
        QVERIFY(QDir(m_home.Path() + "/KOLV").removeRecursively());
        SetSleepHook([](unsigned) {});
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
        const auto restart = [&dlg](QByteArray text) {
            return [&dlg, text] {
                QVERIFY(text.isEmpty() || WriteFile(StoreFile(), text));
                dlg = std::make_unique<CRT3180Dlg>();
                dlg->Create();
            };
        };
        const QByteArray byHand = "; by hand\n[General]\nPort=COM12\n";
        const QByteArray noPort = "; n\n[General]\nPort=\n[B]\nA=1\n";
        const QByteArray noEntry = "[General]\nPort COM3\n", openQuote = "[General]\nPort=\"COM3\n";
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
            {"stored meanwhile, connect failing",
             [&] { QVERIFY(WriteFile(StoreFile(), byHand)); connect(); }, byHand, "| off:COM12"},
            {"device", choose(adapter.Path() + ")"), byId.toUtf8(), adapterText + " | off:" + byId},
            {"unplugged, restart", [&] { QFile::remove(byId), restart({})(); }, byId.toUtf8(),
             byId + " (absent) | start:" + byId},
            {"other", choose("Other..."), "/dev/ttyUSB7",
             "/dev/ttyUSB7 (absent) | off:/dev/ttyUSB7"},
            {"restart, COM4 stored", restart("[General]\nPort=COM4\n"), "COM4",
             "COM4 | start:COM4"},
            {"restart, no Port", restart(noPort), noPort, "| start:COM2:"},
            {"choose into it", choose("COM2"), "[General]\nPort=COM2\n\n[B]\nA=1\n",
             "COM2 | off:COM2"},
            {"restart, no entry form", restart(noEntry), noEntry, "| start:COM2:"},
            {"choose, not stored", choose("COM3"), noEntry, "COM3 | off:COM3"},
            {"restart, open quote", restart(openQuote), openQuote, "| start:COM2:"},
            {"choose, not stored", choose("COM3"), openQuote, "COM3 | off:COM3"},
        };
        for (const auto& step : steps) {
            step.act();
            const QByteArray text = ReadFile(StoreFile());
            QVERIFY2(text == step.port || text == "[General]\nPort=" + step.port + "\n",
                     qPrintable(step.pszStep + (": " + text)));
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
