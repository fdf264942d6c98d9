// The adapter's reply lines, each recognised by the tokens it contains.

#include "core/protocol/ReplyRules.h"

#include "core/settings/SettingLists.h"

#include <algorithm>

namespace
{

// The tokens, searched for anywhere in the lower-cased line (the family
// tokens are in the family table).
constexpr std::string_view kTokenAccepted = "accepted";
constexpr std::string_view kTokenResolution = "resolution:";
constexpr std::string_view kTokenCurrent = "current:";
constexpr std::string_view kTokenIdleCurrent = "idle current:";

// Only ASCII letters change case; other bytes stay as received.
std::string AsciiLower(std::string_view str)
{
    std::string strLower(str);
    for (char& ch : strLower) {
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    }
    return strLower;
}

bool Contains(std::string_view str, std::string_view part)
{
    return str.find(part) != std::string_view::npos;
}

// The recalled value: the line after as many characters as its token has,
// counted from the start of the line.
std::string_view ValueText(std::string_view strLine, std::string_view token)
{
    return strLine.substr(std::min(token.size(), strLine.size()));
}

// Each test on its own: a later hit overrides an earlier one.
int ResolutionIndex(std::string_view strValue)
{
    int nIndex = -1;
    for (std::size_t i = 0; i < kResolutionList.size(); ++i) {
        if (Contains(strValue, kResolutionList[i].pszText))
            nIndex = static_cast<int>(i);
    }
    return nIndex;
}

// The first hit counts; a value with a '0' but no hit is "0".
int IdleIndex(std::string_view strValue)
{
    for (std::size_t i = 1; i < kIdleList.size(); ++i) {
        if (Contains(strValue, kIdleList[i].pszText))
            return static_cast<int>(i);
    }
    return Contains(strValue, kIdleList[0].pszText) ? 0 : -1;
}

// Matched against the percent texts whatever the family shows: "10" is
// tested first, as it is part of "100".
int CurrentIndex(std::string_view strValue)
{
    constexpr std::size_t kHundred = kCurrentPercentList.size() - 1;
    int nIndex = -1;
    if (Contains(strValue, kCurrentPercentList[0].pszText))
        nIndex = Contains(strValue, kCurrentPercentList[kHundred].pszText)
                     ? static_cast<int>(kHundred)
                     : 0;
    for (std::size_t i = 1; i < kHundred; ++i) {
        if (Contains(strValue, kCurrentPercentList[i].pszText))
            nIndex = static_cast<int>(i);
    }
    return nIndex;
}

} // namespace

CReplyResult InterpretReply(std::string_view strReceived, bool bRecallPending)
{
    const std::string strLine = AsciiLower(strReceived);
    CReplyResult result;
    result.bAccepted = Contains(strLine, kTokenAccepted);
    for (const CDriveFamily& family : kDriveFamilies) {
        if (Contains(strLine, family.pszToken))
            result.families.push_back(family.eFamily);
    }
    if (!bRecallPending)
        return result;
    auto setting = [&result](ESetting eSetting) -> CSettingLine& {
        return result.settings[static_cast<std::size_t>(eSetting)];
    };
    if (Contains(strLine, kTokenResolution))
        setting(ESetting::Resolution) = {true,
                                         ResolutionIndex(ValueText(strLine, kTokenResolution))};
    if (Contains(strLine, kTokenIdleCurrent))
        setting(ESetting::Idle) = {true, IdleIndex(ValueText(strLine, kTokenIdleCurrent))};
    else if (Contains(strLine, kTokenCurrent))
        setting(ESetting::Current) = {true, CurrentIndex(ValueText(strLine, kTokenCurrent))};
    return result;
}

std::string TrimReply(std::string_view str)
{
    constexpr std::string_view kTrimmed = "\t \n\r";
    const std::size_t nBegin = str.find_first_not_of(kTrimmed);
    if (nBegin == std::string_view::npos)
        return {};
    const std::size_t nEnd = str.find_last_not_of(kTrimmed);
    return std::string(str.substr(nBegin, nEnd - nBegin + 1));
}
