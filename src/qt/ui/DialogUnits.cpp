#include "qt/ui/DialogUnits.h"

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

QRect CDialogUnits::MapDialogRect(const CDlgRect& rc) const
{
    const int left = MulDiv(rc.x, m_nBaseX, 4);
    const int top = MulDiv(rc.y, m_nBaseY, 8);
    const int right = MulDiv(rc.x + rc.cx, m_nBaseX, 4);
    const int bottom = MulDiv(rc.y + rc.cy, m_nBaseY, 8);
    return QRect(left, top, right - left, bottom - top);
}

QSize CDialogUnits::MapDialogSize(int cx, int cy) const
{
    return QSize(MulDiv(cx, m_nBaseX, 4), MulDiv(cy, m_nBaseY, 8));
}
