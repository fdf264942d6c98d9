#pragma once

// A signal one thread raises to wake another that waits in poll(). Closing a
// descriptor does not wake a thread polling it, so the serial reader waits on
// this as well. Once signalled it stays signalled until closed (manual reset).
class CWakeEvent
{
public:
    CWakeEvent() = default;
    ~CWakeEvent() { Close(); }
    CWakeEvent(const CWakeEvent&) = delete;
    CWakeEvent& operator=(const CWakeEvent&) = delete;

    // Creates it unsignalled; false when the system has no descriptor to spare.
    bool Create();
    void Signal();
    void Close();

    bool IsValid() const { return m_nFd >= 0; }
    // The descriptor to poll for POLLIN; -1 when there is none.
    int Fd() const { return m_nFd; }

private:
    int m_nFd = -1;
};
