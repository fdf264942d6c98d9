// Opening, configuring, writing to and closing the serial port.

#include "posix/SerialPort.h"

#include "core/serial/WireLog.h"

#include <system_error>

namespace
{
// Reads return at once with what has arrived; a write may take 10 ms a byte
// plus one second.
constexpr CCommTimeouts kTimeouts{true, 10, 1000};
} // namespace

CSerialPort::~CSerialPort()
{
    Close();
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

    m_hShutdownEvent.Create();
    m_pReceiveGate = std::make_shared<CReceiveGate>(kMaxChunksPosted);
    if (!m_hComm.Open(m_strPort)) {
        result.strDetail = m_hComm.FailureDetail();
        return result;
    }
    result.bOpened = true;
    m_hComm.Purge();

    // Each failed step is reported and the next one still runs.
    int nStep = 0;
    auto failed = [&nStep](bool bDone) { return s_nFailingStep == nStep++ || !bDone; };
    auto report = [&result](EOpenStep eStep) { result.failedSteps.push_back(eStep); };
    termios state{};
    if (failed(m_hComm.GetState(state)))
        report(EOpenStep::GetCommState);
    if (failed(m_hComm.GetTimeouts(m_CommTimeouts)))
        report(EOpenStep::GetCommTimeouts);
    m_CommTimeouts = kTimeouts;
    if (failed(m_hComm.SetTimeouts(m_CommTimeouts)))
        report(EOpenStep::SetCommTimeouts);
    if (failed(m_hComm.SetEventMask(m_dwEventMask)))
        report(EOpenStep::SetCommMask);
    const bool bLineKnown = ApplyLineSettings(state, m_nBaudRate);
    if (failed(bLineKnown && m_hComm.SetState(state)))
        report(EOpenStep::SetCommState);
    m_hComm.SetRts(false);
    m_hComm.SetDtr(true);

    // Without a reader no byte reaches the receiver; the reply time-out then
    // reports the link as lost, so there is nothing to show here.
    try {
        m_hThread = std::thread(SerialReaderThread, this);
    } catch (const std::system_error&) {
    }
    return result;
}

bool CSerialPort::Write(std::string_view bytes)
{
    if (m_hComm.IsOpen())
        CWireLog::Sent(bytes);
    return m_hComm.Write(bytes.data(), bytes.size());
}

void CSerialPort::Close()
{
    if (!m_hShutdownEvent.IsValid() && !m_hComm.IsOpen() && !m_hThread.joinable())
        return;

    // The flag first, so the woken reader finds it set.
    m_bStopThread = true;
    m_hShutdownEvent.Signal();
    if (m_pReceiveGate)
        m_pReceiveGate->Wake();
    if (m_hThread.joinable())
        m_hThread.join();
    m_hComm.Close();
    m_hShutdownEvent.Close();
}
