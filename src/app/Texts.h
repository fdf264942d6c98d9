#pragma once

// Texts of the main dialog's title, captions and status line, exactly as the
// user sees them. Written here once; everything else refers to these.

inline constexpr const char* kTextTitle = "PKN61/72 & RT3180 SPI Interface";
inline constexpr const char* kTextBanner = "PKN61/72 RT3180 SPI Interface";
inline constexpr const char* kTextTestOn = "Test On";
inline constexpr const char* kTextTestOff = "Test Off";
inline constexpr const char* kTextConnect = "Connect";
inline constexpr const char* kTextDisconnect = "Disconnect";

// Port menu: the entry that asks for a device path, and its question.
inline constexpr const char* kTextOtherPort = "Other...";
inline constexpr const char* kTextAskDevicePath = "Device path of the serial port:";

// Status line; the port name follows the texts that end in a blank.
inline constexpr const char* kStatusNotConnectedStartup =
    "PKN61/72 & RT3180 SPI Interface not connected to: ";
inline constexpr const char* kStatusNotConnected = "RT3180 SPI Interface not connected to: ";
inline constexpr const char* kStatusConnected = "PKN61/72 & RT3180 SPI Interface connected to: ";
// The drive's own texts (sending, accepted, connection lost) are the drive
// link's: protocol/DriveProtocol.h and the family table.
