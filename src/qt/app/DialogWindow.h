#pragma once

#include "core/dialog/DlgWindow.h"
#include "posix/DevicePortCatalog.h"
#include "posix/PosixFiles.h"
#include "posix/PreciseClock.h"
#include "posix/SerialPort.h"
#include "posix/SettingsPortStore.h"
#include "qt/ui/PumpClock.h"
#include "qt/ui/ReceiveQueue.h"

#include <QDialog>
#include <QHash>
#include <QList>
#include <memory>

class CDriveProtocol;
class CRT3180Dlg;

class QAction;
class QComboBox;
class QMenu;
class QMenuBar;
class QTimer;

// The program's one window in Qt Widgets: the main dialog's template and
// menu made into widgets, every click, command and timer handed to the
// core's dialog (m_dlg), and what the dialog shows and asks done here. It
// owns the Linux platform's parts the dialog stands on.
class CDialogWindow : public QDialog, public IDlgWindow
{
    Q_OBJECT

public:
    // pClock replaces the platform's clock and the window's pump (tests count
    // the pauses with a virtual one).
    explicit CDialogWindow(IClock* pClock = nullptr, QWidget* pParent = nullptr);
    ~CDialogWindow() override;

    // Runs the dialog's start-up once; DoModal then shows the window and
    // returns when the dialog has ended.
    bool Create();
    int DoModal();

    CRT3180Dlg& Dlg() { return *m_pDlg; }
    const CDriveProtocol& Drive() const;
    // The link's state, for those that do not include the core's dialog
    // (whose family type the simulator's shares a name with).
    bool IsConnected() const;
    bool IsInSequence() const;
    bool IsReplyTimerPending() const;
    bool IsTestOn() const;
    // The control or menu item with a template id; nullptr when there is none.
    QWidget* GetDlgItem(int nID) const { return m_controls.value(nID, nullptr); }
    QAction* GetMenuItem(int nID) const { return m_menuItems.value(nID, nullptr); }
    QMenuBar* GetMenu() const { return m_pMenuBar; }

    // IDlgWindow
    void SetDlgItemText(int nID, const std::string& strText) override;
    std::string GetDlgItemText(int nID) const override;
    void UpdateDlgItem(int nID) override;
    void UpdateWindow() override;
    void EnableDlgItem(int nID, bool bEnable) override;
    bool IsDlgItemEnabled(int nID) const override;
    void ShowDlgItem(int nID, bool bShow) override;
    void SetFocusDlgItem(int nID) override;
    void ResetContent(int nID) override;
    int AddString(int nID, const std::string& strText) override;
    void SetItemData(int nID, int nIndex, int nData) override;
    int GetItemData(int nID, int nIndex) const override;
    void SetCurSel(int nID, int nIndex) override;
    int GetCurSel(int nID) const override;
    void SetLedState(int nID, bool bLit) override;
    void CheckMenuItem(int nID, bool bChecked) override;
    bool IsMenuItemChecked(int nID) const override;
    void SetPortDeviceItems(const std::vector<CPortMenuItem>& items) override;
    void SetBusy(bool bBusy) override;
    void MessageBox(const CMessageBoxCall& call) override;
    std::optional<std::string> DoFileDialog(const CFileDialogCall& call) override;
    std::optional<std::string> AskText(const std::string& strPrompt,
                                       const std::string& strInitial) override;
    void ShowAboutBox() override;
    void SetTimer(unsigned nIDEvent, unsigned nMilliseconds) override;
    void KillTimer(unsigned nIDEvent) override;
    void EndDialog(int nResult) override;

protected:
    // Escape and the close box.
    void reject() override;
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    void CreateFromTemplate();
    void ConnectMessageMap();
    QComboBox* List(int nID) const;

    // The platform, and the window system's queue and clock.
    CPreciseClock m_preciseClock;
    CPumpClock m_pumpClock{m_preciseClock};
    // Before the port: its reader, which posts to the queue, ends first.
    CQtReceiveQueue m_queue;
    CSerialPort m_serial;
    CPosixFiles m_files;
    CSettingsPortStore m_store;
    CDevicePortCatalog m_ports;

    QMenuBar* m_pMenuBar = nullptr;
    QMenu* m_pPortMenu = nullptr;
    QAction* m_pOtherPortItem = nullptr;
    QList<QAction*> m_deviceItems;
    QHash<int, QWidget*> m_controls;
    QHash<int, QAction*> m_menuItems;
    QHash<unsigned, QTimer*> m_timers;
    int m_nBusy = 0;
    bool m_bInitialised = false;

    // Last: it stands on everything above.
    std::unique_ptr<CRT3180Dlg> m_pDlg;
};
