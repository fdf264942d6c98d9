#include "posix/OpenAdvice.h"

#include <cstdio>

std::string PermissionAdvice(const CDeviceAccess& access)
{
    char mode[16];
    std::snprintf(mode, sizeof mode, "%04o", access.nMode);
    if (access.strGroup != "root" && (access.nMode & 0060) == 0060)
        return "You have no permission to use the device. Members of the group \"" +
               access.strGroup + "\" may read and write it (mode " + mode +
               "). Add your user to it:\n  sudo usermod -aG " + access.strGroup +
               " $USER\nthen log out and in again.";
    return "You have no permission to use the device. Only " + access.strOwner +
           " may read and write it (owner " + access.strOwner + ", group " + access.strGroup +
           ", mode " + mode +
           "), so joining a group does not help.\n"
           "Give access with a udev rule, as the README shows, e.g. in "
           "/etc/udev/rules.d/70-rt3180.rules:\n"
           "  SUBSYSTEM==\"tty\", ENV{ID_BUS}==\"usb\", TAG+=\"uaccess\"\n"
           "then plug the adapter in again.";
}

std::string BusyAdvice(const CDeviceAccess& access)
{
    if (access.strHolder.empty())
        return "The port is busy: another program holds it.";
    return "The port is busy: " + access.strHolder +
           " holds it. Close that program, then "
           "connect again.";
}

std::string NotATerminalAdvice(const std::string& strKind)
{
    return "This is " + strKind + ", not a serial port (not a terminal device).";
}

std::string NotAPortNameAdvice(const std::string& strName)
{
    return "\"" + strName +
           "\" is not a serial port name. Use COM1 to COM4 (COMn in general) or a device "
           "path such as /dev/ttyUSB0.";
}

std::string MappingHint(const std::string& strName, const std::string& strLink)
{
    return "To use another device as " + strName + ", make " + strLink + " a link to it.";
}
