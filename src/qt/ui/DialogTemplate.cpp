// Dialog templates made into widgets: every dialog of the program is built
// here from its control table.

#include "ui/DialogTemplate.h"

#include "controls/LedIndicator.h"
#include "controls/LinkLabel.h"
#include "ui/DialogUnits.h"
#include "ui/Resource.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

QFont DialogFont()
{
    QFont font(QStringLiteral("Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

namespace
{

// A wheel turned while passing over a setting list is no choice of the user's:
// only the list that has the focus takes it.
class CFocusedWheelOnly : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::Wheel && !static_cast<QWidget*>(pWatched)->hasFocus()) {
            pEvent->ignore();
            return true;
        }
        return QObject::eventFilter(pWatched, pEvent);
    }
};

QWidget* CreateControl(const CTemplateItem& item, QWidget* pParent, const QRect& rc)
{
    const QString strCaption = QString::fromLatin1(item.pszCaption);
    switch (item.kind) {
    case EKind::ComboBox: {
        auto* pCombo = new QComboBox(pParent);
        pCombo->setFocusPolicy(Qt::StrongFocus);
        pCombo->installEventFilter(new CFocusedWheelOnly(pCombo));
        // The template height is that of the dropped list; the closed box
        // takes the height the font needs.
        const int nClosed = pCombo->sizeHint().height();
        pCombo->setGeometry(rc.x(), rc.y(), rc.width(), nClosed);
        const int nItem = pCombo->fontMetrics().height() + 2;
        pCombo->setMaxVisibleItems(qMax(1, (rc.height() - nClosed) / nItem));
        return pCombo;
    }
    case EKind::PushButton:
    case EKind::DefPushButton: {
        auto* pButton = new QPushButton(strCaption, pParent);
        pButton->setFocusPolicy(Qt::StrongFocus);
        pButton->setDefault(item.kind == EKind::DefPushButton);
        pButton->setGeometry(rc);
        return pButton;
    }
    case EKind::GroupBox: {
        auto* pGroup = new QGroupBox(strCaption, pParent);
        pGroup->setGeometry(rc);
        pGroup->setFocusPolicy(Qt::NoFocus);
        // Only a frame: the controls inside it are its siblings and must
        // get the mouse.
        pGroup->setAttribute(Qt::WA_TransparentForMouseEvents);
        pGroup->lower();
        return pGroup;
    }
    case EKind::Static: {
        auto* pLabel = new QLabel(strCaption, pParent);
        pLabel->setTextFormat(Qt::PlainText);
        pLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        pLabel->setGeometry(rc);
        return pLabel;
    }
    case EKind::Icon: {
        // An icon control takes the icon's own size, whatever the template says.
        constexpr int kIconSize = 32;
        auto* pIcon = new QLabel(pParent);
        pIcon->setPixmap(QIcon(strCaption).pixmap(kIconSize, kIconSize));
        pIcon->setGeometry(rc.x(), rc.y(), kIconSize, kIconSize);
        return pIcon;
    }
    case EKind::LedButton: {
        auto* pLed = new CLedIndicator(strCaption, pParent);
        pLed->setGeometry(rc);
        return pLed;
    }
    case EKind::Link: {
        auto* pLink = new CLinkLabel(strCaption, pParent);
        pLink->setGeometry(rc);
        return pLink;
    }
    case EKind::Edit: {
        auto* pEdit = new QLineEdit(pParent);
        pEdit->setReadOnly(true);
        pEdit->setFocusPolicy(Qt::StrongFocus);
        pEdit->setGeometry(rc);
        return pEdit;
    }
    }
    return nullptr;
}

} // namespace

void CreateTemplateControls(QWidget* pParent, std::span<const CTemplateItem> items,
                            QHash<int, QWidget*>& controls)
{
    const CDialogUnits units(pParent->font());
    QWidget* pPrevTabStop = nullptr;
    for (const CTemplateItem& item : items) {
        QWidget* pWidget = CreateControl(item, pParent, units.MapDialogRect(item.rc));
        if (item.pszAccessibleName)
            pWidget->setAccessibleName(QString::fromLatin1(item.pszAccessibleName));
        if (item.nID != IDC_STATIC)
            controls.insert(item.nID, pWidget);
        if (pWidget->focusPolicy() & Qt::TabFocus) {
            if (pPrevTabStop)
                QWidget::setTabOrder(pPrevTabStop, pWidget);
            pPrevTabStop = pWidget;
        }
    }
}
