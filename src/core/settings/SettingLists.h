#pragma once

#include <array>
#include <span>
#include <string_view>

// The three settings the drive keeps, in the order Apply sends them.
enum class ESetting { Resolution, Current, Idle };
inline constexpr std::array<ESetting, 3> kSettings{ESetting::Resolution, ESetting::Current,
                                                   ESetting::Idle};

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

enum class EDriveFamily { Rt3180, Pkn61 };

// The drive families: what a reply names the family by, what the status
// line says when it accepts a command, and its motor-current list. A new
// family is one more row; the first family named in a line is handled first.
struct CDriveFamily {
    EDriveFamily eFamily;
    const char* pszToken;    // searched for in the lower-cased reply line
    const char* pszAccepted; // the status text once the family has answered
    std::span<const CSettingEntry> currentList;
    const char* pszCurrentUnit;
    const char* pszName;
};

inline constexpr std::array<CDriveFamily, 2> kDriveFamilies{{
    {EDriveFamily::Rt3180, "rt3180", "RT3180 SPI Interface commands accepted!", kCurrentAmpereList,
     "A", "RT3180"},
    {EDriveFamily::Pkn61, "pkn61", "PKN61/72 SPI Interface commands accepted!", kCurrentPercentList,
     "%", "PKN61/72"},
}};

const CDriveFamily& DriveFamily(EDriveFamily eFamily);
// The family the lists show until a drive has named its own.
inline constexpr EDriveFamily kStartFamily = EDriveFamily::Pkn61;
// Whose accepted text the status line shows until a drive has named its family.
inline constexpr EDriveFamily kStartAcceptedFamily = EDriveFamily::Rt3180;

// The list a setting chooses from; the current list is the family's.
std::span<const CSettingEntry> SettingList(ESetting eSetting, EDriveFamily eFamily);
// The position of an entry's text in a list; -1 when no entry has it.
int PositionOf(std::span<const CSettingEntry> list, std::string_view strText);
// The item code at a position of a list; -1 for a position outside it (no selection).
int ItemCode(std::span<const CSettingEntry> list, int nPosition);
