#include "ui/DialogUnits.h"

#include <QFontMetrics>

namespace
{
// a * b / c rounded to the nearest integer, as templates are mapped.
int MulDiv(int a, int b, int c)
{
    const long long p = static_cast<long long>(a) * b;
    return static_cast<int>((p >= 0 ? p + c / 2 : p - c / 2) / c);
}
} // namespace

CDialogUnits::CDialogUnits(const QFont& font)
{
    const QFontMetrics fm(font);
    // Average width over the 52 letters, rounded.
    const int nLetters = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_nBaseX = (nLetters / 26 + 1) / 2;
    m_nBaseY = fm.height();
}

QRect CDialogUnits::MapDialogRect(const QRect& rc) const
{
    const int left = MulDiv(rc.left(), m_nBaseX, 4);
    const int top = MulDiv(rc.top(), m_nBaseY, 8);
    const int right = MulDiv(rc.left() + rc.width(), m_nBaseX, 4);
    const int bottom = MulDiv(rc.top() + rc.height(), m_nBaseY, 8);
    return QRect(left, top, right - left, bottom - top);
}

QSize CDialogUnits::MapDialogSize(const QSize& size) const
{
    return QSize(MulDiv(size.width(), m_nBaseX, 4), MulDiv(size.height(), m_nBaseY, 8));
}
