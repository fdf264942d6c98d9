#include "posix/TtyDevice.h"

#include "core/port/PortNames.h"
#include "posix/ConfigHome.h"
#include "posix/OpenAdvice.h"
#include "posix/PosixFiles.h"
#include "posix/WakeEvent.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <linux/serial.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
constexpr std::uint32_t kModemEvents = EV_CTS | EV_DSR | EV_RLSD | EV_RING;
// Nothing wakes poll() on a modem-line change, so where the device counts
// them the counters are compared this often while such events are armed.
constexpr int kModemSampleMs = 2000;
// Without a wake-up descriptor a wait is cut into pauses this long, so that
// the waiting thread still sees a stop request.
constexpr int kWakelessPauseMs = 25;

// Where the user maps a port name "COMn" to a device of his choice.
std::string PortLinkPath(int nNumber)
{
    return UserConfigHome() + "/KOLV/ports/com" + std::to_string(nNumber);
}

constexpr std::string_view kStandardPortPrefix = "/dev/ttyS";

// A user's or group's name from the system's database; the number where it has none.
template <class TEntry, class TId>
std::string EntryName(TId nId, int (*pLookup)(TId, TEntry*, char*, size_t, TEntry**),
                      char* TEntry::*pName)
{
    TEntry entry{};
    TEntry* pFound = nullptr;
    char buffer[4096];
    if (pLookup(nId, &entry, buffer, sizeof buffer, &pFound) != 0 || !pFound)
        return std::to_string(nId);
    return pFound->*pName;
}

