#pragma once

#include <QString>
#include <array>

// The Port menu's items, which are also the names of the ports they choose.
inline constexpr std::array<const char*, 4> kPortNames{"COM1", "COM2", "COM3", "COM4"};
// The port used when the store exists but holds no usable value.
inline constexpr const char* kPortWithoutValue = "COM2:";

// The port remembered for the current user: "Port" in the [General] section
// of KOLV/RT318.conf in the configuration folder (Qt's INI settings format).
// Nothing is stored until the file exists; reading never creates it and
// always goes to the file, so another process's change is seen at once.
QString StoredPortFile();

// False, leaving strPort as it is, when nothing has been stored yet.
// Otherwise strPort is the stored port, or "COM2:" when the file holds no
// usable value (missing, empty, or a file that is not a settings file).
bool LoadStoredPort(QString& strPort);

// Replaces the file atomically with the port set. A file that is not a
// settings file is never written over; false then, or when it cannot be written.
bool SaveStoredPort(const QString& strPort);
