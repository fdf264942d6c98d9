#pragma once

#include <string>
#include <vector>

// A serial device the Port menu offers below COM1 to COM4.
struct CSerialDevice {
    std::string strPath; // stored as the port
    std::string strText; // as the menu shows it ('&' doubled)
};

// The serial ports the platform knows of, and the names a user types.
class IPortCatalog
{
public:
    virtual ~IPortCatalog() = default;

    // The devices present, looked for each time the Port menu opens. A
    // stored device (strStoredPort) that is not among them is kept, marked
    // as absent: the adapter may be plugged in later.
    virtual std::vector<CSerialDevice> ListSerialDevices(const std::string& strStoredPort) = 0;
    // The port a name typed under "Other..." stands for (e.g. a bare device
    // name on Linux is one of /dev); strTyped is trimmed and not empty.
    virtual std::string PortFromTyped(const std::string& strTyped) = 0;
    // Whether a port is offered again as the answer "Other..." starts with
    // (a device path, not one of the menu's names).
    virtual bool IsTypedPort(const std::string& strPort) = 0;
};
