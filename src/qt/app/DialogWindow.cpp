// Construction, initialisation, the two appearances and ending the dialog.

#include "app/RT3180Dlg.h"

#include "app/Texts.h"
#include "controls/AboutDlg.h"
#include "controls/LedIndicator.h"
#include "ui/Resource.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CRT3180Dlg::CRT3180Dlg(QWidget* pParent)
    : QDialog(pParent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      m_hIcon(QStringLiteral(":/rt3180.ico"))
{
    setWindowTitle(QString::fromLatin1(kTextTitle));
    CreateFromTemplate();
    ConnectMessageMap();
}

CRT3180Dlg::~CRT3180Dlg() = default;

bool CRT3180Dlg::Create()
{
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    return true;
}

int CRT3180Dlg::DoModal()
{
    Create();
    return exec();
}

QWidget* CRT3180Dlg::GetDlgItem(int nID) const
{
    return m_controls.value(nID, nullptr);
}

QAction* CRT3180Dlg::GetMenuItem(int nID) const
{
    return m_menuItems.value(nID, nullptr);
}

void CRT3180Dlg::SetDlgItemText(int nID, const QString& strText)
{
    QWidget* pControl = GetDlgItem(nID);
    if (auto* pEdit = qobject_cast<QLineEdit*>(pControl)) {
        pEdit->setText(strText);
        pEdit->setCursorPosition(0); // show the start of a long text
    } else if (auto* pButton = qobject_cast<QAbstractButton*>(pControl)) {
        pButton->setText(strText);
    } else if (auto* pLabel = qobject_cast<QLabel*>(pControl)) {
        pLabel->setText(strText);
    }
}

void CRT3180Dlg::SetDlgItemTextNow(int nID, const QString& strText)
{
    SetDlgItemText(nID, strText);
    if (QWidget* pControl = GetDlgItem(nID))
        pControl->repaint();
}

void CRT3180Dlg::EnableDlgItem(int nID, bool bEnable)
{
    if (QWidget* pControl = GetDlgItem(nID))
        pControl->setEnabled(bEnable);
}

// Commands and notifications, each bound to its handler.
void CRT3180Dlg::ConnectMessageMap()
{
    auto onClicked = [this](int nID, void (CRT3180Dlg::*pHandler)()) {
        if (auto* pButton = qobject_cast<QPushButton*>(GetDlgItem(nID)))
            connect(pButton, &QPushButton::clicked, this, pHandler);
    };
    auto onCommand = [this](int nID, void (CRT3180Dlg::*pHandler)()) {
        if (QAction* pAction = GetMenuItem(nID))
            connect(pAction, &QAction::triggered, this, pHandler);
    };

    onClicked(IDC_DEFAULTS, &CRT3180Dlg::OnDefaults);
    // Only a user's choice in a list is a selection change; selections made
    // by the program raise none.
    for (QComboBox* pList : {m_cbIdle, m_cbCurrent, m_cbResolution})
        connect(pList, &QComboBox::activated, this, &CRT3180Dlg::OnSelChangeSetting);

    onCommand(ID_FILE_OPEN, &CRT3180Dlg::OnFileOpen);
    onCommand(ID_FILE_SAVE, &CRT3180Dlg::OnFileSave);

    // Qt turns a checkable item's mark over before it reports the choice; the
    // handlers set the marks themselves, from the menu as it was.
    auto onPortCommand = [this](int nID, void (CRT3180Dlg::*pHandler)()) {
        if (QAction* pAction = GetMenuItem(nID)) {
            connect(pAction, &QAction::triggered, this, [this, pAction, pHandler](bool bChecked) {
                pAction->setChecked(!bChecked);
                (this->*pHandler)();
            });
        }
    };
    onPortCommand(ID_PORT_COM1, &CRT3180Dlg::OnPortCom1);
    onPortCommand(ID_PORT_COM2, &CRT3180Dlg::OnPortCom2);
    onPortCommand(ID_PORT_COM3, &CRT3180Dlg::OnPortCom3);
    onPortCommand(ID_PORT_COM4, &CRT3180Dlg::OnPortCom4);

    onClicked(IDCANCEL, &CRT3180Dlg::OnCancel);
    onCommand(IDCANCEL, &CRT3180Dlg::OnCancel);
    onCommand(ID_HELP, &CRT3180Dlg::OnHelpAbout);

    onClicked(IDC_CONNECT, &CRT3180Dlg::OnConnect);
    onCommand(ID_RECALL, &CRT3180Dlg::OnRecall);
    onClicked(IDC_APPLY, &CRT3180Dlg::OnApply);
    onClicked(IDC_TEST, &CRT3180Dlg::OnTest);
    ConnectDrive();
}

bool CRT3180Dlg::OnInitDialog()
{
    // The window manager owns the window menu on X11 and Wayland, so there is
    // no system menu to add the About entry to.
    setWindowIcon(m_hIcon);

    m_ledTx->LoadLedBitmap(IDB_LED, 15);
    m_ledRx->LoadLedBitmap(IDB_LED, 15);
    m_ledTx->SetLedState(0);
    m_ledRx->SetLedState(0);

    FillSettingLists();

    EnableDlgItem(IDC_APPLY, false);
    EnableDlgItem(IDC_TEST, false);
    SetDlgItemText(IDC_TEST, QString::fromLatin1(kTextTestOn));

    ReadStoredPort();
    CheckStoredPortItem();

    SetDlgItemText(IDC_STATUS, QString::fromLatin1(kStatusNotConnectedStartup) + m_strComPort);

    ShowSettings(false);

    m_strWorkDir = QDir::currentPath();

    return true;
}

void CRT3180Dlg::ShowSettings(bool bShow)
{
    static const int kSettingsControls[] = {
        IDC_SETTINGS_GROUP, IDC_RESOLUTION_LABEL, IDC_IDLE_LABEL, IDC_CURRENT_LABEL, IDC_IDLE_UNIT,
        IDC_CURRENT_UNIT,   IDC_RESOLUTION,       IDC_IDLE,       IDC_CURRENT,
    };
    for (int nID : kSettingsControls) {
        if (QWidget* pControl = GetDlgItem(nID))
            pControl->setVisible(bShow);
    }
    if (QWidget* pBanner = GetDlgItem(IDC_BANNER))
        pBanner->setVisible(!bShow);
}

void CRT3180Dlg::OnHelpAbout()
{
    CAboutDlg dlg(this);
    dlg.DoModal();
}

// The one closing path: every way of ending the dialog comes here.
void CRT3180Dlg::OnCancel()
{
    m_drive.Close();
    QDialog::reject();
}

// Enter while a control that does not take the key has the focus.
void CRT3180Dlg::OnOK()
{
    OnCancel();
}

// Escape and the close box.
void CRT3180Dlg::reject()
{
    OnCancel();
}

void CRT3180Dlg::keyPressEvent(QKeyEvent* pEvent)
{
    const bool bEnter = pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter;
    // A push button with the focus takes Enter itself; anywhere else Enter
    // ends the dialog.
    if (bEnter && (pEvent->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        !qobject_cast<QPushButton*>(focusWidget())) {
        OnOK();
        return;
    }
    QDialog::keyPressEvent(pEvent);
}
