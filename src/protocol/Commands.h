#pragma once

#include <QByteArray>

// The commands the adapter understands. None carries a line end.
inline const QByteArray kCmdQuery = QByteArrayLiteral("?:");
inline const QByteArray kCmdSettings = QByteArrayLiteral("S:");
inline const QByteArray kCmdTestOn = QByteArrayLiteral("P:");
inline const QByteArray kCmdTestOff = QByteArrayLiteral("D:");
inline const QByteArray kCmdResolution = QByteArrayLiteral("R:");
inline const QByteArray kCmdCurrent = QByteArrayLiteral("I:");
inline const QByteArray kCmdIdle = QByteArrayLiteral("ID:");

// Milliseconds the drive has to answer a command.
inline constexpr int kReplyTimeout = 3500;
inline constexpr int kResolutionReplyTimeout = 5000;

// A setting command: its prefix and the item code as one digit. The command
// keeps its fixed length, so a code outside 0..9 is cut (a missing selection,
// -1, goes out as the prefix and a minus sign).
QByteArray SettingCommand(const QByteArray& prefix, int nCode);
