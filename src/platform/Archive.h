#pragma once

#include <QDataStream>

// A loading or storing archive of 32-bit little-endian integers on an open
// file. Instead of raising an error, it remembers that a read ran past the end
// of the file or that a write failed.
class CArchive
{
public:
    enum EMode { load, store };

    CArchive(QIODevice& file, EMode eMode) : m_stream(&file), m_eMode(eMode)
    {
        m_stream.setByteOrder(QDataStream::LittleEndian);
    }

    bool IsLoading() const { return m_eMode == load; }
    bool IsStoring() const { return m_eMode == store; }
    bool IsOk() const { return m_stream.status() == QDataStream::Ok; }

    CArchive& operator<<(qint32 nValue)
    {
        m_stream << nValue;
        return *this;
    }
    CArchive& operator>>(qint32& nValue)
    {
        m_stream >> nValue;
        return *this;
    }

private:
    QDataStream m_stream;
    EMode m_eMode;
};
