#pragma once

// What every bench program prints besides its figures: where they were taken,
// and the order statistics its tables are made of.

#include <QFile>
#include <QString>
#include <QSysInfo>
#include <QThread>
#include <algorithm>
#include <cstddef>
#include <vector>

// The value below which the given fraction of the values lies (0.5: the
// median, 1.0: the worst).
inline double Percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const auto nIndex = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    return values[nIndex];
}

inline QString CpuModel()
{
    QFile cpuinfo(QStringLiteral("/proc/cpuinfo"));
    if (cpuinfo.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : cpuinfo.readAll().split('\n')) {
            if (line.startsWith("model name"))
                return QString::fromLatin1(line.mid(line.indexOf(':') + 1).trimmed());
        }
    }
    return QStringLiteral("unknown CPU");
}

// "<CPU>, <n> cores, Linux <version>, Qt <version>"
inline QString MachineText()
{
    return QStringLiteral("%1, %2 cores, Linux %3, Qt %4")
        .arg(CpuModel())
        .arg(QThread::idealThreadCount())
        .arg(QSysInfo::kernelVersion(), QString::fromLatin1(qVersion()));
}

// The one-minute load average: how many others wanted the cores meanwhile.
inline QString LoadAverage()
{
    QFile loadavg(QStringLiteral("/proc/loadavg"));
    if (!loadavg.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(loadavg.readAll().split(' ').value(0));
}
