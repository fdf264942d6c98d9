#pragma once

#include <QCursor>
#include <QLabel>

// A static text that is a link: painted blue and underlined in its parent's
// font, showing the help cursor while the pointer is over the text, and
// opening its address with the desktop's handler when the text is clicked.
class CLinkLabel : public QLabel
{
    Q_OBJECT

public:
    explicit CLinkLabel(const QString& strText, QWidget* pParent = nullptr);

    void SetURL(QString strURL) { m_strURL = std::move(strURL); }
    const QString& GetURL() const { return m_strURL; }

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void leaveEvent(QEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;

private:
    void CreateUnderlineFont();
    void MeasureText();
    bool IsOverText(const QPoint& pt) const;

    QString m_strText;
    QString m_strURL;
    QFont m_fontUnderline;
    QSize m_sizeText;
    bool m_bFontCreated = false;
    bool m_bTracking = false;
    bool m_bMeasured = false;
    const QCursor m_hLinkCursor{Qt::WhatsThisCursor};
    const QCursor m_hArrowCursor{Qt::ArrowCursor};
};
