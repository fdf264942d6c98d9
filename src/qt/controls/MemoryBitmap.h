#pragma once

#include <QPalette>
#include <QPixmap>

class QPainter;

// A bitmap of equal cells side by side, loaded once and drawn cell by cell.
// On loading, the colour of the first pixel (the background) becomes the
// window colour and the standard greys the theme's 3-D colours, so the
// picture sits on any theme.
class CMemoryBitmap
{
public:
    CMemoryBitmap() = default;
    virtual ~CMemoryBitmap() = default;

    bool LoadBitmap(int nIDResource, int nCellWidth, const QPalette& palette);
    bool LoadBitmapFile(const QString& strPath, int nCellWidth, const QPalette& palette);

    bool IsLoaded() const { return !m_bitmap.isNull(); }
    int CellWidth() const { return m_nCellWidth; }
    int CellHeight() const { return m_nCellHeight; }

    // Copies cell nCell with its top left at ptDest; nothing when not loaded.
    void DrawCell(QPainter& dc, QPoint ptDest, int nCell) const;

private:
    QPixmap m_bitmap;
    int m_nCellWidth = 0;
    int m_nCellHeight = 0;
};
