#include "posix/DevicePortCatalog.h"

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

std::string CDevicePortCatalog::SetDeviceFolder(const std::string& strFolder)
{
    return std::exchange(s_strDeviceFolder, QString::fromStdString(strFolder)).toStdString();
}

std::string CDevicePortCatalog::PortFromTyped(const std::string& strTyped)
{
    return IsTypedPort(strTyped) ? strTyped : "/dev/" + strTyped;
}

bool CDevicePortCatalog::IsTypedPort(const std::string& strPort)
{
    return strPort.find('/') != std::string::npos;
}

std::vector<CSerialDevice> CDevicePortCatalog::ListSerialDevices(const std::string& strStoredPort)
{
    std::vector<CSerialDevice> devices;
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
        devices.push_back({link.absoluteFilePath().toStdString(),
                           MenuText(ReadableName(link.fileName()) + QStringLiteral(" (") +
                                    strTarget + QLatin1Char(')'))
                               .toStdString()});
    }
    const QStringList patterns{QStringLiteral("ttyUSB*"), QStringLiteral("ttyACM*")};
    for (const QString& strPattern : patterns) {
        for (const QFileInfo& device :
             sorted(root.entryInfoList({strPattern}, QDir::AllEntries | QDir::System))) {
            if (device.exists() && !reached.contains(device.canonicalFilePath()))
                devices.push_back({device.absoluteFilePath().toStdString(),
                                   MenuText(device.absoluteFilePath()).toStdString()});
        }
    }

    const bool bStoredListed =
        std::any_of(devices.cbegin(), devices.cend(),
                    [&](const CSerialDevice& d) { return d.strPath == strStoredPort; });
    if (IsTypedPort(strStoredPort) && !bStoredListed)
        devices.push_back({strStoredPort, MenuText(QString::fromStdString(strStoredPort) +
                                                   QStringLiteral(" (absent)"))
                                              .toStdString()});
    return devices;
}
