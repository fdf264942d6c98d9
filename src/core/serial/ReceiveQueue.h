#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

// Bounds what the reader has handed over and the receiver not yet handled, so
// that a device that talks without end cannot fill memory: the reader waits
// for room, and the device holds the bytes meanwhile.
class CReceiveGate
{
public:
    explicit CReceiveGate(int nMaxChunks) : m_nMaxChunks(nMaxChunks) {}

    // Reader: takes a place, waiting while every place is taken; false when
    // bStop was set (and Wake called) meanwhile.
    bool Enter(const std::atomic<bool>& bStop);
    // A chunk has been handled (or dropped): its place is free again.
    void Leave();
    // Ends a wait in Enter, for a stop.
    void Wake();
    int InFlight() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_roomFreed;
    int m_nInFlight = 0;
    const int m_nMaxChunks;
};

// Received bytes are handed over in chunks of at most this many, with at
// most kMaxChunksPosted of them not yet handled.
inline constexpr std::size_t kMaxChunkBytes = 256;
inline constexpr int kMaxChunksPosted = 16;

// Received bytes, in order, holding their place at the gate until destroyed.
class CReceivedChunk
{
public:
    CReceivedChunk() = default;
    CReceivedChunk(std::string bytes, std::shared_ptr<CReceiveGate> pGate)
        : m_bytes(std::move(bytes)), m_pGate(std::move(pGate))
    {
    }
    ~CReceivedChunk()
    {
        if (m_pGate)
            m_pGate->Leave();
    }
    CReceivedChunk(CReceivedChunk&& other) noexcept = default;
    CReceivedChunk& operator=(CReceivedChunk&&) = delete;
    CReceivedChunk(const CReceivedChunk&) = delete;
    CReceivedChunk& operator=(const CReceivedChunk&) = delete;

    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
    std::shared_ptr<CReceiveGate> m_pGate;
};

// Who handles what the reader found, on the GUI thread (the drive link).
class IReceiveTarget
{
public:
    virtual ~IReceiveTarget() = default;
    virtual void OnReceived(CReceivedChunk chunk) = 0;
    // The device hung up (adapter pulled, other end closed).
    virtual void OnHangup() = 0;
};

// The GUI thread's queue for what the reader finds (PROC_KOLV_MSG): the
// reader posts, the GUI thread's loop hands each item to the target in the
// order posted. The window system provides it (its own event queue); a
// program without a window brings its own.
class IReceiveQueue
{
public:
    virtual ~IReceiveQueue() = default;

    // Set once by the target before anything is posted.
    virtual void SetTarget(IReceiveTarget* pTarget) = 0;
    // Reader thread.
    virtual void PostReceived(CReceivedChunk chunk) = 0;
    // Reader thread: once, after the last byte of a device that hung up.
    virtual void PostHangup() = 0;
    // GUI thread: hands the chunks already posted to the target now, before
    // a time-out is judged; a posted hang-up stays queued.
    virtual void DeliverPosted() = 0;
    // GUI thread: forgets a posted hang-up, whose port has been closed: it
    // must not end the next port's link.
    virtual void DropHangup() = 0;
};
