#pragma once

#include "core/port/StoredPort.h"

#include <string>

// The port remembered for the current user: "Port" in the [General] section
// of KOLV/RT318.conf in the configuration folder (Qt's INI settings format).
// Nothing is stored until the file exists; reading never creates it and
// always goes to the file, so another process's change is seen at once.
class CSettingsPortStore : public IPortStore
{
public:
    // Nothing when the file does not exist; empty when it holds no usable
    // value (missing, empty, or a file that is not a settings file).
    std::optional<std::string> Load() override;
    // Replaces the file atomically with the port set. A file that is not a
    // settings file is never written over; false then, or when it cannot be
    // written.
    bool Save(const std::string& strPort) override;

    static std::string StoredPortFile();
};
