// The reader thread: every byte from the adapter, in order, to the queue.

#include "core/serial/WireLog.h"
#include "win32/SerialPort.h"

namespace
{
// Received characters and every modem-line change end the first wait.
constexpr DWORD kFirstWaitEvents = EV_RXCHAR | EV_CTS | EV_DSR | EV_RLSD | EV_RING;

// Between reads of a port that reports no events.
constexpr DWORD kIdlePauseMs = 25;

enum class EWaitEnd { Done, Stopped, Failed };

// Ends an overlapped operation that bStarted tells the start of: done, or
// failed (the adapter is gone), or cancelled because Close woke us.
EWaitEnd Complete(CSerialPort* pPort, OVERLAPPED& operation, BOOL bStarted, DWORD& nTransferred)
{
    nTransferred = 0;
    if (!bStarted && GetLastError() != ERROR_IO_PENDING)
        return EWaitEnd::Failed;
    if (!bStarted) {
        const HANDLE handles[2]{operation.hEvent, pPort->m_hShutdownEvent};
        if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0) {
            // The operation uses our buffers until it has ended.
            CancelIoEx(pPort->m_hComm, &operation);
            GetOverlappedResult(pPort->m_hComm, &operation, &nTransferred, TRUE);
            return EWaitEnd::Stopped;
        }
    }
    return GetOverlappedResult(pPort->m_hComm, &operation, &nTransferred, FALSE) ? EWaitEnd::Done
                                                                                 : EWaitEnd::Failed;
}

EWaitEnd WaitEvent(CSerialPort* pPort, OVERLAPPED& operation, DWORD& nEvents)
{
    nEvents = 0;
    ResetEvent(operation.hEvent);
    DWORD nUnused = 0;
    return Complete(pPort, operation, WaitCommEvent(pPort->m_hComm, &nEvents, &operation), nUnused);
}

// Bytes waiting in the input queue; false when the port no longer answers.
bool BytesWaiting(CSerialPort* pPort, DWORD& nWaiting)
{
    DWORD nErrors = 0;
    COMSTAT status{};
    const bool bAnswered = ClearCommError(pPort->m_hComm, &nErrors, &status);
    nWaiting = bAnswered ? status.cbInQue : 0;
    return bAnswered;
}

// Tells the queue once that the device is gone, then sleeps until Close
// wakes us: a pulled adapter never comes back, and must not be polled.
unsigned ReportHangup(CSerialPort* pPort)
{
    pPort->m_pQueue->PostHangup();
    while (!pPort->m_bStopThread)
        WaitForSingleObject(pPort->m_hShutdownEvent, INFINITE);
    return 0;
}

// Waits for received bytes: for the port event where the port reports
// events, else (Wine on a pseudo-terminal, whose waits always fail) for the
// idle pause. Stopped when Close woke us; Failed when the port is gone.
EWaitEnd WaitForBytes(CSerialPort* pPort, OVERLAPPED& operation, bool& bEventsWork, DWORD& nEvents)
{
    nEvents = 0;
    DWORD nWaiting = 0;
    if (bEventsWork) {
        const EWaitEnd eEnd = WaitEvent(pPort, operation, nEvents);
        if (eEnd != EWaitEnd::Failed)
            return eEnd;
        if (!BytesWaiting(pPort, nWaiting))
            return EWaitEnd::Failed;
        bEventsWork = false;
    }
    return WaitForSingleObject(pPort->m_hShutdownEvent, kIdlePauseMs) == WAIT_OBJECT_0
               ? EWaitEnd::Stopped
               : EWaitEnd::Done;
}

unsigned ReadUntilStopped(CSerialPort* pPort, OVERLAPPED& operation)
{
    bool bEventsWork = true;
    // Waiting for the first received character; other events are ignored.
    for (;;) {
        DWORD nEvents = 0;
        const EWaitEnd eEnd = WaitForBytes(pPort, operation, bEventsWork, nEvents);
        SetCommMask(pPort->m_hComm, EV_RXCHAR);
        if (pPort->m_bStopThread || eEnd == EWaitEnd::Stopped)
            return 0;
        if (eEnd == EWaitEnd::Failed)
            return ReportHangup(pPort);
        if ((nEvents & EV_RXCHAR) || !bEventsWork)
            break;
    }

    // What is there, a pass. Where the port reports events, an empty queue
    // waits for the next received character or Close, so an idle line costs
    // no wake-ups and a byte is not delayed; elsewhere it pauses and reads
    // what came meanwhile (a read is how a hang-up shows there). While the
    // receiver is behind we wait for room and the port holds the bytes; they
    // then come in larger chunks.
    const std::shared_ptr<CReceiveGate> pGate = pPort->m_pReceiveGate;
    for (;;) {
        DWORD nWaiting = 0;
        if (!BytesWaiting(pPort, nWaiting))
            return ReportHangup(pPort);
        if (nWaiting == 0) {
            DWORD nEvents = 0;
            const EWaitEnd eEnd = WaitForBytes(pPort, operation, bEventsWork, nEvents);
            if (eEnd == EWaitEnd::Stopped || pPort->m_bStopThread)
                return 0;
            if (eEnd == EWaitEnd::Failed)
                return ReportHangup(pPort);
            if (bEventsWork)
                continue;
        }
        if (!pGate->Enter(pPort->m_bStopThread))
            return 0;
        unsigned char bytes[kMaxChunkBytes];
        const DWORD nWanted =
            nWaiting > 0 && nWaiting < sizeof bytes ? nWaiting : DWORD(sizeof bytes);
        ResetEvent(operation.hEvent);
        DWORD nRead = 0;
        const EWaitEnd eEnd = Complete(
            pPort, operation, ReadFile(pPort->m_hComm, bytes, nWanted, nullptr, &operation), nRead);
        if (eEnd != EWaitEnd::Done)
            nRead = 0;
        for (DWORD i = 0; i < nRead; ++i)
            CWireLog::Received(bytes[i]);
        if (nRead == 0)
            pGate->Leave();
        else
            pPort->m_pQueue->PostReceived(
                CReceivedChunk(std::string(reinterpret_cast<const char*>(bytes), nRead), pGate));
        if (pPort->m_bStopThread || eEnd == EWaitEnd::Stopped)
            return 0;
        if (eEnd == EWaitEnd::Failed)
            return ReportHangup(pPort);
    }
}
} // namespace

unsigned SerialReaderThread(CSerialPort* pPort)
{
    OVERLAPPED operation{};
    operation.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!operation.hEvent)
        return 0;
    SetCommMask(pPort->m_hComm, kFirstWaitEvents);
    const unsigned nResult = pPort->m_bStopThread ? 0 : ReadUntilStopped(pPort, operation);
    CloseHandle(operation.hEvent);
    return nResult;
}
