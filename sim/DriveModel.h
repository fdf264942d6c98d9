#pragma once

#include <string>
#include <vector>

enum class EDriveFamily { RT3180, PKN61 };

// The drive's present settings as the item codes the commands carry.
struct CDriveSettings {
    int nResolution = 2; // 2000 steps
    int nCurrent = 8;    // 80 %
    int nIdle = 2;       // 20 %
};

// The drive behind the adapter: answers each framed command with its reply
// lines (without line ends) and keeps the settings it is sent.
class CDriveModel
{
public:
    explicit CDriveModel(EDriveFamily eFamily) : m_eFamily(eFamily) {}

    std::vector<std::string> Answer(const std::string& strCommand);

    EDriveFamily Family() const { return m_eFamily; }
    const CDriveSettings& Settings() const { return m_settings; }

private:
    EDriveFamily m_eFamily;
    CDriveSettings m_settings;
};

// "rt3180" or "pkn61" as the program's options name them; false for anything else.
bool ParseDriveFamily(const std::string& strName, EDriveFamily& eFamily);
