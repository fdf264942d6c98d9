#include "port/SerialDevices.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

namespace
{
QString s_strDeviceFolder = QStringLiteral("/dev");

// "usb-Maker_Serial_Cable_0001-if00-port0" reads as "Maker Serial Cable 0001-if00-port0".
QString ReadableName(QString strName)
{
    if (strName.startsWith(QLatin1String("usb-")))
        strName.remove(0, 4);
    return strName.replace(QLatin1Char('_'), QLatin1Char(' '));
}

// Menu texts take '&' as a shortcut mark.
QString MenuText(QString strText)
{
    return strText.replace(QLatin1Char('&'), QLatin1String("&&"));
}
} // namespace

QString SetDeviceFolder(const QString& strFolder)
{
    return std::exchange(s_strDeviceFolder, strFolder);
}

QList<CSerialDevice> ListSerialDevices(const QString& strStoredPort)
{
    QList<CSerialDevice> devices;
    QSet<QString> reached;
    QCollator numeric;
    numeric.setNumericMode(true);
    auto sorted = [&numeric](QFileInfoList entries) {
        std::sort(entries.begin(), entries.end(),
                  [&numeric](const QFileInfo& a, const QFileInfo& b) {
                      return numeric.compare(a.fileName(), b.fileName()) < 0;
                  });
        return entries;
    };

    const QDir root(s_strDeviceFolder);
    const QDir byId(root.filePath(QStringLiteral("serial/by-id")));
    for (const QFileInfo& link :
         sorted(byId.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))) {
        const QString strTarget = link.canonicalFilePath();
        if (strTarget.isEmpty())
            continue; // points nowhere
        reached.insert(strTarget);
        devices.append({link.absoluteFilePath(),
                        MenuText(ReadableName(link.fileName()) + QStringLiteral(" (") + strTarget +
                                 QLatin1Char(')'))});
    }
    const QStringList patterns{QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*")};
    for (const QString& strPattern : patterns) {
        for (const QFileInfo& device :
             sorted(root.entryInfoList({strPattern}, QDir::AllEntries | QDir::System))) {
            if (device.exists() && !reached.contains(device.canonicalFilePath()))
                devices.append({device.absoluteFilePath(), MenuText(device.absoluteFilePath())});
        }
    }

    const bool bStoredListed =
        std::any_of(devices.cbegin(), devices.cend(),
                    [&](const CSerialDevice& d) { return d.strPath == strStoredPort; });
    if (strStoredPort.contains(QLatin1Char('/')) && !bStoredListed)
        devices.append({strStoredPort, MenuText(strStoredPort + QStringLiteral(" (absent)"))});
    return devices;
}
