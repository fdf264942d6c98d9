#include "qt/controls/LedIndicator.h"

#include <QPainter>

CLedIndicator::CLedIndicator(const QString& strCaption, QWidget* pParent) : QAbstractButton(pParent)
{
    setText(strCaption);
    // The caption is shown as written, '&' included, so it names no shortcut.
    setShortcut(QKeySequence());
    setAccessibleName(strCaption);
    setFocusPolicy(Qt::NoFocus);
    setCheckable(true);
    // Only SetLedState may change what assistive technology reports.
    connect(this, &QAbstractButton::toggled, this, [this](bool bChecked) {
        if (bChecked != (m_nState != 0))
            setChecked(m_nState != 0);
    });
}

void CLedIndicator::LoadLedBitmap(int nIDResource, int nCellWidth)
{
    // A picture that does not load leaves the lamp out; the caption stays.
    m_image.LoadBitmap(nIDResource, nCellWidth, palette());
    m_nImageX = 1;
    if (m_nTextOffset < m_image.CellWidth())
        m_nTextOffset = m_image.CellWidth() + 5;
    PlaceImage();
}

int CLedIndicator::SetLedState(int nState)
{
    if (nState != m_nState) {
        m_nState = nState;
        setChecked(nState != 0);
        repaint();
    }
    return m_nState;
}

void CLedIndicator::PlaceImage()
{
    m_nImageY = (height() + 1) / 2 - m_image.CellHeight() / 2;
}

void CLedIndicator::resizeEvent(QResizeEvent* pEvent)
{
    PlaceImage();
    QAbstractButton::resizeEvent(pEvent);
}

// A click leaves the state as it is.
void CLedIndicator::nextCheckState() {}

void CLedIndicator::paintEvent(QPaintEvent*)
{
    QPainter dc(this);
    const QRect rcClient = rect();
    // The dialog's face: Windows paints dialogs and button faces in one
    // colour, which is the window colour of a Qt palette.
    dc.fillRect(rcClient, palette().color(QPalette::Window));
    m_image.DrawCell(dc, QPoint(m_nImageX, m_nImageY), m_nState ? 1 : 0);

    const QString strCaption = text();
    if (strCaption.isEmpty())
        return;
    // Word-wrapped, without mnemonic processing, centred vertically.
    const int nFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    QRect rcText = dc.boundingRect(rcClient.adjusted(m_nTextOffset, 0, -2, 0), nFlags, strCaption);
    rcText.moveTop(rcClient.top() + (rcClient.height() - rcText.height() + 1) / 2);
    dc.drawText(rcText, nFlags, strCaption);
}
