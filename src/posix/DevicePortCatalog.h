#pragma once

#include <QList>
#include <QString>

// A serial device the Port menu offers beside COM1 to COM4.
struct CSerialDevice {
    QString strPath; // stored as the port: the stable by-id link where there is one
    QString strText; // as the menu shows it
};

// The serial devices present, looked for under the device folder:
// serial/by-id/ entries first (a readable name and the device each points to),
// then ttyUSB* and ttyACM* devices that no by-id entry points to. A stored
// path (strStoredPort with a '/') that is not among them is kept, marked as
// absent: the adapter may be plugged in later.
QList<CSerialDevice> ListSerialDevices(const QString& strStoredPort);

// The folder scanned, /dev unless set (tests point it at a folder of their
// own). Returns the previous one.
QString SetDeviceFolder(const QString& strFolder);
