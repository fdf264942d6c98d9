#pragma once

#include <QRgb>

// How a lamp pixel reads: the middle tones of the red and the green picture.
inline bool IsRed(QRgb c)
{
    return qRed(c) > 150 && qGreen(c) < 100 && qBlue(c) < 100;
}

inline bool IsGreen(QRgb c)
{
    return qGreen(c) > 150 && qRed(c) < 100 && qBlue(c) < 100;
}
