#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <termios.h>

class CWakeEvent;

// Port events a wait can end on (the values of the serial port's event mask).
enum : std::uint32_t {
    EV_RXCHAR = 0x0001,
    EV_TXEMPTY = 0x0004,
    EV_CTS = 0x0008,
    EV_DSR = 0x0010,
    EV_RLSD = 0x0020,
    EV_RING = 0x0100,
};

// The port's time-outs: reads either return at once with what has arrived
// (VMIN 0, VTIME 0) or wait for a byte; a write may take nWriteMsPerByte for
// each byte plus nWriteMsConstant (both 0: no bound).
struct CCommTimeouts {
    bool bReadReturnsAtOnce = false;
    unsigned nWriteMsPerByte = 0;
    unsigned nWriteMsConstant = 0;
};

// The device path a port name stands for: a name with a '/' is a path; "COMn"
// (any case, one trailing ':') is the link ports/comN in the user's KOLV
// configuration folder when that exists, else /dev/ttyS(n-1). Empty for any
// other name.
std::string ResolvePortPath(const std::string& strName);

// Raw 8N1 at nBaudRate, no parity, no hardware or software flow control, no
// character translation, receiver on, modem status ignored. False when the
// speed is not one the terminal interface knows.
bool ApplyLineSettings(termios& state, unsigned nBaudRate);

// One serial port, opened exclusively on a terminal device. Reads and writes
// never block without bound; waits can be ended at once through a CWakeEvent.
class CTtyDevice
{
public:
    CTtyDevice() = default;
    ~CTtyDevice() { Close(); }
    CTtyDevice(const CTtyDevice&) = delete;
    CTtyDevice& operator=(const CTtyDevice&) = delete;

    // Opens and locks the port for this program alone; anything but a
    // terminal device is refused before it is opened for good. On failure
    // FailureDetail() says why, in words for the user.
    bool Open(const std::string& strName);
    bool IsOpen() const { return m_nFd >= 0; }
    std::string FailureDetail() const;
    void Close();

    // Drops whatever is waiting in either direction.
    void Purge();
    bool GetState(termios& state) const;
    // Sets the line; the read time-outs of SetTimeouts are kept.
    bool SetState(const termios& state);
    bool GetTimeouts(CCommTimeouts& timeouts) const;
    bool SetTimeouts(const CCommTimeouts& timeouts);
    // The events WaitEvent ends on (EV_RXCHAR and the modem-line events).
    bool SetEventMask(std::uint32_t nMask);
    // Modem lines; pseudo-terminals have none, which is not an error.
    void SetDtr(bool bOn);
    void SetRts(bool bOn);

    // Writes all bytes within the write bound; false on an error or time-out.
    bool Write(const void* pBuffer, std::size_t nCount);

    // Waits until an event of the mask occurs or wake is signalled; returns
    // the events seen (0 when woken). A device that has gone away (adapter
    // pulled, other end of a pseudo-terminal closed) is not waited on again:
    // from then on only wake ends a wait.
    std::uint32_t WaitEvent(const CWakeEvent& wake);
    // Bytes waiting in the input queue.
    std::size_t BytesWaiting() const;
    // Reads one byte if one is there; never waits.
    bool ReadByte(unsigned char& nByte);
    // Reads what is there, up to nMax bytes; never waits. 0 when nothing is.
    std::size_t ReadBytes(unsigned char* pBytes, std::size_t nMax);
    // A wait has found the device hung up; only the thread that waits asks.
    bool IsGone() const { return m_bGone; }

private:
    void ApplyReadTimeouts(termios& state) const;
    std::string FailureReason() const;

    int m_nFd = -1;
    std::string m_strName;
    std::string m_strPath;
    int m_nError = 0;
    // The kind of file the path named (S_IFMT bits), for refusing non-devices.
    unsigned m_nFileType = 0;
    CCommTimeouts m_timeouts;
    std::uint32_t m_nEventMask = 0;
    bool m_bCountsModemLines = false;
    bool m_bGone = false;
};
