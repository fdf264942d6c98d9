#pragma once

#include <array>

class QComboBox;

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

inline constexpr const char* kUnitPercent = "%";
inline constexpr const char* kUnitAmpere = "A";

// Selects an entry by position. A position outside the list leaves the list
// with no selection.
void SetCurSel(QComboBox& list, int nIndex);
// The item code of the selected entry; -1 when nothing is selected.
int GetSelectedCode(const QComboBox& list);
