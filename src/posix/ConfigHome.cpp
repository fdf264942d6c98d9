#include "posix/ConfigHome.h"

#include <QDir>

std::string UserConfigHome()
{
    const QString strHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!strHome.isEmpty() && QDir::isAbsolutePath(strHome))
        return QDir::cleanPath(strHome).toStdString();
    return (QDir::homePath() + QStringLiteral("/.config")).toStdString();
}
