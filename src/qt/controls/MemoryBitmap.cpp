#include "qt/controls/MemoryBitmap.h"

#include "core/dialog/Resource.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QtEndian>

namespace
{

QString BitmapResourcePath(int nIDResource)
{
    switch (nIDResource) {
    case IDB_LED:
        return QStringLiteral(":/led.bmp");
    default:
        return {};
    }
}

// The first pixel of a bitmap file is the first one stored: the bottom-left
// one when the rows are stored bottom-up (positive height), as usual.
QPoint FirstStoredPixel(const QByteArray& file, const QImage& image)
{
    constexpr int kHeightOffset = 14 + 8; // file header, then width before height
    if (file.size() < kHeightOffset + 4)
        return QPoint(0, 0);
    const qint32 nHeight = qFromLittleEndian<qint32>(file.constData() + kHeightOffset);
    return QPoint(0, nHeight > 0 ? image.height() - 1 : 0);
}

// The colour-table entry of the first pixel takes the window colour (that
// takes precedence); the standard greys take the matching 3-D colours.
void MapColourTable(QImage& image, const QPoint& ptFirst, const QPalette& palette)
{
    QList<QRgb> table = image.colorTable();
    const int nFirst = image.pixelIndex(ptFirst);
    for (int i = 0; i < table.size(); ++i) {
        const QRgb rgb = table[i] | 0xFF000000u;
        if (i == nFirst || rgb == qRgb(192, 192, 192))
            table[i] = palette.color(QPalette::Window).rgb();
        else if (rgb == qRgb(128, 128, 128))
            table[i] = palette.color(QPalette::Dark).rgb();
        else if (rgb == qRgb(223, 223, 223))
            table[i] = palette.color(QPalette::Midlight).rgb();
    }
    image.setColorTable(table);
}

} // namespace

bool CMemoryBitmap::LoadBitmap(int nIDResource, int nCellWidth, const QPalette& palette)
{
    return LoadBitmapFile(BitmapResourcePath(nIDResource), nCellWidth, palette);
}

bool CMemoryBitmap::LoadBitmapFile(const QString& strPath, int nCellWidth, const QPalette& palette)
{
    QFile file(strPath);
    if (strPath.isEmpty() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.readAll();
    QImage image;
    if (!image.loadFromData(data, "BMP"))
        return false;
    // Only a picture with a colour table has entries to map.
    if (image.colorCount() > 0)
        MapColourTable(image, FirstStoredPixel(data, image), palette);
    m_bitmap = QPixmap::fromImage(image);
    m_nCellWidth = nCellWidth;
    m_nCellHeight = image.height();
    return true;
}

void CMemoryBitmap::DrawCell(QPainter& dc, QPoint ptDest, int nCell) const
{
    if (IsLoaded())
        dc.drawPixmap(ptDest, m_bitmap,
                      QRect(nCell * m_nCellWidth, 0, m_nCellWidth, m_nCellHeight));
}
