#pragma once

#include "core/serial/SerialPort.h"

#include <atomic>
#include <memory>
#include <thread>
#include <windows.h>

// The serial link on a Win32 communications port, opened exclusively for
// overlapped I/O: 9600 8N1, DTR on, RTS off, reads that return at once,
// writes bounded by the write time-outs, and a reader thread that Close
// wakes at once through the shutdown event.
class CSerialPort : public ISerialPort
{
public:
    CSerialPort() = default;
    // Closes a port that is still open, so the reader never outlives us.
    ~CSerialPort() override;
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    COpenResult Open(const std::string& strPort, IReceiveQueue& queue) override;
    bool Write(std::string_view bytes) override;
    void Close() override;
    bool WasOpened() const override { return m_bOpened; }

    // The name CreateFileA is given: "\\.\" before the port name, which
    // COM10 and above need; "COM2:" opens COM2.
    static std::string DeviceName(const std::string& strPort);

    // Tests make one configuration step of Open fail (0 to 4, in the order
    // Open takes them) to see it reported; -1 in the program.
    static inline int s_nFailingStep = -1;

    // What the port and its reader share.
    // Receives what the reader finds; set by Open.
    IReceiveQueue* m_pQueue = nullptr;
    // What the reader may have posted and the receiver not yet handled; a new
    // one each Open, as chunks of the last link may still be queued.
    std::shared_ptr<CReceiveGate> m_pReceiveGate;
    bool m_bOpened = false;
    // Manual-reset; wakes the reader from any wait. Exists from Open to Close.
    HANDLE m_hShutdownEvent = nullptr;
    // Null when nothing was opened, INVALID_HANDLE_VALUE after a failed open.
    HANDLE m_hComm = nullptr;
    COMMTIMEOUTS m_CommTimeouts{};
    const DWORD m_dwEventMask = EV_RXCHAR | EV_TXEMPTY | EV_CTS;
    // The only value both threads touch while the reader runs.
    std::atomic<bool> m_bStopThread{false};
    std::thread m_hThread;
    std::string m_strPort;
    DWORD m_nBaudRate = 9600;
};

// The reader: waits for the first received character, then reads what is
// there a pass until m_bStopThread is set. Returns 0.
unsigned SerialReaderThread(CSerialPort* pPort);
