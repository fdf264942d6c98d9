#pragma once

#include "platform/TtyDevice.h"
#include "platform/WakeEvent.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <thread>

class QObject;

// The one serial link to the adapter: opens and configures a port, starts the
// reader that hands every received byte to m_pOwner, writes commands for the
// GUI thread and releases it all again. Failures are shown in message boxes.
class CSerialPort
{
public:
    CSerialPort() = default;
    // Closes a port that is still open, so the reader never outlives us.
    ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // True when the port was opened, even if a configuration step failed
    // (that is reported); false when it cannot be opened.
    bool Open(QString strPort);
    // Blocks until the bytes are written or the write bound has passed.
    bool Write(const void* pBuffer, std::uint32_t nCount);
    // Stops the reader, then releases the port. Nothing when nothing is held.
    void Close();

    // Receives every byte as a CReceivedByteEvent; set before Open.
    QObject* m_pOwner = nullptr;
    // Set by every Open, whether or not the port opened; never cleared.
    bool m_bOpened = false;
    // Wakes the reader from any wait; exists from Open to Close.
    CWakeEvent m_hShutdownEvent;
    CTtyDevice m_hComm;
    CCommTimeouts m_CommTimeouts;
    const std::uint32_t m_dwEventMask = EV_RXCHAR | EV_TXEMPTY | EV_CTS;
    // The only value both threads touch while the reader runs.
    std::atomic<bool> m_bStopThread{false};
    std::thread m_hThread;
    QString m_strPort;
    std::uint32_t m_nBaudRate = 9600;
};

// The reader: waits for the first received character, then reads the port a
// byte a pass until m_bStopThread is set. Returns 0.
unsigned SerialReaderThread(CSerialPort* pPort);
