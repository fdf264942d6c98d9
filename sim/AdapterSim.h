#pragma once

#include "CommandFramer.h"
#include "DriveModel.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct CAdapterSimOptions {
    EDriveFamily eFamily = EDriveFamily::RT3180;
    bool bCrLf = false;                      // end reply lines with CR LF instead of CR
    std::chrono::milliseconds replyDelay{0}; // from a command's last byte to its reply
    bool bNeverAnswer = false;               // take commands, answer none
    int nAnswerLimit = -1;                   // answer only the first n commands; -1: all
    int nKeepResolution = -1;                // resolution code kept whatever is sent; -1: none
    std::string strFamilyLine = {};          // the answer to "?:"; empty: the family's own
};

// One event on the line, stamped with the steady clock.
struct CSimLogEntry {
    enum class EKind {
        Command, // a framed command; tpTime: when its last byte was read
        Reply,   // a reply line without its line end; tpTime: when its CR had been written
        Garbage, // bytes that belong to no command; tpTime: when they were read
    };
    EKind eKind;
    std::string strText;
    std::chrono::steady_clock::time_point tpTime;
};

// The "SPI Interface" adapter with a drive behind it, on a pseudo-terminal of
// its own, served by its own thread. A client opens SlavePath() as it would a
// serial port; the simulator keeps a slave descriptor open itself, so the
// terminal survives the client closing and opening it again.
class CAdapterSim
{
public:
    explicit CAdapterSim(CAdapterSimOptions options = {});
    ~CAdapterSim();
    CAdapterSim(const CAdapterSim&) = delete;
    CAdapterSim& operator=(const CAdapterSim&) = delete;

    // Opens the terminal and starts answering. False, with ErrorText(), when
    // no terminal could be had.
    bool Start();
    // Stops answering and closes the terminal; the log stays readable.
    void Stop();

    // The terminal a client opens, e.g. "/dev/pts/3"; empty before Start.
    const std::string& SlavePath() const { return m_strSlavePath; }
    const std::string& ErrorText() const { return m_strError; }

    // Puts a line on the line now (after any reply already due), with the
    // chosen line end, as if the drive spoke unasked.
    void SendLine(const std::string& strLine);

    // Called on the serving thread for every new log entry; set before Start.
    void SetLogCallback(std::function<void(const CSimLogEntry&)> callback);
    std::vector<CSimLogEntry> Log() const;
    void ClearLog();
    // Waits until the log holds at least nCount entries of the kind; false
    // when the time runs out first.
    bool WaitForEntries(CSimLogEntry::EKind eKind, size_t nCount,
                        std::chrono::milliseconds timeout) const;

    // The drive's settings as Apply left them.
    CDriveSettings Settings() const;

private:
    struct COutLine {
        std::chrono::steady_clock::time_point tpDue;
        std::string strText;  // without line end
        std::string strBytes; // with line end
        size_t nWritten = 0;
    };

    void Serve();
    void TakeInput();
    void Queue(std::chrono::steady_clock::time_point tpDue, const std::string& strLine);
    void WriteDueLines();
    void AddLogEntry(CSimLogEntry::EKind eKind, std::string strText,
                     std::chrono::steady_clock::time_point tpTime);
    void CloseDescriptors();

    const CAdapterSimOptions m_options;
    int m_nMaster = -1;
    int m_nSlave = -1;
    int m_nWake = -1;
    std::string m_strSlavePath;
    std::string m_strError;
    std::thread m_thread;
    std::atomic<bool> m_bStop = false;

    // Serving thread only.
    CCommandFramer m_framer;
    int m_nCommands = 0;

    // Shared with the caller's threads, under m_mutex.
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_logChanged;
    CDriveModel m_drive;
    std::deque<COutLine> m_outLines;
    std::vector<CSimLogEntry> m_log;
    std::function<void(const CSimLogEntry&)> m_logCallback;
};
