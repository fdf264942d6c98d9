#pragma once

#include "core/dialog/DialogTemplate.h"

#include <QFont>
#include <QRect>

// Converts dialog-template units to pixels with the dialog font's metrics:
// a horizontal unit is a quarter of the font's average character width, a
// vertical unit an eighth of its height.
class CDialogUnits
{
public:
    explicit CDialogUnits(const QFont& font);

    int BaseX() const { return m_nBaseX; }
    int BaseY() const { return m_nBaseY; }
    QRect MapDialogRect(const CDlgRect& rcDialogUnits) const;
    QSize MapDialogSize(int cx, int cy) const;

private:
    int m_nBaseX;
    int m_nBaseY;
};
