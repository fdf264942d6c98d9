#pragma once

#include "app/Texts.h"
#include "port/RegistryStore.h"
#include "serial/SerialPort.h"
#include "settings/RT3180Data.h"

#include <QDialog>
#include <QHash>
#include <QIcon>
#include <QString>
#include <QTimer>

class CLedIndicator;
class QAction;
class QComboBox;
class QMenuBar;
class QWidget;

// The program's one window: the settings lists, the buttons, the status and
// reply lines and the menu bar. Each handler lives in the folder of the
// subsystem it belongs to; this class holds the state they share.
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

    // Help: the About box.
    void OnHelpAbout();

    // Talking to the drive.
    void OnConnect();
    void OnRecall();
    void OnApply();
    void OnTest();
    void OnTimer();
    long OnReceiveByte(unsigned wParam, unsigned lParam);

    // The reply timer: arming it again replaces the pending time-out.
    void SetReplyTimer(int nMilliseconds);
    void KillReplyTimer();
    bool IsReplyTimerPending() const { return m_replyTimer.isActive(); }
    int ReplyTimerInterval() const { return m_replyTimer.interval(); }

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
    bool event(QEvent* pEvent) override;

public:
    // Run-time state, in the order the program's subsystems rely on.
    bool m_bTestOn = false;
    QString m_strRxLine;
    CRT3180Data m_settings;
    bool m_bRecallPending = false;
    bool m_bConnected = false;
    CRegistryStore m_registry;
    QString m_strComPort = QString::fromLatin1(kPortNames[0]);
    QString m_strWorkDir;
    CSerialPort m_serial;
    QString m_strAcceptedText;
    CLedIndicator* m_ledRx = nullptr;
    CLedIndicator* m_ledTx = nullptr;
    QComboBox* m_cbIdle = nullptr;
    QComboBox* m_cbCurrent = nullptr;
    QComboBox* m_cbResolution = nullptr;
    QIcon m_hIcon;

private:
    void CreateFromTemplate();
    void CreateMenu();
    void ConnectMessageMap();
    void CheckStoredPortItem();
    void OnPortCom(int nPort);
    void Disconnect();
    void ShowDisconnected(const QString& strStatus);
    void SendCommand(const QByteArray& command, unsigned nLeadIn, int nReplyTimeout,
                     unsigned nTrailing);
    void SendRecallCommands();
    void OnReplyLine();

    QTimer m_replyTimer;

    QMenuBar* m_pMenuBar = nullptr;
    QWidget* m_pClient = nullptr;
    QHash<int, QWidget*> m_controls;
    QHash<int, QAction*> m_menuItems;
    bool m_bInitialised = false;
};
