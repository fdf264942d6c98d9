#include "platform/ConfigHome.h"

#include <QDir>

QString UserConfigHome()
{
    const QString strHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!strHome.isEmpty() && QDir::isAbsolutePath(strHome))
        return QDir::cleanPath(strHome);
    return QDir::homePath() + QStringLiteral("/.config");
}
