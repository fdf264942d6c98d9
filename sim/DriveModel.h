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
    // nKeepResolution: the resolution code the drive keeps whatever it is
    // sent (a faulty drive); -1 for a sound one.
    explicit CDriveModel(EDriveFamily eFamily, int nKeepResolution = -1)
        : m_eFamily(eFamily), m_nKeepResolution(nKeepResolution)
    {
    }

    std::vector<std::string> Answer(const std::string& strCommand);

    EDriveFamily Family() const { return m_eFamily; }
    const CDriveSettings& Settings() const { return m_settings; }

private:
    EDriveFamily m_eFamily;
    int m_nKeepResolution;
    CDriveSettings m_settings;
};

// "rt3180" or "pkn61" as the program's options name them; false for anything else.
// The code of a resolution the drive reports as strText ("1000"); false when none.
bool ParseResolution(const std::string& strText, int& nCode);

bool ParseDriveFamily(const std::string& strName, EDriveFamily& eFamily);