// The entries of a folder by name, as a listing shows them; "." and ".." left out.
std::vector<std::string> FolderEntries(const std::string& strFolder)
{
    std::vector<std::string> names;
    if (DIR* pDir = opendir(strFolder.c_str())) {
        while (const dirent* pEntry = readdir(pDir)) {
            const std::string strName = pEntry->d_name;
            if (strName != "." && strName != "..")
                names.push_back(strName);
        }
        closedir(pDir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Where a link points, as an absolute path; empty for anything but a link.
std::string LinkTarget(const std::string& strLink)
{
    char buffer[PATH_MAX];
    const ssize_t nLength = readlink(strLink.c_str(), buffer, sizeof buffer);
    if (nLength <= 0)
        return {};
    std::error_code error;
    const std::filesystem::path target(std::string(buffer, std::size_t(nLength)));
    std::string strTarget =
        (std::filesystem::absolute(strLink, error).parent_path() / target).lexically_normal();
    if (strTarget.size() > 1 && strTarget.back() == '/')
        strTarget.pop_back();
    return strTarget;
}

std::string CanonicalPath(const std::string& strPath)
{
    char buffer[PATH_MAX];
    return realpath(strPath.c_str(), buffer) ? std::string(buffer) : std::string();
}

// The first process /proc shows with the device open; other users' processes
// are hidden from us, so this may find nobody.
std::string DeviceHolder(const std::string& strDevice)
{
    if (strDevice.empty())
        return {};
    for (const std::string& strPid : FolderEntries("/proc")) {
        if (!std::isdigit(static_cast<unsigned char>(strPid.front())))
            continue;
        const std::string strFds = "/proc/" + strPid + "/fd";
        for (const std::string& strFd : FolderEntries(strFds)) {
            if (LinkTarget(strFds + "/" + strFd) != strDevice)
                continue;
            std::string strName = "a program";
            std::string comm;
            if (CPosixFiles().ReadRegularFile("/proc/" + strPid + "/comm", 256, comm, nullptr) ==
                EReadResult::Read) {
                const auto nEnd = comm.find_last_not_of(" \t\n\r\f\v");
                const auto nBegin = comm.find_first_not_of(" \t\n\r\f\v");
                strName = nEnd == std::string::npos ? "" : comm.substr(nBegin, nEnd - nBegin + 1);
            }
            return strName + " (process " + strPid + ")";
        }
    }
    return {};
}

CDeviceAccess DeviceAccess(const std::string& strPath, bool bFindHolder)
{
    CDeviceAccess access;
    struct stat info = {};
    if (stat(strPath.c_str(), &info) != 0)
        return access;
    access.nMode = info.st_mode & 07777;
    access.strOwner = EntryName<passwd>(info.st_uid, getpwuid_r, &passwd::pw_name);
    access.strGroup = EntryName<group>(info.st_gid, getgrgid_r, &group::gr_name);
    if (bFindHolder)
        access.strHolder = DeviceHolder(CanonicalPath(strPath));
    return access;
}

// A character device here has been found to be no terminal.
std::string DeviceKind(unsigned nType)
{
    return nType == S_IFCHR ? "a device that is not a terminal" : FileKind(nType);
}

void ChangeModemLine(int nFd, int nLine, bool bOn)
{
    // ENOTTY on pseudo-terminals: they have no modem lines. Nothing to do.
    [[maybe_unused]] const int nResult = ioctl(nFd, bOn ? TIOCMBIS : TIOCMBIC, &nLine);
}
} // namespace

std::string ResolvePortPath(const std::string& strName)
{
    if (strName.find('/') != std::string::npos)
        return strName;
    const std::optional<int> nNumber = ComPortNumber(strName);
    if (!nNumber)
        return {};
    const std::string strLink = PortLinkPath(*nNumber);
    // The link itself counts, even when it points nowhere: the user mapped
    // this port, and the failure should name the mapping.
    struct stat info = {};
    if (lstat(strLink.c_str(), &info) == 0)
        return strLink;
    return std::string(kStandardPortPrefix) + std::to_string(*nNumber - 1);
}

bool ApplyLineSettings(termios& state, unsigned nBaudRate)
{
    cfmakeraw(&state);
    state.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | IGNPAR);
    state.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    state.c_cflag |= CS8 | CREAD | CLOCAL;
    return cfsetspeed(&state, nBaudRate) == 0;
}

bool CTtyDevice::Open(const std::string& strName)
{
    Close();
    m_strName = strName;
    m_strPath = ResolvePortPath(strName);
    m_nError = 0;
    m_nFileType = S_IFCHR;
    if (m_strPath.empty())
        return false;

    // Opening a FIFO could block, and nothing but a terminal may be written to.
    struct stat info = {};
    if (stat(m_strPath.c_str(), &info) != 0) {
        m_nError = errno;
        return false;
    }
    m_nFileType = info.st_mode & S_IFMT;
    if (!S_ISCHR(info.st_mode)) {
        m_nError = ENOTTY;
        return false;
    }
    const int nFd = open(m_strPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (nFd < 0) {
        m_nError = errno;
        return false;
    }
    // The advisory lock is what keeps a second user out (root passes the
    // terminal's exclusive mode); the exclusive mode stops programs that do
    // not take the lock.
    if (fstat(nFd, &info) != 0 || !S_ISCHR(info.st_mode) || !isatty(nFd))
        m_nError = ENOTTY;
    else if (flock(nFd, LOCK_EX | LOCK_NB) != 0)
        m_nError = errno == EWOULDBLOCK ? EBUSY : errno;
    if (m_nError != 0) {
        close(nFd);
        return false;
    }
    ioctl(nFd, TIOCEXCL);

    m_nFd = nFd;
    serial_icounter_struct counts{};
    m_bCountsModemLines = ioctl(m_nFd, TIOCGICOUNT, &counts) == 0;
    termios state{};
    if (tcgetattr(m_nFd, &state) == 0)
        m_timeouts.bReadReturnsAtOnce = state.c_cc[VMIN] == 0 && state.c_cc[VTIME] == 0;
    return true;
}

std::string CTtyDevice::FailureDetail() const
{
    if (m_strPath.empty())
        return NotAPortNameAdvice(m_strName);

    std::string strDetail = "Device: " + m_strPath;
    struct stat link = {};
    if (lstat(m_strPath.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
        strDetail += " (a link to " + LinkTarget(m_strPath) + ")";
    strDetail += "\n" + FailureReason();
    if (m_strName.find('/') == std::string::npos && m_strPath.starts_with(kStandardPortPrefix)) {
        // A USB adapter or any other device is reached through the user's own mapping.
        const int nNumber = std::atoi(m_strPath.c_str() + kStandardPortPrefix.size()) + 1;
        strDetail += "\n" + MappingHint(m_strName, PortLinkPath(nNumber));
    }
    return strDetail;
}

std::string CTtyDevice::FailureReason() const
{
    switch (m_nError) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return kAdviceAbsent;
    case EIO:
        return kAdviceNoHardware;
    case EACCES:
    case EPERM:
        return PermissionAdvice(DeviceAccess(m_strPath, false));
    case EBUSY:
        return BusyAdvice(DeviceAccess(m_strPath, true));
    case ENOTTY:
        return NotATerminalAdvice(DeviceKind(m_nFileType));
    default:
        return std::strerror(m_nError);
    }
}

void CTtyDevice::Close()
{
    if (m_nFd >= 0) {
        // Exclusive mode outlives the close on a pseudo-terminal.
        ioctl(m_nFd, TIOCNXCL);
        close(m_nFd);
    }
    m_nFd = -1;
    m_timeouts = {};
    m_nEventMask = 0;
    m_bCountsModemLines = false;
    m_bGone = false;
}

void CTtyDevice::Purge()
{
    if (m_nFd >= 0)
        tcflush(m_nFd, TCIOFLUSH);
}

bool CTtyDevice::GetState(termios& state) const
{
    return m_nFd >= 0 && tcgetattr(m_nFd, &state) == 0;
}

bool CTtyDevice::SetState(const termios& state)
{
    termios newState = state;
    ApplyReadTimeouts(newState);
    return m_nFd >= 0 && tcsetattr(m_nFd, TCSANOW, &newState) == 0;
}

bool CTtyDevice::GetTimeouts(CCommTimeouts& timeouts) const
{
    termios state{};
    if (!GetState(state))
        return false;
    timeouts = m_timeouts;
    timeouts.bReadReturnsAtOnce = state.c_cc[VMIN] == 0 && state.c_cc[VTIME] == 0;
    return true;
}

bool CTtyDevice::SetTimeouts(const CCommTimeouts& timeouts)
{
    if (m_nFd < 0)
        return false;
    // The write bound is ours to keep; it holds even if the read part fails.
    m_timeouts = timeouts;
    termios state{};
    if (!GetState(state))
        return false;
    ApplyReadTimeouts(state);
    return tcsetattr(m_nFd, TCSANOW, &state) == 0;
}

void CTtyDevice::ApplyReadTimeouts(termios& state) const
{
    state.c_cc[VMIN] = m_timeouts.bReadReturnsAtOnce ? 0 : 1;
    state.c_cc[VTIME] = 0;
}

bool CTtyDevice::SetEventMask(std::uint32_t nMask)
{
    if (m_nFd < 0)
        return false;
    m_nEventMask = nMask;
    return true;
}

void CTtyDevice::SetDtr(bool bOn)
{
    if (m_nFd >= 0)
        ChangeModemLine(m_nFd, TIOCM_DTR, bOn);
}

void CTtyDevice::SetRts(bool bOn)
{
    if (m_nFd >= 0)
        ChangeModemLine(m_nFd, TIOCM_RTS, bOn);
}

bool CTtyDevice::Write(const void* pBuffer, std::size_t nCount)
{
    using Clock = std::chrono::steady_clock;
    if (m_nFd < 0)
        return false;
    const bool bBounded = m_timeouts.nWriteMsPerByte != 0 || m_timeouts.nWriteMsConstant != 0;
    const Clock::time_point deadline =
        Clock::now() +
        std::chrono::milliseconds(std::uint64_t{m_timeouts.nWriteMsPerByte} * nCount +
                                  m_timeouts.nWriteMsConstant);

    const auto* pNext = static_cast<const unsigned char*>(pBuffer);
    while (nCount > 0) {
        const ssize_t nWritten = write(m_nFd, pNext, nCount);
        if (nWritten > 0) {
            pNext += nWritten;
            nCount -= static_cast<std::size_t>(nWritten);
            continue;
        }
        if (nWritten < 0 && errno != EAGAIN && errno != EINTR)
            return false;

        // Output is stalled: wait for room, but not past the bound.
        int nWaitMs = -1;
        if (bBounded) {
            const auto remaining =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (remaining.count() <= 0)
                return false;
            nWaitMs = static_cast<int>(remaining.count());
        }
        pollfd room{m_nFd, POLLOUT, 0};
        if (poll(&room, 1, nWaitMs) < 0 && errno != EINTR)
            return false;
        if (room.revents & (POLLERR | POLLHUP | POLLNVAL))
            return false;
    }
    return true;
}

std::uint32_t CTtyDevice::WaitEvent(const CWakeEvent& wake)
{
    const bool bWatchDevice = m_nFd >= 0 && !m_bGone;
    serial_icounter_struct before{};
    const bool bWatchModem = bWatchDevice && m_bCountsModemLines && (m_nEventMask & kModemEvents) &&
                             ioctl(m_nFd, TIOCGICOUNT, &before) == 0;
    int nTimeoutMs = bWatchModem ? kModemSampleMs : -1;
    if (!wake.IsValid())
        nTimeoutMs = kWakelessPauseMs;

    pollfd fds[2] = {
        {bWatchDevice ? m_nFd : -1, static_cast<short>((m_nEventMask & EV_RXCHAR) ? POLLIN : 0), 0},
        {wake.Fd(), POLLIN, 0},
    };
    if (poll(fds, 2, nTimeoutMs) < 0)
        return 0;

    std::uint32_t nEvents = 0;
    if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
        // Gone for good (a hung-up terminal never comes back). What is still
        // queued is read first; after that only the wake-up ends a wait, so
        // that nobody spins on a dead device.
        if ((m_nEventMask & EV_RXCHAR) && BytesWaiting() > 0)
            nEvents |= EV_RXCHAR;
        else
            m_bGone = true;
    } else if (fds[0].revents & POLLIN) {
        nEvents |= EV_RXCHAR;
    }

    serial_icounter_struct after{};
    if (bWatchModem && ioctl(m_nFd, TIOCGICOUNT, &after) == 0) {
        if (after.cts != before.cts)
            nEvents |= EV_CTS;
        if (after.dsr != before.dsr)
            nEvents |= EV_DSR;
        if (after.dcd != before.dcd)
            nEvents |= EV_RLSD;
        if (after.rng != before.rng)
            nEvents |= EV_RING;
    }
    return nEvents & m_nEventMask;
}

std::size_t CTtyDevice::BytesWaiting() const
{
    int nCount = 0;
    if (m_nFd < 0 || m_bGone || ioctl(m_nFd, FIONREAD, &nCount) != 0 || nCount < 0)
        return 0;
    return static_cast<std::size_t>(nCount);
}

bool CTtyDevice::ReadByte(unsigned char& nByte)
{
    return ReadBytes(&nByte, 1) == 1;
}

std::size_t CTtyDevice::ReadBytes(unsigned char* pBytes, std::size_t nMax)
{
    if (m_nFd < 0 || m_bGone)
        return 0;
    const ssize_t nRead = read(m_nFd, pBytes, nMax);
    return nRead > 0 ? std::size_t(nRead) : 0;
}
