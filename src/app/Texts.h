#pragma once

#include <array>

// Texts of the main dialog's title, captions and status line, exactly as the
// user sees them. Written here once; everything else refers to these.

inline constexpr const char* kTextTitle = "PKN61/72 & RT3180 SPI Interface";
inline constexpr const char* kTextBanner = "PKN61/72 RT3180 SPI Interface";
inline constexpr const char* kTextTestOn = "Test On";
inline constexpr const char* kTextTestOff = "Test Off";
inline constexpr const char* kTextConnect = "Connect";
inline constexpr const char* kTextDisconnect = "Disconnect";

// The Port menu's items, which are also the names of the ports they choose.
inline constexpr std::array<const char*, 4> kPortNames{"COM1", "COM2", "COM3", "COM4"};

// Status line; the port name follows the texts that end in a blank.
inline constexpr const char* kStatusNotConnectedStartup =
    "PKN61/72 & RT3180 SPI Interface not connected to: ";
inline constexpr const char* kStatusNotConnected = "RT3180 SPI Interface not connected to: ";
inline constexpr const char* kStatusConnected = "PKN61/72 & RT3180 SPI Interface connected to: ";
inline constexpr const char* kStatusSending = "Sending the New Settings,  wait ...";
inline constexpr const char* kStatusConnectionLost =
    "PKN61/72 & RT3180 SPI Interface Connection Lost!";
inline constexpr const char* kAcceptedRT3180 = "RT3180 SPI Interface commands accepted!";
inline constexpr const char* kAcceptedPKN6172 = "PKN61/72 SPI Interface commands accepted!";
