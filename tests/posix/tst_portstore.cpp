// Port names, the stored port on a real store file in a temporary
// configuration folder, and the devices the Port menu offers.

#include "QtSupport.h"
#include "core/port/StoredPort.h"
#include "posix/DevicePortCatalog.h"
#include "posix/SettingsPortStore.h"
#include "posix/TtyDevice.h"

#include <QtTest>
#include <sys/stat.h>

class TestPortStore : public QObject
{
    Q_OBJECT

    CTempConfigHome m_home;

    QString StoreFile() const { return m_home.FilePath("KOLV/RT318.conf"); }

private slots:
    // A name with a '/' is a path; COMn is the user's link, even one that
    // points nowhere, else /dev/ttyS(n-1); anything else is no port.
    void portNames()
    {
        const QString link = m_home.FilePath("KOLV/ports/com1");
        QVERIFY(QDir().mkpath(m_home.FilePath("KOLV/ports")) &&
                QFile::link("/nonexistent/tty", link));
        QStringList paths;
        for (const char* pszName : {"COM1", "com1:", "cOm1", "COM99", "/dev/x", "COM1::", "COM1\n",
                                    "COM1 ", " COM1", "COM0", "LPT1"})
            paths << QString::fromStdString(ResolvePortPath(pszName));
        QCOMPARE(paths,
                 QStringList({link, link, link, "/dev/ttyS98", "/dev/x", "", "", "", "", "", ""}));
    }

    // What a store file gives, and what saving COM3 into it leaves. A file
    // that is not settings text, or not a file, is never written over.
    void storeFile_data()
    {
        QTest::addColumn<QByteArray>("text"); // "<none>": no file; "<fifo>": a FIFO
        QTest::addColumn<QString>("loaded");  // "<nothing>": nothing stored
        QTest::addColumn<QByteArray>("saved");
        const QByteArray noEntry = "[General]\nPort COM3\n", openQuote = "[General]\nPort=\"COM3\n";
        QTest::newRow("none") << QByteArray("<none>") << "<nothing>"
                              << QByteArray("[General]\nPort=COM3\n");
        QTest::newRow("by hand") << QByteArray("; by hand\n[General]\nPort=COM12\n") << "COM12"
                                 << QByteArray("[General]\nPort=COM3\n");
        QTest::newRow("device") << QByteArray("[General]\nPort=/dev/serial/by-id/a b\n")
                                << "/dev/serial/by-id/a b" << QByteArray("[General]\nPort=COM3\n");
        QTest::newRow("no Port") << QByteArray("; n\n[General]\nPort=\n[B]\nA=1\n")
                                 << "COM2:" << QByteArray("[General]\nPort=COM3\n\n[B]\nA=1\n");
        QTest::newRow("no entry form") << noEntry << "COM2:" << noEntry;
        QTest::newRow("open quote") << openQuote << "COM2:" << openQuote;
        QTest::newRow("fifo") << QByteArray("<fifo>") << "COM2:" << QByteArray("<none>");
    }
    void storeFile()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, loaded);
        QFETCH(QByteArray, saved);
        QVERIFY(QDir(m_home.FilePath("KOLV")).removeRecursively() &&
                QDir().mkpath(m_home.FilePath("KOLV")));
        QFile file(StoreFile());
        if (text == "<fifo>")
            QVERIFY(mkfifo(QFile::encodeName(StoreFile()), 0600) == 0);
        else if (text != "<none>")
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();
        CSettingsPortStore store;
        std::string strPort = "<nothing>";
        LoadStoredPort(store, strPort);
        QCOMPARE(QString::fromStdString(strPort), loaded);
        QCOMPARE(store.Save("COM3"), saved != text && saved != "<none>");
        QCOMPARE(ReadFile(StoreFile()), saved);
    }

    // by-id entries first, with a readable name and their device ('&'
    // doubled for the menu), then ttyUSB and ttyACM devices no entry points
    // to; a stored path not among them is kept as absent.
    void devicesOffered()
    {
        QTemporaryDir dev;
        const auto restore =
            qScopeGuard([previous = CDevicePortCatalog::SetDeviceFolder(dev.path().toStdString())] {
                CDevicePortCatalog::SetDeviceFolder(previous);
            });
        const QString byId = dev.filePath("serial/by-id/");
        QVERIFY(QDir().mkpath(byId));
        for (const char* pszDevice : {"pts-adapter", "pts-other", "ttyACM1", "ttyUSB10"})
            QVERIFY(QFile(dev.filePath(pszDevice)).open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(dev.filePath("pts-adapter"), byId + "usb-Test_Adapter_0001-if00") &&
                QFile::link(dev.filePath("pts-other"), byId + "usb-A&B_2") &&
                QFile::link("/nonexistent/tty", byId + "usb-Gone_3") &&
                QFile::link(dev.filePath("pts-adapter"), dev.filePath("ttyUSB0")) &&
                QFile::link(dev.filePath("pts-other"), dev.filePath("ttyUSB2")));
        CDevicePortCatalog catalog;
        QStringList offered;
        for (const CSerialDevice& device : catalog.ListSerialDevices("/dev/ttyUSB7"))
            offered << QString::fromStdString(device.strPath + " = " + device.strText);
        const QString real = QFileInfo(dev.path()).canonicalFilePath() + "/";
        QCOMPARE(offered,
                 QStringList({byId + "usb-A&B_2 = A&&B 2 (" + real + "pts-other)",
                              byId + "usb-Test_Adapter_0001-if00 = Test Adapter 0001-if00 (" +
                                  real + "pts-adapter)",
                              dev.filePath("ttyUSB10") + " = " + dev.filePath("ttyUSB10"),
                              dev.filePath("ttyACM1") + " = " + dev.filePath("ttyACM1"),
                              "/dev/ttyUSB7 = /dev/ttyUSB7 (absent)"}));
        QCOMPARE(catalog.ListSerialDevices(byId.toStdString() + "usb-A&B_2").size(), 4u);
        // A bare name typed is one of /dev; a path is taken as it is.
        QCOMPARE(catalog.PortFromTyped("ttyUSB7") + catalog.PortFromTyped("./tty9"),
                 "/dev/ttyUSB7./tty9");
        QVERIFY(catalog.IsTypedPort("./tty9") && !catalog.IsTypedPort("COM3"));
    }
};

QTEST_GUILESS_MAIN(TestPortStore)
#include "tst_portstore.moc"
