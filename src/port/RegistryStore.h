#pragma once

#include "platform/Registry.h"

#include <QString>

// Reads and writes text values of a key the caller has opened (and closes).
class CRegistryStore
{
public:
    // The value's text up to its first NUL; empty on any failure.
    QString ReadString(HKEY hKey, const QString& strValueName) const;
    // True when the value was written.
    bool WriteString(HKEY hKey, const QString& strValueName, const QString& strText);
};
