#pragma once

#include "core/settings/SettingLists.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

// A setting line of a recall: seen (it answers, and refreshes the status),
// and the list position its value selects (-1: the selection stays).
struct CSettingLine {
    bool bSeen = false;
    int nIndex = -1;
};

// What one reply line says. Each test stands on its own, so a line may say
// several things; they are acted on in the order of the members, the
// settings in the order of kSettings.
struct CReplyResult {
    bool bAccepted = false;
    std::vector<EDriveFamily> families; // in the order of kDriveFamilies
    // Indexed by ESetting; a "current:" line counts only without "idle current:".
    std::array<CSettingLine, 3> settings;

    const CSettingLine& operator[](ESetting eSetting) const
    {
        return settings[static_cast<std::size_t>(eSetting)];
    }
};

// The rules for one received line (without its carriage return). Tokens are
// searched for anywhere in the lower-cased line; the setting lines count
// only while a recall is pending. Values are matched against the lists' texts.
CReplyResult InterpretReply(std::string_view strLine, bool bRecallPending);

// The line as the reply line shows it: tabs, blanks, line feeds and
// carriage returns trimmed from both ends, each byte a Latin-1 character,
// in UTF-8.
std::string TrimReply(std::string_view str);
