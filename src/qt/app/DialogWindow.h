#pragma once

#include "port/StoredPort.h"
#include "protocol/DriveProtocol.h"
#include "settings/RT3180Data.h"

#include <QDialog>
#include <QHash>
#include <QIcon>
#include <QString>
#include <functional>

class CLedIndicator;
class QAction;
class QComboBox;
class QMenu;
class QMenuBar;
class QWidget;

// The program's one window: the settings lists, the buttons, the status and
// reply lines and the menu bar. Its handlers show and ask; the drive, the
// files and the stored port are the core's (m_drive and the settings and
// port functions). The handlers are grouped by subsystem: DlgSettings.cpp,
// DlgPort.cpp, DlgDrive.cpp.
class CRT3180Dlg : public QDialog
{
    Q_OBJECT

public:
    explicit CRT3180Dlg(QWidget* pParent = nullptr);
    ~CRT3180Dlg() override;

    // Runs the initialisation once (as creating the window does); DoModal
    // then shows the dialog and returns when it has ended.
    bool Create();
    int DoModal();

    // The control or menu item with a template id; nullptr when there is none.
    QWidget* GetDlgItem(int nID) const;
    QAction* GetMenuItem(int nID) const;
    QMenuBar* GetMenu() const { return m_pMenuBar; }

    // The link to the drive, for looking at its state.
    const CDriveProtocol& Drive() const { return m_drive; }
    const QString& ComPort() const { return m_strComPort; }

    // Window, appearance and ending the dialog.
    void ShowSettings(bool bShow);
    virtual void OnCancel();
    void OnOK();

    // Setting lists and drive families.
    void FillSettingLists();
    void SetDriveFamily(int nFlag);
    void OnDefaults();
    void OnSelChangeSetting();

    // Settings file.
    void OnFileOpen();
    void OnFileSave();

    // Port menu and the stored port.
    bool ReadStoredPort();
    void StorePort();
    void OnPortCom1();
    void OnPortCom2();
    void OnPortCom3();
    void OnPortCom4();
    // The devices present, below COM1 to COM4; filled as the menu opens.
    void FillDeviceItems();
    void OnPortDevice(const QString& strPath);
    void OnPortOther();

    // Help: the About box.
    void OnHelpAbout();

    // Talking to the drive.
    void OnConnect();
    void OnRecall();
    void OnApply();
    void OnTest();
    // The reply time-out as the drive link reports it.
    void OnTimer();

    // Sets the text or caption of a control; the second one also paints it
    // before the caller goes on (the GUI thread may be about to block).
    void SetDlgItemText(int nID, const QString& strText);
    void SetDlgItemTextNow(int nID, const QString& strText);
    // Enables or disables a control; a missing one is skipped.
    void EnableDlgItem(int nID, bool bEnable);

protected:
    bool OnInitDialog();
    void reject() override;
    void keyPressEvent(QKeyEvent* pEvent) override;

private:
    void CreateFromTemplate();
    void CreateMenu();
    void ConnectMessageMap();
    void ConnectDrive();
    void CheckStoredPortItem();
    void OnPortCom(int nPort);
    void ShowChosenPort();
    void ShowDisconnected(const QString& strStatus);
    CSettingCodes SelectedCodes() const;
    void RunDriveSequence(const std::function<void()>& sequence);
    CRT3180Data SelectedPositions() const;

    // Run-time state.
    CRT3180Data m_settings;
    CDriveProtocol m_drive;
    QString m_strComPort = QString::fromLatin1(kPortNames[0]);
    QString m_strWorkDir;
    CLedIndicator* m_ledRx = nullptr;
    CLedIndicator* m_ledTx = nullptr;
    QComboBox* m_cbIdle = nullptr;
    QComboBox* m_cbCurrent = nullptr;
    QComboBox* m_cbResolution = nullptr;
    QIcon m_hIcon;

    QMenuBar* m_pMenuBar = nullptr;
    QMenu* m_pPortMenu = nullptr;
    QAction* m_pOtherPortItem = nullptr;
    QList<QAction*> m_deviceItems;
    QWidget* m_pClient = nullptr;
    QHash<int, QWidget*> m_controls;
    QHash<int, QAction*> m_menuItems;
    bool m_bInitialised = false;
};
