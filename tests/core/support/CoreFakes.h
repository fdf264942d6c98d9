#pragma once

// Stand-ins for what the platform and the window give the core: a virtual
// clock, a recording serial port, a hand-driven receive queue, a reply timer
// a test fires, a recording listener, in-memory files and port store. The
// recorders append readable lines to a log a test may share between them, so
// the order of everything the link did shows in one list.

#include "core/platform/Clock.h"
#include "core/platform/Files.h"
#include "core/port/StoredPort.h"
#include "core/protocol/DriveProtocol.h"
#include "core/serial/ReceiveQueue.h"
#include "core/serial/SerialPort.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

using CLog = std::vector<std::string>;

// Time moves only when the link pauses. Each pause is recorded as
// "wait|sleep <from>-<until>" in milliseconds since the start.
class CVirtualClock : public IClock
{
public:
    static constexpr CSteadyClock::time_point kStart{std::chrono::hours(1)};

    CSteadyClock::time_point Now() override { return m_now; }
    void SleepUntil(CSteadyClock::time_point deadline) override { Pause("sleep", deadline); }
    bool WaitUntil(CSteadyClock::time_point deadline) override
    {
        ++m_nWaits;
        if (m_nStopFromWait > 0 && m_nWaits >= m_nStopFromWait) {
            m_pauses.push_back("stop " + std::to_string(Ms()));
            return false;
        }
        // What the window system hands over while the link waits.
        if (m_onWait)
            m_onWait(m_nWaits);
        Pause("wait", deadline);
        return true;
    }

    long long Ms() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(m_now - kStart).count();
    }
    // Time spent outside any pause (painting, a slow display).
    void Advance(unsigned nMilliseconds) { m_now += std::chrono::milliseconds(nMilliseconds); }

    CLog m_pauses;
    // WaitUntil returns false from this call on (1 = the first); 0: never.
    int m_nStopFromWait = 0;
    // Called in each wait with its number (1 = the first).
    std::function<void(int)> m_onWait;
    int m_nWaits = 0;

private:
    void Pause(const char* pszKind, CSteadyClock::time_point deadline)
    {
        const long long nFrom = Ms();
        m_now = std::max(m_now, deadline);
        m_pauses.push_back(std::string(pszKind) + " " + std::to_string(nFrom) + "-" +
                           std::to_string(Ms()));
    }

    CSteadyClock::time_point m_now = kStart;
};

// Writes are logged as "write <bytes> @<ms>".
class CRecordingSerialPort : public ISerialPort
{
public:
    CRecordingSerialPort(CVirtualClock& clock, CLog& log) : m_clock(clock), m_log(log) {}

    COpenResult Open(const std::string& strPort, IReceiveQueue& queue) override
    {
        m_strPort = strPort;
        m_pQueue = &queue;
        return m_openResult;
    }
    bool Write(std::string_view bytes) override
    {
        m_log.push_back("write " + std::string(bytes) + " @" + std::to_string(m_clock.Ms()));
        return true;
    }
    void Close() override { ++m_nCloses; }
    bool WasOpened() const override { return m_pQueue; }

    // What the reader would post, to the queue Open was given, each chunk
    // holding its place at the gate as the reader's do (so more than
    // kMaxChunksPosted not yet handled would block, as the reader does).
    void PostReceived(const std::string& bytes)
    {
        m_pGate->Enter(m_bStop);
        m_pQueue->PostReceived({bytes, m_pGate});
    }
    void PostHangup() { m_pQueue->PostHangup(); }

    COpenResult m_openResult{true, {}, {}};
    std::string m_strPort;
    int m_nCloses = 0;
    std::shared_ptr<CReceiveGate> m_pGate = std::make_shared<CReceiveGate>(kMaxChunksPosted);

private:
    CVirtualClock& m_clock;
    std::atomic<bool> m_bStop{false};
    CLog& m_log;
    IReceiveQueue* m_pQueue = nullptr;
};

// Keeps what is posted, in order, until the test hands it over.
class CManualQueue : public IReceiveQueue
{
public:
    void SetTarget(IReceiveTarget* pTarget) override { m_pTarget = pTarget; }
    void PostReceived(CReceivedChunk chunk) override
    {
        m_items.push_back({false, std::move(chunk)});
    }
    void PostHangup() override { m_items.push_back({true, {}}); }
    void DeliverPosted() override { Deliver(false); }
    void DropHangup() override
    {
        for (CItem& item : std::exchange(m_items, {}))
            if (!item.bHangup)
                m_items.push_back(std::move(item));
    }
    // Everything, hang-ups included, as the window system's loop would.
    void Pump() { Deliver(true); }
    std::size_t Pending() const { return m_items.size(); }

private:
    struct CItem {
        bool bHangup;
        CReceivedChunk chunk;
    };

