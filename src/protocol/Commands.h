#pragma once

#include <QByteArray>
#include <array>
#include <span>

// The commands the adapter understands. None carries a line end.
inline const QByteArray kCmdQuery = QByteArrayLiteral("?:");
inline const QByteArray kCmdSettings = QByteArrayLiteral("S:");
inline const QByteArray kCmdTestOn = QByteArrayLiteral("P:");
inline const QByteArray kCmdTestOff = QByteArrayLiteral("D:");
inline const QByteArray kCmdResolution = QByteArrayLiteral("R:");
inline const QByteArray kCmdCurrent = QByteArrayLiteral("I:");
inline const QByteArray kCmdIdle = QByteArrayLiteral("ID:");

// A setting command: its prefix and the item code as one digit. The command
// keeps its fixed length, so a code outside 0..9 is cut (a missing selection,
// -1, goes out as the prefix and a minus sign).
QByteArray SettingCommand(const QByteArray& prefix, int nCode);

// What a step sends: a fixed command, or one of the settings Apply sends.
enum class ECommand { Query, Settings, Resolution, Current, Idle, TestToggle };

// One command step: light TX, wait the lead-in, write, arm the reply timer,
// put TX out, wait the trailing time. Milliseconds.
struct CCommandStep {
    ECommand eCommand;
    unsigned nLeadIn;
    int nReplyTimeout;
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

// The item codes Apply sends: one digit each (-1 for a list without a selection).
struct CSettingCodes {
    int nResolution = -1;
    int nCurrent = -1;
    int nIdle = -1;
};

// The bytes of a step's command, given the settings and the test toggle.
QByteArray CommandBytes(ECommand eCommand, const CSettingCodes& codes, bool bTestOn);
