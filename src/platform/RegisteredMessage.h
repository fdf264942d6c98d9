#pragma once

#include <QEvent>

// The event that carries one received byte from the reader thread to the
// dialog. Registered once, before any window exists.
extern const QEvent::Type PROC_KOLV_MSG;

// Posted by the reader after the last byte when the device has hung up
// (adapter pulled, other end closed); carries nothing.
extern const QEvent::Type PROC_KOLV_HANGUP;

class CReceivedByteEvent : public QEvent
{
public:
    explicit CReceivedByteEvent(unsigned char byte) : QEvent(PROC_KOLV_MSG), m_nByte(byte) {}
    unsigned Byte() const { return m_nByte; }

private:
    unsigned char m_nByte;
};
