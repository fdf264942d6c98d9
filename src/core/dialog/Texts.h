#pragma once

#include "Version.h"

// Texts of the dialogs, their captions, menus, boxes and status line,
// exactly as the user sees them. Written here once; every window system
// and the command line refer to these.

inline constexpr const char* kTextTitle = "PKN61/72 & RT3180 SPI Interface";
inline constexpr const char* kTextBanner = "PKN61/72 RT3180 SPI Interface";
inline constexpr const char* kTextTestOn = "Test On";
inline constexpr const char* kTextTestOff = "Test Off";
inline constexpr const char* kTextConnect = "Connect";
inline constexpr const char* kTextDisconnect = "Disconnect";

// Title of the program's message boxes.
inline constexpr const char* kAppTitle = "RT3180";

// Port menu: the entry that asks for a device path, and its question.
inline constexpr const char* kTextOtherPort = "Other...";
inline constexpr const char* kTextAskDevicePath = "Device path of the serial port:";

// Status line; the port name follows the texts that end in a blank.
inline constexpr const char* kStatusNotConnectedStartup =
    "PKN61/72 & RT3180 SPI Interface not connected to: ";
inline constexpr const char* kStatusNotConnected = "RT3180 SPI Interface not connected to: ";
inline constexpr const char* kStatusConnected = "PKN61/72 & RT3180 SPI Interface connected to: ";
inline constexpr const char* kStatusSending = "Sending the New Settings,  wait ...";
inline constexpr const char* kStatusConnectionLost =
    "PKN61/72 & RT3180 SPI Interface Connection Lost!";
// The accepted texts are the drive families' (core/settings/SettingLists.h).

// Settings files.
inline constexpr const char* kTextNotSettingsFile = "This is not a valid settings file.";
inline constexpr const char* kTextSaveFailed = "The settings could not be saved.";
inline constexpr const char* kOpenInitialName = "*.rt3";
inline constexpr const char* kSaveInitialName = "Config_RT3180.rt3";
inline constexpr const char* kFilterSettingsText = "RT3180 Files (*.rt3)";
inline constexpr const char* kFilterSettingsPattern = "*.rt3";
inline constexpr const char* kFilterAllText = "All Files (*.*) ";
inline constexpr const char* kFilterAllPattern = "*.*";
inline constexpr const char* kDefaultExtension = "rt3";

// The system menu's entry and the About box.
inline constexpr const char* kTextAboutEntry = "&About RT3180...";
inline constexpr const char* kAboutTitle = "About RT3180";
inline constexpr const char* kAboutVersion = "RT3180 Version " RT3180_VERSION_SHORT;
inline constexpr const char* kAboutOK = "OK";
// The maker's web site: the link's caption and the address it opens.
inline constexpr const char* kMakerURL = "https://www.example.com/rt3180";

// The log given with --log cannot be opened.
inline constexpr const char* kTextLogNotWritten = "The log cannot be written.";
