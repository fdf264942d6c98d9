#pragma once

#include "core/settings/RT3180Data.h"

#include <array>
#include <string>
#include <string_view>

// The commands the adapter understands. None carries a line end.
inline constexpr std::string_view kCmdQuery = "?:";
inline constexpr std::string_view kCmdSettings = "S:";
inline constexpr std::string_view kCmdTestOn = "P:";
inline constexpr std::string_view kCmdTestOff = "D:";
inline constexpr std::string_view kCmdResolution = "R:";
inline constexpr std::string_view kCmdCurrent = "I:";
inline constexpr std::string_view kCmdIdle = "ID:";

// A setting command: its prefix and the item code as one digit. The command
// keeps its fixed length, so a code outside 0..9 is cut (a missing selection,
// -1, goes out as the prefix and a minus sign).
std::string SettingCommand(std::string_view prefix, int nCode);

// What a step sends: a fixed command, or one of the settings Apply sends.
enum class ECommand { Query, Settings, Resolution, Current, Idle, TestToggle };

// One command step: light TX, wait the lead-in, write, arm the reply timer,
// put TX out, wait the trailing time. Milliseconds.
struct CCommandStep {
    ECommand eCommand;
    unsigned nLeadIn;
    unsigned nReplyTimeout;
    unsigned nTrailing;
};

// The schedule of every sequence, in the order sent.
inline constexpr std::array<CCommandStep, 2> kRecallSequence{{
    {ECommand::Query, 50, 3500, 50},
    {ECommand::Settings, 50, 3500, 0},
}};
inline constexpr std::array<CCommandStep, 4> kApplySequence{{
    {ECommand::Query, 100, 3500, 1000},
    // The drive takes longest to answer a new resolution.
    {ECommand::Resolution, 50, 5000, 3500},
    {ECommand::Current, 50, 3500, 1100},
    {ECommand::Idle, 50, 3500, 1100},
}};
inline constexpr std::array<CCommandStep, 1> kTestSequence{{
    {ECommand::TestToggle, 100, 3500, 1000},
}};

// What Apply sends: the selected positions and the family whose current
// list they were selected in (the codes are the lists' item codes).
struct CApplySettings {
    CRT3180Data positions = kNoPositions;
    EDriveFamily eCurrentList = kStartFamily;
};

// The bytes of a step's command, given the settings and the test state.
std::string CommandBytes(ECommand eCommand, const CApplySettings& settings, bool bTestOn);
