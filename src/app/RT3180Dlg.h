#pragma once

#include "serial/SerialPort.h"

#include <QDialog>
#include <QHash>
#include <QIcon>
#include <QString>

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

protected:
    bool OnInitDialog();
    void reject() override;
    void keyPressEvent(QKeyEvent* pEvent) override;

public:
    // Run-time state, in the order the program's subsystems rely on.
    bool m_bTestOn = false;
    QString m_strRxLine;
    // m_settings: the settings file's record
    bool m_bRecallPending = false;
    bool m_bConnected = false;
    // m_registry: the per-user store of the port
    QString m_strComPort = QStringLiteral("COM1");
    QString m_strWorkDir;
    CSerialPort m_serial;
    QString m_strAcceptedText;
    // m_ledRx, m_ledTx: the link indicators
    QComboBox* m_cbIdle = nullptr;
    QComboBox* m_cbCurrent = nullptr;
    QComboBox* m_cbResolution = nullptr;
    QIcon m_hIcon;

private:
    void CreateFromTemplate();
    void CreateMenu();
    void ConnectMessageMap();

    QMenuBar* m_pMenuBar = nullptr;
    QWidget* m_pClient = nullptr;
    QHash<int, QWidget*> m_controls;
    QHash<int, QAction*> m_menuItems;
    bool m_bInitialised = false;
};
