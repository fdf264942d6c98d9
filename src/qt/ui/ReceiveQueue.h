#pragma once

#include "core/serial/ReceiveQueue.h"

#include <QEvent>
#include <QObject>

// PROC_KOLV_MSG: the bytes one read found, posted by the reader.
class CReceivedEvent : public QEvent
{
public:
    explicit CReceivedEvent(CReceivedChunk chunk);
    static QEvent::Type EventType();
    const std::string& Bytes() const { return m_chunk.Bytes(); }
    CReceivedChunk TakeChunk() { return std::move(m_chunk); }

private:
    CReceivedChunk m_chunk;
};

// The reader's bytes and hang-up as events of the GUI thread's queue: posted
// from the reader, handed to the target (the drive link) in the order posted
// by the event loop, or at once by DeliverPosted.
class CQtReceiveQueue : public QObject, public IReceiveQueue
{
    Q_OBJECT

public:
    explicit CQtReceiveQueue(QObject* pParent = nullptr);
    ~CQtReceiveQueue() override;

    void SetTarget(IReceiveTarget* pTarget) override;
    void PostReceived(CReceivedChunk chunk) override;
    void PostHangup() override;
    void DeliverPosted() override;
    void DropHangup() override;

protected:
    bool event(QEvent* pEvent) override;

private:
    IReceiveTarget* m_pTarget = nullptr;
};
