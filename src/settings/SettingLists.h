#pragma once

#include <array>
#include <span>

// One entry of a setting list: the text the user sees and the one-digit code
// the drive protocol sends for it.
struct CSettingEntry {
    const char* pszText;
    int nCode;
};

inline constexpr std::array<CSettingEntry, 4> kResolutionList{{
    {"400", 4},
    {"1000", 1},
    {"2000", 2},
    {"5000", 5},
}};

// Motor current of the PKN61/72 family, in percent.
inline constexpr std::array<CSettingEntry, 10> kCurrentPercentList{{
    {"10", 1},
    {"20", 2},
    {"30", 3},
    {"40", 4},
    {"50", 5},
    {"60", 6},
    {"70", 7},
    {"80", 8},
    {"90", 9},
    {"100", 0},
}};

// Motor current of the RT3180 family, in ampere.
inline constexpr std::array<CSettingEntry, 10> kCurrentAmpereList{{
    {"0.4", 1},
    {"0.8", 2},
    {"1.2", 3},
    {"1.6", 4},
    {"2.0", 5},
    {"2.4", 6},
    {"2.8", 7},
    {"3.2", 8},
    {"3.6", 9},
    {"4", 0},
}};

inline constexpr std::array<CSettingEntry, 8> kIdleList{{
    {"0", 0},
    {"10", 1},
    {"20", 2},
    {"30", 3},
    {"40", 4},
    {"50", 5},
    {"60", 6},
    {"70", 7},
}};

inline constexpr int kDefaultResolution = 2; // "2000"
inline constexpr int kDefaultCurrent = 7;    // "80" or "3.2"
inline constexpr int kDefaultIdle = 2;       // "20"

// The drive families: what a reply names the family by, what the status
// line says when it accepts a command, and its motor-current list. A new
// family is one more row; the first family named in a line is handled first.
struct CDriveFamily {
    const char* pszToken;    // searched for in the lower-cased reply line
    const char* pszAccepted; // the status text once the family has answered
    std::span<const CSettingEntry> currentList;
    const char* pszCurrentUnit;
    int nFlag; // the family's flag of SetDriveFamily
    const char* pszName;
};

inline constexpr std::array<CDriveFamily, 2> kDriveFamilies{{
    {"rt3180", "RT3180 SPI Interface commands accepted!", kCurrentAmpereList, "A", 1, "RT3180"},
    {"pkn61", "PKN61/72 SPI Interface commands accepted!", kCurrentPercentList, "%", 0, "PKN61/72"},
}};

// The family a flag of SetDriveFamily selects: any non-zero flag is RT3180.
const CDriveFamily& DriveFamily(int nFlag);
// The family the lists show until a drive has named its own.
inline constexpr int kStartFamilyFlag = 0;