    void Deliver(bool bHangups)
    {
        std::deque<CItem> kept;
        while (!m_items.empty()) {
            CItem item = std::move(m_items.front());
            m_items.pop_front();
            if (!item.bHangup)
                m_pTarget->OnReceived(std::move(item.chunk));
            else if (bHangups)
                m_pTarget->OnHangup();
            else
                kept.push_back(std::move(item));
        }
        std::move(kept.begin(), kept.end(), std::back_inserter(m_items));
    }

    IReceiveTarget* m_pTarget = nullptr;
    std::deque<CItem> m_items;
};

// Logs "timer <ms>" and "kill"; a test fires it by calling OnTimer.
class CFakeReplyTimer : public IReplyTimer
{
public:
    explicit CFakeReplyTimer(CLog& log) : m_log(log) {}
    void SetTimer(unsigned nMilliseconds) override
    {
        m_log.push_back("timer " + std::to_string(nMilliseconds));
    }
    void KillTimer() override { m_log.push_back("kill"); }

private:
    CLog& m_log;
};

class CRecordingListener : public IDriveListener
{
public:
    explicit CRecordingListener(CLog& log) : m_log(log) {}

    // Each change of the TX lamp takes m_nWork ms of m_pClock (painting, a slow display).
    void OnTxLamp(bool bLit) override
    {
        m_log.push_back(bLit ? "tx on" : "tx off");
        if (m_pClock)
            m_pClock->Advance(m_nWork);
    }
    void OnRxLamp(bool bLit) override { m_log.push_back(bLit ? "rx on" : "rx off"); }
    void OnCommandSent(const CSentCommand& sent) override
    {
        m_log.push_back("sent " + sent.strCommand + " " + std::to_string(sent.nStep + 1) + "/" +
                        std::to_string(sent.steps.size()));
    }
    void OnAccepted(EDriveFamily eFamily) override
    {
        m_log.push_back(std::string("accepted ") + DriveFamily(eFamily).pszName);
    }
    void OnFamily(EDriveFamily eFamily, const std::string& strReply) override
    {
        m_log.push_back(std::string("family ") + DriveFamily(eFamily).pszName + " '" + strReply +
                        "'");
    }
    void OnRecalled(ESetting eSetting, int nPosition) override
    {
        static constexpr const char* kNames[] = {"resolution", "current", "idle"};
        m_log.push_back(std::string("recalled ") + kNames[static_cast<int>(eSetting)] + " " +
                        std::to_string(nPosition));
    }
    void OnLinkLost(ELinkLoss eLoss) override
    {
        m_log.push_back(eLoss == ELinkLoss::TimedOut ? "lost timed out" : "lost hung up");
    }

    CVirtualClock* m_pClock = nullptr;
    unsigned m_nWork = 0;

private:
    CLog& m_log;
};

class CMemoryFiles : public IFiles
{
public:
    EReadResult ReadRegularFile(const std::string& strPath, std::size_t nMaxBytes,
                                std::string& bytes, std::string* pstrReason) override
    {
        if (m_notRegular.contains(strPath))
            return Fail(EReadResult::NotRegular, "not a regular file", pstrReason);
        const auto it = m_files.find(strPath);
        if (it == m_files.end())
            return Fail(EReadResult::NotOpened, "cannot be read", pstrReason);
        bytes = it->second.substr(0, nMaxBytes);
        return EReadResult::Read;
    }
    bool WriteWholeFile(const std::string& strPath, std::string_view bytes,
                        std::string* pstrReason) override
    {
        if (m_notRegular.contains(strPath) || m_failWrites.contains(strPath))
            return Fail(false, "cannot be written", pstrReason);
        m_files[strPath] = std::string(bytes);
        return true;
    }

    std::map<std::string, std::string> m_files;
    std::set<std::string> m_notRegular;
    std::set<std::string> m_failWrites;

private:
    template <typename T> static T Fail(T result, const char* pszReason, std::string* pstrReason)
    {
        if (pstrReason)
            *pstrReason = pszReason;
        return result;
    }
};

class CMemoryPortStore : public IPortStore
{
public:
    std::optional<std::string> Load() override { return m_stored; }
    bool Save(const std::string& strPort) override
    {
        if (m_bSaveFails)
            return false;
        m_stored = strPort;
        return true;
    }

    std::optional<std::string> m_stored;
    bool m_bSaveFails = false;
};
