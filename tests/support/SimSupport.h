#pragma once

// What the tests against the simulated adapter share.

#include "AdapterSim.h"

#include <QStringList>

// The commands the simulated drive has taken so far, in order.
inline QStringList SimCommands(const CAdapterSim& sim)
{
    QStringList commands;
    for (const CSimLogEntry& entry : sim.Log())
        if (entry.eKind == CSimLogEntry::EKind::Command)
            commands << QString::fromStdString(entry.strText);
    return commands;
}
