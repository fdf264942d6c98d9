// The reader thread: every byte from the adapter, in order, to the owner.

#include "platform/RegisteredMessage.h"
#include "serial/SerialPort.h"
#include "serial/WireLog.h"

#include <QCoreApplication>
#include <pthread.h>

#if defined(__SANITIZE_THREAD__)
extern "C" void AnnotateIgnoreWritesBegin(const char* pFile, int nLine);
extern "C" void AnnotateIgnoreWritesEnd(const char* pFile, int nLine);
extern "C" void AnnotateIgnoreReadsBegin(const char* pFile, int nLine);
extern "C" void AnnotateIgnoreReadsEnd(const char* pFile, int nLine);
#endif

namespace
{
// Received characters and every modem-line change end the first wait.
constexpr std::uint32_t kFirstWaitEvents = EV_RXCHAR | EV_CTS | EV_DSR | EV_RLSD | EV_RING;

// Qt's event queue hands the event to the GUI thread under a lock the thread
// sanitizer cannot see, Qt not being instrumented; in that build the making
// and queueing of the event are kept out of its view, or every handler (and
// the queue growing on this thread) would look racy.
template <class TMake> void PostToOwner(CSerialPort* pPort, TMake make)
{
    if (!pPort->m_pOwner)
        return;
#if defined(__SANITIZE_THREAD__)
    AnnotateIgnoreWritesBegin(__FILE__, __LINE__);
    AnnotateIgnoreReadsBegin(__FILE__, __LINE__);
#endif
    QCoreApplication::postEvent(pPort->m_pOwner, make());
#if defined(__SANITIZE_THREAD__)
    AnnotateIgnoreReadsEnd(__FILE__, __LINE__);
    AnnotateIgnoreWritesEnd(__FILE__, __LINE__);
#endif
}

// Tells the owner once that the device is gone, then sleeps until Close
// wakes us: a hung-up device never comes back, and must not be polled.
unsigned ReportHangup(CSerialPort* pPort)
{
    PostToOwner(pPort, [] { return new QEvent(PROC_KOLV_HANGUP); });
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
    // delayed. While the owner is behind we wait for room and the terminal
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
        if (nRead == 0 || !pPort->m_pOwner) {
            pGate->Leave();
        } else {
            PostToOwner(pPort, [&] {
                return new CReceivedByteEvent(CReceivedChunk(
                    QByteArray(reinterpret_cast<const char*>(bytes), qsizetype(nRead)), pGate));
            });
        }
        if (pPort->m_bStopThread)
            return 0;
        if (port.IsGone())
            return ReportHangup(pPort);
    }
}
