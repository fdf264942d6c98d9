#pragma once

#include <string>
#include <utility>
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
    // strFamilyLine: what it answers to "?:"; empty for the family's own line.
    explicit CDriveModel(EDriveFamily eFamily, int nKeepResolution = -1,
                         std::string strFamilyLine = {})
        : m_eFamily(eFamily), m_nKeepResolution(nKeepResolution),
          m_strFamilyLine(std::move(strFamilyLine))
    {
    }

    std::vector<std::string> Answer(const std::string& strCommand);

    EDriveFamily Family() const { return m_eFamily; }
    const CDriveSettings& Settings() const { return m_settings; }

private:
    EDriveFamily m_eFamily;
    int m_nKeepResolution;
    std::string m_strFamilyLine;
    CDriveSettings m_settings;
};

// "rt3180" or "pkn61" as the program's options name them; false for anything else.
// The code of a resolution the drive reports as strText ("1000"); false when none.
bool ParseResolution(const std::string& strText, int& nCode);

bool ParseDriveFamily(const std::string& strName, EDriveFamily& eFamily);
