#pragma once

#include "core/port/SerialDevices.h"

#include <string>

// The serial devices under the device folder: serial/by-id/ entries first (a
// readable name and the device each points to), then ttyUSB* and ttyACM*
// devices that no by-id entry points to. A name typed without a '/' is one
// of /dev.
class CDevicePortCatalog : public IPortCatalog
{
public:
    std::vector<CSerialDevice> ListSerialDevices(const std::string& strStoredPort) override;
    std::string PortFromTyped(const std::string& strTyped) override;
    bool IsTypedPort(const std::string& strPort) override;

    // The folder scanned, /dev unless set (tests point it at a folder of
    // their own). Returns the previous one.
    static std::string SetDeviceFolder(const std::string& strFolder);
};
