// The reader thread: every byte from the adapter, in order, to the owner.

#include "platform/RegisteredMessage.h"
#include "serial/SerialPort.h"
#include "serial/WireLog.h"

#include <QCoreApplication>
#include <pthread.h>

#if defined(__SANITIZE_THREAD__)
extern "C" void AnnotateIgnoreWritesBegin(const char* pFile, int nLine);
extern "C" void AnnotateIgnoreWritesEnd(const char* pFile, int nLine);
#endif

namespace
{
// Received characters and every modem-line change end the first wait.
constexpr std::uint32_t kFirstWaitEvents = EV_RXCHAR | EV_CTS | EV_DSR | EV_RLSD | EV_RING;

// Qt's event queue hands the event to the GUI thread under a lock the thread
// sanitizer cannot see, Qt not being instrumented; in that build the making
// of the event is kept out of its view, or every handler would look racy.
QEvent* NewByteEvent(unsigned char nByte)
{
#if defined(__SANITIZE_THREAD__)
    AnnotateIgnoreWritesBegin(__FILE__, __LINE__);
#endif
    QEvent* pEvent = new CReceivedByteEvent(nByte);
#if defined(__SANITIZE_THREAD__)
    AnnotateIgnoreWritesEnd(__FILE__, __LINE__);
#endif
    return pEvent;
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
    }

    // One byte a pass. The idle pause lasts until a byte arrives or Close
    // wakes us, so an idle line costs no wake-ups and a byte is not delayed.
    for (;;) {
        if (port.BytesWaiting() == 0)
            port.WaitEvent(wake);
        unsigned char nByte = 0;
        if (port.ReadByte(nByte)) {
            CWireLog::Received(nByte);
            if (pPort->m_pOwner)
                QCoreApplication::postEvent(pPort->m_pOwner, NewByteEvent(nByte));
        }
        if (pPort->m_bStopThread)
            return 0;
    }
}
