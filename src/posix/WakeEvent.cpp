#include "posix/WakeEvent.h"

#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

bool CWakeEvent::Create()
{
    Close();
    m_nFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return m_nFd >= 0;
}

void CWakeEvent::Signal()
{
    if (m_nFd < 0)
        return;
    // Never read back: the counter stays non-zero, so every later poll
    // returns at once, as a manual-reset event would.
    const std::uint64_t nOne = 1;
    [[maybe_unused]] const ssize_t nWritten = write(m_nFd, &nOne, sizeof nOne);
}

void CWakeEvent::Close()
{
    if (m_nFd >= 0)
        close(m_nFd);
    m_nFd = -1;
}
