// Opening, configuring, writing to and closing the serial port.

#include "serial/SerialPort.h"

#include "platform/MessageBox.h"
#include "platform/RegisteredMessage.h"
#include "serial/WireLog.h"

#include <QCoreApplication>
#include <system_error>

namespace
{
constexpr const char* kTextUnableToOpen = "Unable to open ";
constexpr const char* kTextFailGetCommState = "Fail GetCommState!";
constexpr const char* kTextFailGetCommTimeouts = "Fail GetCommTimeouts!";
constexpr const char* kTextFailSetCommTimeouts = "Fail SetCommTimeouts!";
constexpr const char* kTextFailSetCommMask = "Fail SetCommMask!";
constexpr const char* kTextFailSetCommState = "Fail SetCommState!";

// Reads return at once with what has arrived; a write may take 10 ms a byte
// plus one second.
constexpr CCommTimeouts kTimeouts{true, 10, 1000};

void ReportFailure(const char* pText)
{
    AfxMessageBox(QString::fromLatin1(pText), MB_OK);
}
} // namespace

CSerialPort::~CSerialPort()
{
    Close();
}

bool CSerialPort::Open(QString strPort)
{
    // Never two readers: whatever an earlier Open left is released first.
    Close();

    m_bStopThread = false;
    m_strPort = std::move(strPort);
    m_nBaudRate = 9600;
    m_bOpened = true;

    m_hShutdownEvent.Create();
    m_pReceiveGate = std::make_shared<CReceiveGate>(kMaxChunksPosted);
    if (!m_hComm.Open(m_strPort)) {
        AfxMessageBox(QString::fromLatin1(kTextUnableToOpen) + m_strPort, MB_OK | MB_ICONSTOP,
                      m_hComm.FailureDetail());
        return false;
    }
    m_hComm.Purge();

    // Each failed step is reported and the next one still runs.
    int nStep = 0;
    auto failed = [&nStep](bool bDone) { return s_nFailingStep == nStep++ || !bDone; };
    termios state{};
    if (failed(m_hComm.GetState(state)))
        ReportFailure(kTextFailGetCommState);
    if (failed(m_hComm.GetTimeouts(m_CommTimeouts)))
        ReportFailure(kTextFailGetCommTimeouts);
    m_CommTimeouts = kTimeouts;
    if (failed(m_hComm.SetTimeouts(m_CommTimeouts)))
        ReportFailure(kTextFailSetCommTimeouts);
    if (failed(m_hComm.SetEventMask(m_dwEventMask)))
        ReportFailure(kTextFailSetCommMask);
    const bool bLineKnown = ApplyLineSettings(state, m_nBaudRate);
    if (failed(bLineKnown && m_hComm.SetState(state)))
        ReportFailure(kTextFailSetCommState);
    m_hComm.SetRts(false);
    m_hComm.SetDtr(true);

    // Without a reader no byte reaches the owner; the reply time-out then
    // reports the link as lost, so there is nothing to show here.
    try {
        m_hThread = std::thread(SerialReaderThread, this);
    } catch (const std::system_error&) {
    }
    return true;
}

bool CSerialPort::Write(const void* pBuffer, std::uint32_t nCount)
{
    if (m_hComm.IsOpen())
        CWireLog::Sent(pBuffer, nCount);
    return m_hComm.Write(pBuffer, nCount);
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
    // A hang-up of this device must not end the next one's link.
    if (m_pOwner)
        QCoreApplication::removePostedEvents(m_pOwner, PROC_KOLV_HANGUP);
}
