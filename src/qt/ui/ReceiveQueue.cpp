#include "qt/ui/ReceiveQueue.h"

#include <QCoreApplication>
#include <QEvent>

#if defined(__SANITIZE_THREAD__)
extern "C" void AnnotateIgnoreWritesBegin(const char* pFile, int nLine);
extern "C" void AnnotateIgnoreWritesEnd(const char* pFile, int nLine);
extern "C" void AnnotateIgnoreReadsBegin(const char* pFile, int nLine);
extern "C" void AnnotateIgnoreReadsEnd(const char* pFile, int nLine);
#endif

namespace
{
// PROC_KOLV_MSG and the hang-up, registered once before any is posted.
const QEvent::Type kReceivedEvent = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type kHangupEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// Qt's event queue hands the event to the GUI thread under a lock the thread
// sanitizer cannot see, Qt not being instrumented; in that build the making
// and queueing of the event are kept out of its view, or every handler (and
// the queue growing on the reader's thread) would look racy.
template <class TMake> void Post(QObject* pReceiver, TMake make)
{
#if defined(__SANITIZE_THREAD__)
    AnnotateIgnoreWritesBegin(__FILE__, __LINE__);
    AnnotateIgnoreReadsBegin(__FILE__, __LINE__);
#endif
    QCoreApplication::postEvent(pReceiver, make());
#if defined(__SANITIZE_THREAD__)
    AnnotateIgnoreReadsEnd(__FILE__, __LINE__);
    AnnotateIgnoreWritesEnd(__FILE__, __LINE__);
#endif
}
} // namespace

CReceivedEvent::CReceivedEvent(CReceivedChunk chunk)
    : QEvent(kReceivedEvent), m_chunk(std::move(chunk))
{
}

QEvent::Type CReceivedEvent::EventType()
{
    return kReceivedEvent;
}

CQtReceiveQueue::CQtReceiveQueue(QObject* pParent) : QObject(pParent) {}

CQtReceiveQueue::~CQtReceiveQueue() = default;

void CQtReceiveQueue::SetTarget(IReceiveTarget* pTarget)
{
    m_pTarget = pTarget;
}

void CQtReceiveQueue::PostReceived(CReceivedChunk chunk)
{
    Post(this, [&chunk] { return new CReceivedEvent(std::move(chunk)); });
}

void CQtReceiveQueue::PostHangup()
{
    Post(this, [] { return new QEvent(kHangupEvent); });
}

void CQtReceiveQueue::DeliverPosted()
{
    QCoreApplication::sendPostedEvents(this, kReceivedEvent);
}

void CQtReceiveQueue::DropHangup()
{
    QCoreApplication::removePostedEvents(this, kHangupEvent);
}

bool CQtReceiveQueue::event(QEvent* pEvent)
{
    if (pEvent->type() == kReceivedEvent) {
        CReceivedChunk chunk = static_cast<CReceivedEvent*>(pEvent)->TakeChunk();
        if (m_pTarget)
            m_pTarget->OnReceived(std::move(chunk));
        return true;
    }
    if (pEvent->type() == kHangupEvent) {
        if (m_pTarget)
            m_pTarget->OnHangup();
        return true;
    }
    return QObject::event(pEvent);
}
