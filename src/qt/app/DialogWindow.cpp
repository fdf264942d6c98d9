// The main dialog's window: built from the core's template and menu, each
// user action handed to the core's dialog, each of its calls done at once.

#include "qt/app/DialogWindow.h"

#include "core/dialog/RT3180Dlg.h"
#include "core/dialog/Resource.h"
#include "core/dialog/Texts.h"
#include "qt/controls/AboutDlg.h"
#include "qt/controls/LedIndicator.h"
#include "qt/ui/DialogTemplate.h"
#include "qt/ui/FileDialog.h"
#include "qt/ui/MessageBoxPresenter.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

namespace
{
// The LED picture's cells: unlit left, lit right.
constexpr int kLedCellWidth = 15;

QString ToQString(const std::string& str)
{
    return QString::fromStdString(str);
}
} // namespace

CDialogWindow::CDialogWindow(IClock* pClock, QWidget* pParent)
    : QDialog(pParent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      m_pDlg(
          std::make_unique<CRT3180Dlg>(*this, CDlgPlatform{pClock ? *pClock : m_pumpClock, m_serial,
                                                           m_queue, m_store, m_files, m_ports}))
{
    setWindowTitle(QString::fromUtf8(kMainDialog.pszTitle));
    setWindowIcon(QIcon(QStringLiteral(":/rt3180.ico")));
    CreateFromTemplate();
    ConnectMessageMap();
}

CDialogWindow::~CDialogWindow() = default;

const CDriveProtocol& CDialogWindow::Drive() const
{
    return m_pDlg->Drive();
}

bool CDialogWindow::IsConnected() const
{
    return Drive().IsConnected();
}

bool CDialogWindow::IsInSequence() const
{
    return Drive().IsInSequence();
}

bool CDialogWindow::IsReplyTimerPending() const
{
    return Drive().IsReplyTimerPending();
}

bool CDialogWindow::IsTestOn() const
{
    return Drive().IsTestOn();
}

bool CDialogWindow::Create()
{
    if (!m_bInitialised) {
        m_bInitialised = true;
        m_pDlg->OnInitDialog();
    }
    return true;
}

int CDialogWindow::DoModal()
{
    Create();
    return exec();
}

void CDialogWindow::CreateFromTemplate()
{
    auto* pClient = new QWidget(this);
    CreateTemplateControls(pClient, kMainDialog, m_controls);
    setFont(pClient->font());

    for (int nID : {IDC_TX_LED, IDC_RX_LED})
        static_cast<CLedIndicator*>(GetDlgItem(nID))->LoadLedBitmap(IDB_LED, kLedCellWidth);
    // Each list is announced by its label.
    for (auto [nLabel, nList] : {std::pair{IDC_RESOLUTION_LABEL, IDC_RESOLUTION},
                                 {IDC_IDLE_LABEL, IDC_IDLE},
                                 {IDC_CURRENT_LABEL, IDC_CURRENT}})
        static_cast<QLabel*>(GetDlgItem(nLabel))->setBuddy(GetDlgItem(nList));

    m_pMenuBar = new QMenuBar(this);
    m_pMenuBar->setNativeMenuBar(false);
    const CMenuBarParts parts = CreateMenuBar(m_pMenuBar, kMainMenu, m_menuItems);
    m_pPortMenu = parts.pPortMenu;
    m_pOtherPortItem = parts.pOtherPort;

    const int nMenuHeight = m_pMenuBar->sizeHint().height();
    pClient->move(0, nMenuHeight);
    setFixedSize(pClient->width(), nMenuHeight + pClient->height());
    m_pMenuBar->setGeometry(0, 0, width(), nMenuHeight);
}

// Commands and notifications, each bound to the dialog's handler.
void CDialogWindow::ConnectMessageMap()
{
    auto onClicked = [this](int nID, void (CRT3180Dlg::*pHandler)()) {
        if (auto* pButton = qobject_cast<QPushButton*>(GetDlgItem(nID)))
            connect(pButton, &QPushButton::clicked, this,
                    [this, pHandler] { ((*m_pDlg).*pHandler)(); });
    };
    // Qt turns a checkable item's mark over before it reports the choice; the
    // dialog sets the marks itself, from the menu as it was.
    auto onCommand = [this](int nID, void (CRT3180Dlg::*pHandler)()) {
        if (QAction* pAction = GetMenuItem(nID)) {
            connect(pAction, &QAction::triggered, this, [this, pAction, pHandler](bool bChecked) {
                if (pAction->isCheckable())
                    pAction->setChecked(!bChecked);
                ((*m_pDlg).*pHandler)();
            });
        }
    };

    onClicked(IDC_DEFAULTS, &CRT3180Dlg::OnDefaults);
    // Only a user's choice in a list is a selection change; selections made
    // by the program raise none.
    for (int nID : {IDC_IDLE, IDC_CURRENT, IDC_RESOLUTION})
        connect(List(nID), &QComboBox::activated, this, [this] { m_pDlg->OnSelChangeSetting(); });

    onCommand(ID_FILE_OPEN, &CRT3180Dlg::OnFileOpen);
    onCommand(ID_FILE_SAVE, &CRT3180Dlg::OnFileSave);
    onCommand(ID_PORT_COM1, &CRT3180Dlg::OnPortCom1);
    onCommand(ID_PORT_COM2, &CRT3180Dlg::OnPortCom2);
    onCommand(ID_PORT_COM3, &CRT3180Dlg::OnPortCom3);
    onCommand(ID_PORT_COM4, &CRT3180Dlg::OnPortCom4);
    // The devices present are looked for each time the menu opens.
    if (m_pPortMenu)
        connect(m_pPortMenu, &QMenu::aboutToShow, this, [this] { m_pDlg->FillDeviceItems(); });
    if (m_pOtherPortItem)
        connect(m_pOtherPortItem, &QAction::triggered, this, [this] { m_pDlg->OnPortOther(); });

    onClicked(IDCANCEL, &CRT3180Dlg::OnCancel);
    onCommand(IDCANCEL, &CRT3180Dlg::OnCancel);
    onCommand(ID_HELP, &CRT3180Dlg::OnHelpAbout);

    onClicked(IDC_CONNECT, &CRT3180Dlg::OnConnect);
    onCommand(ID_RECALL, &CRT3180Dlg::OnRecall);
    onClicked(IDC_APPLY, &CRT3180Dlg::OnApply);
    onClicked(IDC_TEST, &CRT3180Dlg::OnTest);
}

void CDialogWindow::reject()
{
    m_pDlg->OnCancel();
}

void CDialogWindow::keyPressEvent(QKeyEvent* pEvent)
{
    const bool bEnter = pEvent->key() == Qt::Key_Return || pEvent->key() == Qt::Key_Enter;
    // A push button with the focus takes Enter itself; anywhere else Enter
    // ends the dialog.
    if (bEnter && (pEvent->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
        !qobject_cast<QPushButton*>(focusWidget())) {
        m_pDlg->OnOK();
        return;
    }
    QDialog::keyPressEvent(pEvent);
}

void CDialogWindow::SetDlgItemText(int nID, const std::string& strText)
{
    QWidget* pControl = GetDlgItem(nID);
    const QString strQt = ToQString(strText);
    if (auto* pEdit = qobject_cast<QLineEdit*>(pControl)) {
        pEdit->setText(strQt);
        pEdit->setCursorPosition(0); // show the start of a long text
    } else if (auto* pButton = qobject_cast<QAbstractButton*>(pControl)) {
        pButton->setText(strQt);
    } else if (auto* pLabel = qobject_cast<QLabel*>(pControl)) {
        pLabel->setText(strQt);
    } else if (auto* pGroup = qobject_cast<QGroupBox*>(pControl)) {
        pGroup->setTitle(strQt);
    }
}

std::string CDialogWindow::GetDlgItemText(int nID) const
{
    // Edit lines, labels and buttons keep it in "text", a group box in "title".
    QWidget* pControl = GetDlgItem(nID);
    if (!pControl)
        return {};
    if (auto* pList = qobject_cast<QComboBox*>(pControl))
        return pList->currentText().toStdString();
    const char* pszProperty = qobject_cast<QGroupBox*>(pControl) ? "title" : "text";
    return pControl->property(pszProperty).toString().toStdString();
}

void CDialogWindow::UpdateDlgItem(int nID)
{
    if (QWidget* pControl = GetDlgItem(nID))
        pControl->repaint();
}

void CDialogWindow::UpdateWindow()
{
    repaint();
}

void CDialogWindow::EnableDlgItem(int nID, bool bEnable)
{
    if (QWidget* pControl = GetDlgItem(nID))
        pControl->setEnabled(bEnable);
}

bool CDialogWindow::IsDlgItemEnabled(int nID) const
{
    const QWidget* pControl = GetDlgItem(nID);
    return pControl && pControl->isEnabled();
}

void CDialogWindow::ShowDlgItem(int nID, bool bShow)
{
    if (QWidget* pControl = GetDlgItem(nID))
        pControl->setVisible(bShow);
}

void CDialogWindow::SetFocusDlgItem(int nID)
{
    if (QWidget* pControl = GetDlgItem(nID))
        pControl->setFocus();
}

QComboBox* CDialogWindow::List(int nID) const
{
    return qobject_cast<QComboBox*>(GetDlgItem(nID));
}

void CDialogWindow::ResetContent(int nID)
{
    if (QComboBox* pList = List(nID))
        pList->clear();
}

int CDialogWindow::AddString(int nID, const std::string& strText)
{
    QComboBox* pList = List(nID);
    if (!pList)
        return -1;
    // Qt selects the first entry added to an empty list; a dialog's list
    // selects nothing until told.
    const int nSelected = pList->currentIndex();
    pList->addItem(ToQString(strText));
    if (nSelected < 0)
        pList->setCurrentIndex(-1);
    return pList->count() - 1;
}

void CDialogWindow::SetItemData(int nID, int nIndex, int nData)
{
    if (QComboBox* pList = List(nID))
        pList->setItemData(nIndex, nData);
}

int CDialogWindow::GetItemData(int nID, int nIndex) const
{
    const QComboBox* pList = List(nID);
    if (!pList || nIndex < 0 || nIndex >= pList->count())
        return -1;
    return pList->itemData(nIndex).toInt();
}

void CDialogWindow::SetCurSel(int nID, int nIndex)
{
    if (QComboBox* pList = List(nID))
        pList->setCurrentIndex(nIndex >= 0 && nIndex < pList->count() ? nIndex : -1);
}

int CDialogWindow::GetCurSel(int nID) const
{
    const QComboBox* pList = List(nID);
    return pList ? pList->currentIndex() : -1;
}

void CDialogWindow::SetLedState(int nID, bool bLit)
{
    if (auto* pLed = qobject_cast<CLedIndicator*>(GetDlgItem(nID)))
        pLed->SetLedState(bLit ? 1 : 0);
}

void CDialogWindow::CheckMenuItem(int nID, bool bChecked)
{
    if (QAction* pItem = GetMenuItem(nID))
        pItem->setChecked(bChecked);
}

bool CDialogWindow::IsMenuItemChecked(int nID) const
{
    const QAction* pItem = GetMenuItem(nID);
    return pItem && pItem->isChecked();
}

void CDialogWindow::SetPortDeviceItems(const std::vector<CPortMenuItem>& items)
{
    if (!m_pPortMenu)
        return;
    // The item chosen may be the one whose signal runs now: deleted later.
    for (QAction* pOld : std::as_const(m_deviceItems)) {
        m_pPortMenu->removeAction(pOld);
        pOld->deleteLater();
    }
    m_deviceItems.clear();
    for (const CPortMenuItem& item : items) {
        auto* pItem = new QAction(ToQString(item.strText), m_pPortMenu);
        pItem->setCheckable(true);
        pItem->setChecked(item.bChecked);
        connect(pItem, &QAction::triggered, this,
                [this, pItem, strPath = item.strPath](bool bChecked) {
                    pItem->setChecked(!bChecked);
                    m_pDlg->OnPortDevice(strPath);
                });
        m_pPortMenu->insertAction(m_pOtherPortItem, pItem);
        m_deviceItems.append(pItem);
    }
}

void CDialogWindow::SetBusy(bool bBusy)
{
    if (bBusy) {
        ++m_nBusy;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_nBusy > 0) {
        --m_nBusy;
        QApplication::restoreOverrideCursor();
    }
}

void CDialogWindow::MessageBox(const CMessageBoxCall& call)
{
    ShowMessageBox(this, call);
}

std::optional<std::string> CDialogWindow::DoFileDialog(const CFileDialogCall& call)
{
    return ::DoFileDialog(this, call);
}

std::optional<std::string> CDialogWindow::AskText(const std::string& strPrompt,
                                                  const std::string& strInitial)
{
    bool bOk = false;
    const QString strAnswer =
        QInputDialog::getText(this, QString::fromUtf8(kAppTitle), ToQString(strPrompt),
                              QLineEdit::Normal, ToQString(strInitial), &bOk);
    if (!bOk)
        return std::nullopt;
    return strAnswer.toStdString();
}

void CDialogWindow::ShowAboutBox()
{
    CAboutDlg dlg(this);
    CreateAboutBox(dlg);
    dlg.DoModal();
}

void CDialogWindow::SetTimer(unsigned nIDEvent, unsigned nMilliseconds)
{
    QTimer*& pTimer = m_timers[nIDEvent];
    if (!pTimer) {
        pTimer = new QTimer(this);
        pTimer->setTimerType(Qt::PreciseTimer);
        connect(pTimer, &QTimer::timeout, this, [this, nIDEvent] { m_pDlg->OnTimer(nIDEvent); });
    }
    // Started again, the pending period is replaced.
    pTimer->start(static_cast<int>(nMilliseconds));
}

void CDialogWindow::KillTimer(unsigned nIDEvent)
{
    if (QTimer* pTimer = m_timers.value(nIDEvent, nullptr))
        pTimer->stop();
}

void CDialogWindow::EndDialog(int nResult)
{
    done(nResult);
}
