#include "DriveModel.h"

#include <array>

namespace
{

// Value texts by item code, as the drive reports them; nullptr: no such code.
// The motor current is reported in percent by both families.
constexpr std::array<const char*, 10> kResolutionTexts{nullptr, "1000",  "2000",  nullptr, "400",
                                                       "5000",  nullptr, nullptr, nullptr, nullptr};
constexpr std::array<const char*, 10> kCurrentTexts{"100", "10", "20", "30", "40",
                                                    "50",  "60", "70", "80", "90"};
constexpr std::array<const char*, 10> kIdleTexts{"0",  "10", "20", "30",    "40",
                                                 "50", "60", "70", nullptr, nullptr};

const char* TextOf(const std::array<const char*, 10>& texts, int nCode)
{
    return nCode >= 0 && nCode <= 9 ? texts[static_cast<size_t>(nCode)] : nullptr;
}

} // namespace

std::vector<std::string> CDriveModel::Answer(const std::string& strCommand)
{
    if (strCommand == "?:") {
        if (!m_strFamilyLine.empty())
            return {m_strFamilyLine};
        return {m_eFamily == EDriveFamily::RT3180 ? "RT3180 stepper drive, SPI link ready"
                                                  : "PKN61/72 stepper drive, SPI link ready"};
    }
    if (strCommand == "S:") {
        return {std::string("resolution: ") + TextOf(kResolutionTexts, m_settings.nResolution),
                std::string("current: ") + TextOf(kCurrentTexts, m_settings.nCurrent),
                std::string("idle current: ") + TextOf(kIdleTexts, m_settings.nIdle)};
    }
    if (strCommand == "P:" || strCommand == "D:")
        return {strCommand + " accepted"};

    // A setting: the prefix and one digit, as the framer guarantees.
    const int nCode = strCommand.back() - '0';
    const std::array<const char*, 10>* pTexts = nullptr;
    int* pSetting = nullptr;
    if (strCommand.starts_with("R:")) {
        pTexts = &kResolutionTexts;
        pSetting = &m_settings.nResolution;
    } else if (strCommand.starts_with("ID:")) {
        pTexts = &kIdleTexts;
        pSetting = &m_settings.nIdle;
    } else if (strCommand.starts_with("I:")) {
        pTexts = &kCurrentTexts;
        pSetting = &m_settings.nCurrent;
    }
    if (pTexts == nullptr || TextOf(*pTexts, nCode) == nullptr)
        return {strCommand + " rejected"}; // no code the drive knows: settings stay
    *pSetting = nCode;
    if (pSetting == &m_settings.nResolution && m_nKeepResolution >= 0)
        *pSetting = m_nKeepResolution; // says yes, keeps its own
    return {strCommand + " accepted"};
}

bool ParseDriveFamily(const std::string& strName, EDriveFamily& eFamily)
{
    if (strName == "rt3180")
        eFamily = EDriveFamily::RT3180;
    else if (strName == "pkn61")
        eFamily = EDriveFamily::PKN61;
    else
        return false;
    return true;
}

bool ParseResolution(const std::string& strText, int& nCode)
{
    for (int i = 0; i < int(kResolutionTexts.size()); ++i) {
        if (kResolutionTexts[size_t(i)] && strText == kResolutionTexts[size_t(i)]) {
            nCode = i;
            return true;
        }
    }
    return false;
}
