// Dialog templates made into widgets: every dialog of the program, and the
// menu bar, are built here from the core's tables.

#include "qt/ui/DialogTemplate.h"

#include "core/dialog/Resource.h"
#include "qt/controls/AboutDlg.h"
#include "qt/controls/LedIndicator.h"
#include "qt/controls/LinkLabel.h"
#include "qt/ui/DialogUnits.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

QFont DialogFont(const CDialogTemplate& dlg)
{
    QFont font(QStringLiteral("Sans Serif"), dlg.nPointSize);
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

// An icon control names its icon by resource id.
QString IconPath(const char* pszResource)
{
    return QByteArray(pszResource).toInt() == IDR_MAINFRAME ? QStringLiteral(":/rt3180.ico")
                                                            : QString();
}

QWidget* CreateControl(const CTemplateItem& item, QWidget* pParent, const QRect& rc)
{
    const QString strCaption = QString::fromUtf8(item.pszCaption);
    switch (item.eKind) {
    case EKind::ComboBox: {
        auto* pCombo = new QComboBox(pParent);
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
        pButton->setDefault(item.eKind == EKind::DefPushButton);
        pButton->setGeometry(rc);
        return pButton;
    }
    case EKind::GroupBox: {
        auto* pGroup = new QGroupBox(strCaption, pParent);
        pGroup->setGeometry(rc);
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
        pIcon->setPixmap(QIcon(IconPath(item.pszCaption)).pixmap(kIconSize, kIconSize));
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
        pEdit->setGeometry(rc);
        return pEdit;
    }
    }
    return nullptr;
}

} // namespace

void CreateTemplateControls(QWidget* pClient, const CDialogTemplate& dlg,
                            QHash<int, QWidget*>& controls)
{
    pClient->setFont(DialogFont(dlg));
    const CDialogUnits units(pClient->font());
    pClient->setFixedSize(units.MapDialogSize(dlg.cx, dlg.cy));
    QWidget* pPrevTabStop = nullptr;
    for (const CTemplateItem& item : dlg.items) {
        QWidget* pWidget = CreateControl(item, pClient, units.MapDialogRect(item.rc));
        if (item.pszAccessibleName)
            pWidget->setAccessibleName(QString::fromUtf8(item.pszAccessibleName));
        if (item.nID != IDC_STATIC)
            controls.insert(item.nID, pWidget);
        pWidget->setFocusPolicy(IsTabStop(item.eKind) ? Qt::StrongFocus : Qt::NoFocus);
        if (IsTabStop(item.eKind)) {
            if (pPrevTabStop)
                QWidget::setTabOrder(pPrevTabStop, pWidget);
            pPrevTabStop = pWidget;
        }
    }
}

CMenuBarParts CreateMenuBar(QMenuBar* pMenuBar, std::span<const CMenuItem> menu,
                            QHash<int, QAction*>& items)
{
    CMenuBarParts parts;
    auto addCommand = [&items](QWidget* pMenu, const CMenuItem& item) {
        auto* pAction = new QAction(QString::fromUtf8(item.pszText), pMenu);
        pAction->setCheckable(item.bCheckable);
        pMenu->addAction(pAction);
        items.insert(item.nID, pAction);
    };
    for (const CMenuItem& entry : menu) {
        if (entry.eKind != EMenuKind::Popup) {
            addCommand(pMenuBar, entry);
            continue;
        }
        QMenu* pPopup = pMenuBar->addMenu(QString::fromUtf8(entry.pszText));
        for (const CMenuItem& item : entry.items) {
            switch (item.eKind) {
            case EMenuKind::Command:
                addCommand(pPopup, item);
                break;
            case EMenuKind::Separator:
                pPopup->addSeparator();
                break;
            case EMenuKind::PortDevicesSlot:
                parts.pPortMenu = pPopup;
                break;
            case EMenuKind::OtherPort:
                parts.pOtherPort = pPopup->addAction(QString::fromUtf8(item.pszText));
                break;
            case EMenuKind::Popup:
                break;
            }
        }
    }
    return parts;
}

void CreateAboutBox(CAboutDlg& dlg)
{
    dlg.setWindowTitle(QString::fromUtf8(kAboutDialog.pszTitle));
    CreateTemplateControls(&dlg, kAboutDialog, dlg.Controls());
    dlg.OnInitDialog();
}
