#include "qt/controls/LinkLabel.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

CLinkLabel::CLinkLabel(const QString& strText, QWidget* pParent)
    : QLabel(strText, pParent), m_strText(strText)
{
    setTextFormat(Qt::PlainText);
    // Moves without a button pressed drive the cursor.
    setMouseTracking(true);
}

// An underlined copy of the parent's font; without a parent there is none,
// and the label then never reacts to the pointer.
void CLinkLabel::CreateUnderlineFont()
{
    if (const QWidget* pParent = parentWidget()) {
        m_fontUnderline = pParent->font();
        m_fontUnderline.setUnderline(true);
        m_bFontCreated = true;
    }
}

void CLinkLabel::MeasureText()
{
    if (m_bMeasured || !m_bFontCreated)
        return;
    const QFontMetrics fm(m_fontUnderline, this);
    m_sizeText = QSize(fm.horizontalAdvance(m_strText), fm.height());
    m_bMeasured = true;
}

// The text is painted at the origin, so its measured box is the text itself.
bool CLinkLabel::IsOverText(const QPoint& pt) const
{
    return m_bMeasured && pt.x() >= 0 && pt.x() < m_sizeText.width() && pt.y() >= 0 &&
           pt.y() < m_sizeText.height();
}

void CLinkLabel::paintEvent(QPaintEvent*)
{
    if (!m_bFontCreated)
        CreateUnderlineFont();
    QPainter dc(this);
    if (m_bFontCreated)
        dc.setFont(m_fontUnderline);
    dc.setPen(QColor(0, 0, 255));
    // Drawn as written: no mnemonic processing.
    dc.drawText(QPoint(0, dc.fontMetrics().ascent()), m_strText);
}

void CLinkLabel::mouseMoveEvent(QMouseEvent* pEvent)
{
    // The first move after entering only starts tracking the stay.
    if (!m_bTracking) {
        m_bTracking = true;
    } else {
        MeasureText();
        setCursor(IsOverText(pEvent->position().toPoint()) ? m_hLinkCursor : m_hArrowCursor);
    }
    QLabel::mouseMoveEvent(pEvent);
}

void CLinkLabel::leaveEvent(QEvent* pEvent)
{
    m_bTracking = false;
    setCursor(m_hArrowCursor);
    QLabel::leaveEvent(pEvent);
}

void CLinkLabel::mousePressEvent(QMouseEvent* pEvent)
{
    if (pEvent->button() == Qt::LeftButton) {
        MeasureText();
        // What the desktop does with the address is its own affair.
        if (IsOverText(pEvent->position().toPoint()))
            QDesktopServices::openUrl(QUrl(m_strURL));
    }
    QLabel::mousePressEvent(pEvent);
}
