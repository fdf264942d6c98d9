#pragma once

#include "qt/controls/MemoryBitmap.h"

#include <QAbstractButton>

// A lamp picture followed by a caption: red while unlit, green while lit.
// It only shows the link activity: clicks change nothing and it takes no
// focus. Assistive technology sees a check box named by the caption that is
// checked while the lamp is lit.
class CLedIndicator : public QAbstractButton
{
    Q_OBJECT

public:
    explicit CLedIndicator(const QString& strCaption, QWidget* pParent = nullptr);

    // Loads the two-cell lamp picture (unlit left, lit right) and places the
    // lamp one pixel from the left edge, centred vertically.
    void LoadLedBitmap(int nIDResource, int nCellWidth);
    // 0 unlit, anything else lit. A change is painted before this returns,
    // so it shows even while the caller then blocks; the same value again
    // paints nothing. Returns the state held after the call.
    int SetLedState(int nState);

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;
    void nextCheckState() override;

private:
    void PlaceImage();

    int m_nTextOffset = 20;
    int m_nImageX = 0;
    int m_nImageY = 0;
    int m_nState = 0;
    CMemoryBitmap m_image;
};
