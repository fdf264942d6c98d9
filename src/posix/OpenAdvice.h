#pragma once

#include <string>

// What the user reads when a port cannot be opened: why, and what helps.

// Who may use a device, and who holds it: what the advice is made from.
struct CDeviceAccess {
    unsigned nMode = 0; // permission bits of the device
    std::string strOwner;
    std::string strGroup;
    std::string strHolder; // "name (process N)" holding the device; empty when unknown
};

// What to do when the device may not be opened: join the group only when a
// group other than root may read and write it; otherwise a udev rule.
std::string PermissionAdvice(const CDeviceAccess& access);
// Names the process that holds the device, where one is known.
std::string BusyAdvice(const CDeviceAccess& access);
// strKind: what the path is ("a FIFO (named pipe)", ...).
std::string NotATerminalAdvice(const std::string& strKind);
// A name that is neither COMn nor a path.
std::string NotAPortNameAdvice(const std::string& strName);
// A COMn that fell back to a standard device: how to map it to another one.
std::string MappingHint(const std::string& strName, const std::string& strLink);

inline constexpr const char* kAdviceAbsent =
    "The device does not exist. Is the adapter plugged in?";
inline constexpr const char* kAdviceNoHardware =
    "There is no serial port hardware behind this device.";
