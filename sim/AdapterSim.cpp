#include "AdapterSim.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

using std::chrono::steady_clock;

namespace
{

std::string ErrnoText(const char* pszWhat)
{
    return std::string(pszWhat) + ": " + std::generic_category().message(errno);
}

void CloseDescriptor(int& nFd)
{
    if (nFd >= 0)
        close(nFd);
    nFd = -1;
}

} // namespace

CAdapterSim::CAdapterSim(CAdapterSimOptions options)
    : m_options(options), m_drive(options.eFamily, options.nKeepResolution, options.strFamilyLine)
{
}

CAdapterSim::~CAdapterSim()
{
    Stop();
}

bool CAdapterSim::Start()
{
    if (m_thread.joinable())
        return true;
    m_nMaster = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_nMaster < 0) {
        m_strError = ErrnoText("posix_openpt");
        return false;
    }
    std::array<char, 128> path{};
    if (grantpt(m_nMaster) != 0 || unlockpt(m_nMaster) != 0 ||
        ptsname_r(m_nMaster, path.data(), path.size()) != 0) {
        m_strError = ErrnoText("pseudo-terminal");
        CloseDescriptors();
        return false;
    }
    m_strSlavePath = path.data();
    // Held open so that the terminal outlives every client's close.
    m_nSlave = open(m_strSlavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    m_nWake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_nSlave < 0 || m_nWake < 0) {
        m_strError = ErrnoText(m_strSlavePath.c_str());
        CloseDescriptors();
        return false;
    }
    fcntl(m_nMaster, F_SETFD, FD_CLOEXEC);
    fcntl(m_nMaster, F_SETFL, fcntl(m_nMaster, F_GETFL) | O_NONBLOCK);

    // Raw from the start: an echoing terminal would feed the replies back to us,
    // and line-end translation would alter them before the client sets its own mode.
    termios tio{};
    tcgetattr(m_nSlave, &tio);
    cfmakeraw(&tio);
    cfsetspeed(&tio, B9600);
    tcsetattr(m_nSlave, TCSANOW, &tio);

    m_bStop = false;
    m_thread = std::thread(&CAdapterSim::Serve, this);
    return true;
}

void CAdapterSim::Stop()
{
    if (m_thread.joinable()) {
        m_bStop = true;
        const uint64_t nOne = 1;
        (void)!write(m_nWake, &nOne, sizeof nOne);
        m_thread.join();
    }
    CloseDescriptors();
}

void CAdapterSim::CloseDescriptors()
{
    CloseDescriptor(m_nSlave);
    CloseDescriptor(m_nMaster);
    CloseDescriptor(m_nWake);
}

void CAdapterSim::SendLine(const std::string& strLine)
{
    Queue(steady_clock::now(), strLine);
    const uint64_t nOne = 1;
    (void)!write(m_nWake, &nOne, sizeof nOne);
}

void CAdapterSim::SetLogCallback(std::function<void(const CSimLogEntry&)> callback)
{
    std::lock_guard lock(m_mutex);
    m_logCallback = std::move(callback);
}

std::vector<CSimLogEntry> CAdapterSim::Log() const
{
    std::lock_guard lock(m_mutex);
    return m_log;
}

void CAdapterSim::ClearLog()
{
    std::lock_guard lock(m_mutex);
    m_log.clear();
}

bool CAdapterSim::WaitForEntries(CSimLogEntry::EKind eKind, size_t nCount,
                                 std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_logChanged.wait_for(lock, timeout, [&] {
        return static_cast<size_t>(std::count_if(m_log.begin(), m_log.end(), [&](const auto& e) {
                   return e.eKind == eKind;
               })) >= nCount;
    });
}

CDriveSettings CAdapterSim::Settings() const
{
    std::lock_guard lock(m_mutex);
    return m_drive.Settings();
}

void CAdapterSim::AddLogEntry(CSimLogEntry::EKind eKind, std::string strText,
                              steady_clock::time_point tpTime)
{
    std::function<void(const CSimLogEntry&)> callback;
    CSimLogEntry entry{eKind, std::move(strText), tpTime};
    {
        std::lock_guard lock(m_mutex);
        m_log.push_back(entry);
        callback = m_logCallback;
    }
    m_logChanged.notify_all();
    if (callback)
        callback(entry);
}

