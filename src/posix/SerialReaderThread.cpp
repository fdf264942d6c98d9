// The reader thread: every byte from the adapter, in order, to the queue.

#include "core/serial/WireLog.h"
#include "posix/SerialPort.h"

#include <pthread.h>

namespace
{
// Received characters and every modem-line change end the first wait.
constexpr std::uint32_t kFirstWaitEvents = EV_RXCHAR | EV_CTS | EV_DSR | EV_RLSD | EV_RING;

// Tells the queue once that the device is gone, then sleeps until Close
// wakes us: a hung-up device never comes back, and must not be polled.
unsigned ReportHangup(CSerialPort* pPort)
{
    pPort->m_pQueue->PostHangup();
    while (!pPort->m_bStopThread)
        pPort->m_hComm.WaitEvent(pPort->m_hShutdownEvent);
    return 0;
}
} // namespace

unsigned SerialReaderThread(CSerialPort* pPort)
{
    pthread_setname_np(pthread_self(), "rt3180-reader");
    CTtyDevice& port = pPort->m_hComm;
    const CWakeEvent& wake = pPort->m_hShutdownEvent;

    port.SetEventMask(kFirstWaitEvents);
    if (pPort->m_bStopThread)
        return 0;

    // Waiting for the first received character; other events are ignored.
    for (;;) {
        const std::uint32_t nEvents = port.WaitEvent(wake);
        port.SetEventMask(EV_RXCHAR);
        if (nEvents & EV_RXCHAR)
            break;
        if (pPort->m_bStopThread)
            return 0;
        if (port.IsGone())
            return ReportHangup(pPort);
    }

    // What is there, a pass. The idle pause lasts until a byte arrives or
    // Close wakes us, so an idle line costs no wake-ups and a byte is not
    // delayed. While the receiver is behind we wait for room and the terminal
    // holds the bytes; they then come in larger chunks.
    const std::shared_ptr<CReceiveGate> pGate = pPort->m_pReceiveGate;
    for (;;) {
        if (port.BytesWaiting() == 0)
            port.WaitEvent(wake);
        if (!pGate->Enter(pPort->m_bStopThread))
            return 0;
        unsigned char bytes[kMaxChunkBytes];
        const std::size_t nRead = port.ReadBytes(bytes, sizeof bytes);
        for (std::size_t i = 0; i < nRead; ++i)
            CWireLog::Received(bytes[i]);
        if (nRead == 0)
            pGate->Leave();
        else
            pPort->m_pQueue->PostReceived(
                CReceivedChunk(std::string(reinterpret_cast<const char*>(bytes), nRead), pGate));
        if (pPort->m_bStopThread)
            return 0;
        if (port.IsGone())
            return ReportHangup(pPort);
    }
}
