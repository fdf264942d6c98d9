// Opening, configuring, writing to and closing the serial port.

#include "win32/SerialPort.h"

#include "core/port/PortNames.h"
#include "core/serial/WireLog.h"
#include "win32/Win32Text.h"

#include <system_error>

namespace
{
// Reads return at once with what has arrived; a write may take 10 ms a byte
// plus one second.
constexpr COMMTIMEOUTS kTimeouts{MAXDWORD, 0, 0, 10, 1000};

bool IsPortHeld(HANDLE hComm)
{
    return hComm != nullptr && hComm != INVALID_HANDLE_VALUE;
}

// 9600 8N1, binary, no handshake, no character replacement, DTR on, RTS off;
// the XON/XOFF limits and the special characters stay as read.
void ApplyLineSettings(DCB& dcb, DWORD nBaudRate)
{
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = nBaudRate;
    dcb.fBinary = 1;
    dcb.fParity = 1;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = 0;
    dcb.fTXContinueOnXoff = 1;
    dcb.fOutX = 0;
    dcb.fInX = 0;
    dcb.fErrorChar = 0;
    dcb.fNull = 0;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fAbortOnError = 0;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
}
} // namespace

CSerialPort::~CSerialPort()
{
    Close();
}

std::string CSerialPort::DeviceName(const std::string& strPort)
{
    if (strPort.starts_with("\\\\"))
        return strPort;
    if (const std::optional<int> nNumber = ComPortNumber(strPort))
        return "\\\\.\\COM" + std::to_string(*nNumber);
    return "\\\\.\\" + strPort;
}

COpenResult CSerialPort::Open(const std::string& strPort, IReceiveQueue& queue)
{
    // Never two readers: whatever an earlier Open left is released first.
    Close();

    COpenResult result;
    m_bStopThread = false;
    m_pQueue = &queue;
    m_strPort = strPort;
    m_nBaudRate = 9600;
    m_bOpened = true;

    m_hShutdownEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_pReceiveGate = std::make_shared<CReceiveGate>(kMaxChunksPosted);
    const std::string strDevice = DeviceName(m_strPort);
    m_hComm = CreateFileA(strDevice.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                          OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (m_hComm == INVALID_HANDLE_VALUE) {
        const DWORD nError = GetLastError();
        result.strDetail = "Device: " + strDevice + "\n" + SystemReason(nError);
        return result;
    }
    result.bOpened = true;
    DWORD nErrors = 0;
    ClearCommError(m_hComm, &nErrors, nullptr);
    PurgeComm(m_hComm, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);

    // Each failed step is reported and the next one still runs.
    int nStep = 0;
    auto failed = [&nStep](BOOL bDone) { return s_nFailingStep == nStep++ || !bDone; };
    auto report = [&result](EOpenStep eStep) { result.failedSteps.push_back(eStep); };
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (failed(GetCommState(m_hComm, &dcb)))
        report(EOpenStep::GetCommState);
    if (failed(GetCommTimeouts(m_hComm, &m_CommTimeouts)))
        report(EOpenStep::GetCommTimeouts);
    m_CommTimeouts = kTimeouts;
    if (failed(SetCommTimeouts(m_hComm, &m_CommTimeouts)))
        report(EOpenStep::SetCommTimeouts);
    if (failed(SetCommMask(m_hComm, m_dwEventMask)))
        report(EOpenStep::SetCommMask);
    ApplyLineSettings(dcb, m_nBaudRate);
    if (failed(SetCommState(m_hComm, &dcb)))
        report(EOpenStep::SetCommState);
    EscapeCommFunction(m_hComm, SETDTR);

    // Without a reader no byte reaches the receiver; the reply time-out then
    // reports the link as lost, so there is nothing to show here.
    if (!m_hShutdownEvent)
        return result; // a reader we could not wake must not start
    try {
        m_hThread = std::thread(SerialReaderThread, this);
    } catch (const std::system_error&) {
    }
    return result;
}

bool CSerialPort::Write(std::string_view bytes)
{
    if (!IsPortHeld(m_hComm))
        return false;
    CWireLog::Sent(bytes);
    OVERLAPPED write{};
    write.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!write.hEvent)
        return false;
    bool bWritten = WriteFile(m_hComm, bytes.data(), DWORD(bytes.size()), nullptr, &write);
    if (!bWritten && GetLastError() == ERROR_IO_PENDING) {
        // The write time-outs end the write; should the port not keep them,
        // it is cancelled once they have passed.
        const DWORD nBound = DWORD(10 * bytes.size() + 1000 + 500);
        if (WaitForSingleObject(write.hEvent, nBound) != WAIT_OBJECT_0)
            CancelIoEx(m_hComm, &write);
        DWORD nWritten = 0;
        bWritten = GetOverlappedResult(m_hComm, &write, &nWritten, TRUE);
    }
    CloseHandle(write.hEvent);
    return bWritten;
}

void CSerialPort::Close()
{
    if (!m_hShutdownEvent && !IsPortHeld(m_hComm) && !m_hThread.joinable())
        return;

    // The flag first, so the woken reader finds it set.
    m_bStopThread = true;
    if (m_hShutdownEvent)
        SetEvent(m_hShutdownEvent);
    if (m_pReceiveGate)
        m_pReceiveGate->Wake();
    if (m_hThread.joinable())
        m_hThread.join();
    if (IsPortHeld(m_hComm))
        CloseHandle(m_hComm);
    m_hComm = nullptr;
    if (m_hShutdownEvent)
        CloseHandle(m_hShutdownEvent);
    m_hShutdownEvent = nullptr;
}
