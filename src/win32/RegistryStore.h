#pragma once

#include "core/port/StoredPort.h"

#include <string>

// The port remembered for the current user: the REG_SZ value "Port" under
// HKEY_CURRENT_USER\SOFTWARE\KOLV\RT318. Every Load goes to the registry, so
// another program's change is seen at once; Load never creates the key.
class CRegistryStore : public IPortStore
{
public:
    static constexpr const char* kKeyPath = "SOFTWARE\\KOLV\\RT318";
    static constexpr const char* kKeyClass = "KOLV DH-485 Communication Settings";
    static constexpr const char* kValueName = "Port";

    // Tests give a key of their own.
    explicit CRegistryStore(std::string strKeyPath = kKeyPath) : m_strKeyPath(std::move(strKeyPath))
    {
    }

    // Nothing when the key cannot be opened; empty when "Port" is missing,
    // empty, not a string or not terminated.
    std::optional<std::string> Load() override;
    // Creates the key (with its class) when missing; false when the key
    // cannot be created or the value not written.
    bool Save(const std::string& strPort) override;

private:
    std::string m_strKeyPath;
};
