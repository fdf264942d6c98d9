#pragma once

#include "platform/RegisteredMessage.h"
#include "platform/TtyDevice.h"
#include "platform/WakeEvent.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
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

    // Receives the bytes as CReceivedByteEvents; set before Open.
    QObject* m_pOwner = nullptr;
    // What the reader may have posted and the owner not yet handled; a new
    // one each Open, as events of the last link may still be queued.
    std::shared_ptr<CReceiveGate> m_pReceiveGate;
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
    // Tests make one configuration step of Open report a failure (0 to 4, in
    // the order Open takes them) to see it shown; -1 in the program.
    static inline int s_nFailingStep = -1;
};

// Received bytes are handed over in chunks of at most this many, with at
// most kMaxChunksPosted of them not yet handled.
inline constexpr std::size_t kMaxChunkBytes = 256;
inline constexpr int kMaxChunksPosted = 16;

// The reader: waits for the first received character, then reads the port,
// what is there a pass, until m_bStopThread is set. Returns 0.
unsigned SerialReaderThread(CSerialPort* pPort);