void CAdapterSim::Queue(steady_clock::time_point tpDue, const std::string& strLine)
{
    COutLine line{tpDue, strLine, strLine + (m_options.bCrLf ? "\r\n" : "\r")};
    std::lock_guard lock(m_mutex);
    // In order of due time; lines due at the same time keep their order.
    auto it = std::upper_bound(m_outLines.begin(), m_outLines.end(), tpDue,
                               [](auto tp, const COutLine& other) { return tp < other.tpDue; });
    m_outLines.insert(it, std::move(line));
}

void CAdapterSim::Serve()
{
    while (!m_bStop) {
        // Sleeps until input, a wake-up, or the next reply falls due.
        timespec timeout{};
        const timespec* pTimeout = nullptr;
        bool bDue = false;
        {
            std::lock_guard lock(m_mutex);
            if (!m_outLines.empty()) {
                const auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(
                    m_outLines.front().tpDue - steady_clock::now());
                bDue = wait.count() <= 0;
                if (!bDue) {
                    timeout.tv_sec = static_cast<time_t>(wait.count() / 1000000000);
                    timeout.tv_nsec = static_cast<long>(wait.count() % 1000000000);
                    pTimeout = &timeout;
                }
            }
        }
        // A due line waits only for room in the terminal's buffer.
        std::array<pollfd, 2> fds{
            {{m_nMaster, static_cast<short>(POLLIN | (bDue ? POLLOUT : 0)), 0},
             {m_nWake, POLLIN, 0}}};
        if (ppoll(fds.data(), fds.size(), pTimeout, nullptr) < 0 && errno != EINTR)
            break;
        if (fds[1].revents & POLLIN) {
            uint64_t nCount = 0;
            (void)!read(m_nWake, &nCount, sizeof nCount);
        }
        if (fds[0].revents & POLLIN)
            TakeInput();
        WriteDueLines();
    }
}

void CAdapterSim::TakeInput()
{
    std::array<char, 256> buffer{};
    const ssize_t nRead = read(m_nMaster, buffer.data(), buffer.size());
    const steady_clock::time_point tpNow = steady_clock::now();
    if (nRead <= 0)
        return;
    for (CCommandFramer::CPiece& piece :
         m_framer.Feed(std::string_view(buffer.data(), static_cast<size_t>(nRead)))) {
        if (!piece.bCommand) {
            AddLogEntry(CSimLogEntry::EKind::Garbage, std::move(piece.strBytes), tpNow);
            continue;
        }
        ++m_nCommands;
        const bool bAnswer = !m_options.bNeverAnswer &&
                             (m_options.nAnswerLimit < 0 || m_nCommands <= m_options.nAnswerLimit);
        // A command the drive does not answer never reached it: it changes nothing.
        std::vector<std::string> replies;
        if (bAnswer) {
            std::lock_guard lock(m_mutex);
            replies = m_drive.Answer(piece.strBytes);
        }
        AddLogEntry(CSimLogEntry::EKind::Command, std::move(piece.strBytes), tpNow);
        for (const std::string& strReply : replies)
            Queue(tpNow + m_options.replyDelay, strReply);
    }
}

void CAdapterSim::WriteDueLines()
{
    while (true) {
        std::unique_lock lock(m_mutex);
        if (m_outLines.empty() || m_outLines.front().tpDue > steady_clock::now())
            return;
        COutLine& line = m_outLines.front();
        const ssize_t nWritten = write(m_nMaster, line.strBytes.data() + line.nWritten,
                                       line.strBytes.size() - line.nWritten);
        const steady_clock::time_point tpNow = steady_clock::now();
        if (nWritten < 0) {
            if (errno == EAGAIN || errno == EINTR)
                return;             // the terminal is full: poll for room
            m_outLines.pop_front(); // cannot be written at all
            continue;
        }
        line.nWritten += static_cast<size_t>(nWritten);
        if (line.nWritten < line.strBytes.size())
            return;
        std::string strText = std::move(line.strText);
        m_outLines.pop_front();
        lock.unlock();
        AddLogEntry(CSimLogEntry::EKind::Reply, std::move(strText), tpNow);
    }
}
