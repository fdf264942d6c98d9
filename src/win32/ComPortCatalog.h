#pragma once

#include "core/port/SerialDevices.h"

#include <string>
#include <string_view>
#include <vector>

// A serial port the system knows of, with the name Device Manager shows.
struct CComPortInfo {
    std::string strPort;         // "COM7"
    std::string strFriendlyName; // "USB Serial Port (COM7)"; empty when none
};

// "COM2" before "COM10": runs of digits compare by their value, the rest
// without regard to case.
bool NaturalLess(std::string_view strLeft, std::string_view strRight);

// The Port menu's device items for the ports present: those beyond COM1 to
// COM4, and any of those four that has a friendly name (which tells the user
// which one the adapter is), in natural order; then the stored port when it
// is none of them, marked " (absent)" unless present.
std::vector<CSerialDevice> PortMenuItems(std::vector<CComPortInfo> ports,
                                         const std::string& strStoredPort);

// The serial ports present: HKLM\HARDWARE\DEVICEMAP\SERIALCOMM, with the
// friendly names from SetupAPI's Ports class. A name typed is taken as a
// port name ("com7" as "COM7").
class CComPortCatalog : public IPortCatalog
{
public:
    std::vector<CSerialDevice> ListSerialDevices(const std::string& strStoredPort) override;
    std::string PortFromTyped(const std::string& strTyped) override;
    bool IsTypedPort(const std::string& strPort) override;

    static std::vector<CComPortInfo> PresentPorts();
};
