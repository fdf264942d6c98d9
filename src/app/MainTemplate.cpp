// The window of the main dialog: its controls at their template rectangles,
// in template order (which is the tab order), and its menu bar.

#include "app/RT3180Dlg.h"
#include "app/Texts.h"
#include "controls/LedIndicator.h"
#include "ui/DialogTemplate.h"
#include "ui/DialogUnits.h"
#include "ui/Resource.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

namespace
{

// Template of the main dialog, client area 269 x 133 dialog units.
constexpr QSize kMainSize(269, 133);
const CTemplateItem kMainTemplate[] = {
    {IDC_RESOLUTION, EKind::ComboBox, "", QRect(60, 21, 48, 60), nullptr},
    {IDC_IDLE, EKind::ComboBox, "", QRect(152, 21, 48, 60), nullptr},
    {IDC_CURRENT, EKind::ComboBox, "", QRect(152, 49, 48, 60), nullptr},
    {IDC_APPLY, EKind::PushButton, "Apply", QRect(151, 112, 50, 14), nullptr},
    {IDC_DEFAULTS, EKind::PushButton, "Defaults", QRect(2, 112, 50, 14), nullptr},
    {IDCANCEL, EKind::PushButton, "Exit", QRect(215, 112, 50, 14), nullptr},
    {IDC_SETTINGS_GROUP, EKind::GroupBox, "Motor Interface Settings:", QRect(2, 1, 210, 68),
     nullptr},
    {IDC_RESOLUTION_LABEL, EKind::Static, "RESOLUTION:", QRect(7, 25, 50, 8), nullptr},
    {IDC_CURRENT_LABEL, EKind::Static, "CURRENT:", QRect(113, 53, 38, 8), nullptr},
    {IDC_IDLE_LABEL, EKind::Static, "IDLE:", QRect(113, 25, 19, 8), nullptr},
    {IDC_CURRENT_UNIT, EKind::Static, "%", QRect(202, 53, 8, 8), nullptr},
    {IDC_IDLE_UNIT, EKind::Static, "%", QRect(202, 25, 8, 8), nullptr},
    {IDC_TX_LED, EKind::LedButton, "TX", QRect(221, 82, 23, 10), nullptr},
    {IDC_RX_LED, EKind::LedButton, "RX", QRect(221, 94, 23, 10), nullptr},
    {IDC_STATUS, EKind::Edit, "", QRect(2, 92, 210, 16), "Status"},
    {IDC_REPLY, EKind::Edit, "", QRect(2, 74, 210, 16), "Reply"},
    {IDC_CONNECT, EKind::PushButton, "Connect", QRect(215, 5, 50, 14), nullptr},
    {IDC_STATIC, EKind::GroupBox, "Line", QRect(217, 69, 45, 40), nullptr},
    {IDC_TEST, EKind::PushButton, "Test", QRect(215, 31, 50, 14), nullptr},
    {IDC_BANNER, EKind::Static, kTextBanner, QRect(49, 37, 116, 8), nullptr},
};

} // namespace

void CRT3180Dlg::CreateFromTemplate()
{
    setFont(DialogFont());
    const CDialogUnits units(font());

    m_pClient = new QWidget(this);
    m_pClient->setFixedSize(units.MapDialogSize(kMainSize));

    CreateTemplateControls(m_pClient, kMainTemplate, m_controls);

    m_cbIdle = static_cast<QComboBox*>(GetDlgItem(IDC_IDLE));
    m_cbCurrent = static_cast<QComboBox*>(GetDlgItem(IDC_CURRENT));
    m_cbResolution = static_cast<QComboBox*>(GetDlgItem(IDC_RESOLUTION));
    m_ledRx = static_cast<CLedIndicator*>(GetDlgItem(IDC_RX_LED));
    m_ledTx = static_cast<CLedIndicator*>(GetDlgItem(IDC_TX_LED));

    // Each list is announced by its label.
    static_cast<QLabel*>(GetDlgItem(IDC_RESOLUTION_LABEL))->setBuddy(m_cbResolution);
    static_cast<QLabel*>(GetDlgItem(IDC_IDLE_LABEL))->setBuddy(m_cbIdle);
    static_cast<QLabel*>(GetDlgItem(IDC_CURRENT_LABEL))->setBuddy(m_cbCurrent);

    CreateMenu();
    m_pClient->move(0, m_pMenuBar->sizeHint().height());
    setFixedSize(m_pClient->width(), m_pMenuBar->sizeHint().height() + m_pClient->height());
    m_pMenuBar->setGeometry(0, 0, width(), m_pMenuBar->sizeHint().height());
}

void CRT3180Dlg::CreateMenu()
{
    m_pMenuBar = new QMenuBar(this);
    m_pMenuBar->setNativeMenuBar(false);

    auto addItem = [this](QWidget* pMenu, int nID, const char* pszText) {
        auto* pAction = new QAction(QString::fromLatin1(pszText), pMenu);
        pMenu->addAction(pAction);
        m_menuItems.insert(nID, pAction);
        return pAction;
    };

    QMenu* pFile = m_pMenuBar->addMenu(QStringLiteral("File"));
    addItem(pFile, ID_FILE_OPEN, "Open");
    addItem(pFile, ID_FILE_SAVE, "Save");
    addItem(pFile, IDCANCEL, "Exit");

    addItem(m_pMenuBar, ID_RECALL, "Recall");

    QMenu* pPort = m_pMenuBar->addMenu(QStringLiteral("Port"));
    for (int i = 0; i < int(kPortNames.size()); ++i)
        addItem(pPort, ID_PORT_COM1 + i, kPortNames[i])->setCheckable(true);
    // The devices present are looked for each time the menu opens.
    m_pPortMenu = pPort;
    pPort->addSeparator();
    m_pOtherPortItem = pPort->addAction(QString::fromLatin1(kTextOtherPort));
    connect(pPort, &QMenu::aboutToShow, this, &CRT3180Dlg::FillDeviceItems);
    connect(m_pOtherPortItem, &QAction::triggered, this, &CRT3180Dlg::OnPortOther);

    addItem(m_pMenuBar, ID_HELP, "Help");
}
