#pragma once

#include <QByteArray>
#include <QEvent>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

// The event that carries received bytes from the reader thread to the
// dialog. Registered once, before any window exists.
extern const QEvent::Type PROC_KOLV_MSG;

// Posted by the reader after the last byte when the device has hung up
// (adapter pulled, other end closed); carries nothing.
extern const QEvent::Type PROC_KOLV_HANGUP;

// Bounds what the reader has handed over and the receiver not yet handled, so
// that a device that talks without end cannot fill memory: the reader waits
// for room, and the terminal holds the bytes meanwhile.
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

// Received bytes, in order, holding their place at the gate until destroyed.
class CReceivedChunk
{
public:
    CReceivedChunk() = default;
    CReceivedChunk(QByteArray bytes, std::shared_ptr<CReceiveGate> pGate)
        : m_bytes(std::move(bytes)), m_pGate(std::move(pGate))
    {
    }
    ~CReceivedChunk()
    {
        if (m_pGate)
            m_pGate->Leave();
    }
    CReceivedChunk(CReceivedChunk&&) = default;
    CReceivedChunk& operator=(CReceivedChunk&&) = delete;
    CReceivedChunk(const CReceivedChunk&) = delete;
    CReceivedChunk& operator=(const CReceivedChunk&) = delete;

    const QByteArray& Bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    std::shared_ptr<CReceiveGate> m_pGate;
};

class CReceivedByteEvent : public QEvent
{
public:
    explicit CReceivedByteEvent(unsigned char byte)
        : QEvent(PROC_KOLV_MSG), m_chunk(QByteArray(1, static_cast<char>(byte)), nullptr)
    {
    }
    explicit CReceivedByteEvent(CReceivedChunk chunk)
        : QEvent(PROC_KOLV_MSG), m_chunk(std::move(chunk))
    {
    }
    const QByteArray& Bytes() const { return m_chunk.Bytes(); }
    // The bytes with their place at the gate, to be handled later.
    CReceivedChunk TakeChunk() { return std::move(m_chunk); }

private:
    CReceivedChunk m_chunk;
};
