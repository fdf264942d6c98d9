#pragma once

#include <QtGlobal>

class CArchive;

// The settings file's record: the positions of the three list selections.
// On file it is these three 32-bit little-endian integers and nothing else.
class CRT3180Data
{
public:
    void Serialize(CArchive& ar);

    qint32 m_nIdle = 0;
    qint32 m_nCurrent = 0;
    qint32 m_nResolution = 0;
};
