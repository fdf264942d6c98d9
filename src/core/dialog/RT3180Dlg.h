#pragma once

#include "core/dialog/DlgWindow.h"
#include "core/platform/Clock.h"
#include "core/platform/Files.h"
#include "core/port/PortNames.h"
#include "core/port/SerialDevices.h"
#include "core/port/StoredPort.h"
#include "core/protocol/DriveProtocol.h"
#include "core/serial/ReceiveQueue.h"
#include "core/serial/SerialPort.h"
#include "core/settings/RT3180Data.h"

#include <string>
#include <vector>

// What the dialog stands on: the platform's parts, and the window system's
// queue and clock (whose WaitUntil keeps the window answering).
struct CDlgPlatform {
    IClock& clock;
    ISerialPort& serial;
    IReceiveQueue& queue;
    IPortStore& store;
    IFiles& files;
    IPortCatalog& ports;
};

// The program's one dialog: what each of its handlers does, written once
// for every window system. The window shows and asks (IDlgWindow); the
// drive link talks to the drive; the handlers are grouped by subsystem:
// DlgSettings.cpp, DlgPort.cpp, DlgDrive.cpp.
class CRT3180Dlg : private IDriveListener, private IReplyTimer
{
public:
    CRT3180Dlg(IDlgWindow& window, const CDlgPlatform& platform);
    ~CRT3180Dlg() override;
    CRT3180Dlg(const CRT3180Dlg&) = delete;
    CRT3180Dlg& operator=(const CRT3180Dlg&) = delete;

    // Start-up, once the window's controls and menu exist.
    bool OnInitDialog();

    // Window, appearance and ending the dialog.
    void ShowSettings(bool bShow);
    // Every way of ending the dialog comes here; the port is closed first.
    void OnCancel();
    // Enter on a control that does not take it.
    void OnOK();
    // The system menu's About entry (IDM_ABOUTBOX); other commands are the window system's.
    void OnSysCommand(unsigned nID);

    // Setting lists and drive families.
    void FillSettingLists();
    void SetDriveFamily(EDriveFamily eFamily);
    void OnDefaults();
    // A user's own choice in one of the three lists.
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
    // The Port menu is opening: the devices present, below COM1 to COM4.
    void FillDeviceItems();
    void OnPortDevice(const std::string& strPath);
    void OnPortOther();

    // Help and the system menu's entry: the About box.
    void OnHelpAbout();

    // Talking to the drive.
    void OnConnect();
    void OnRecall();
    void OnApply();
    void OnTest();
    // A window timer expired (kReplyTimerId: the reply time-out).
    void OnTimer(unsigned nIDEvent);

    // The link to the drive; the window system hands it received bytes
    // through the queue, and a program that stops asks whether a sequence runs.
    const CDriveProtocol& Drive() const { return m_drive; }
    const std::string& ComPort() const { return m_strComPort; }

private:
    // IDriveListener: what the link reports, shown at once.
    void OnTxLamp(bool bLit) override;
    void OnRxLamp(bool bLit) override;
    void OnCommandSent(const CSentCommand& sent) override;
    void OnAccepted(EDriveFamily eFamily) override;
    void OnFamily(EDriveFamily eFamily, const std::string& strReply) override;
    void OnRecalled(ESetting eSetting, int nPosition) override;
    void OnLinkLost(ELinkLoss eLoss) override;
    // IReplyTimer: the window's timer kReplyTimerId.
    void SetTimer(unsigned nMilliseconds) override;
    void KillTimer() override;

    // Sets a text and paints it before the caller goes on.
    void SetDlgItemTextNow(int nID, const std::string& strText);
    void ShowDisconnected(const std::string& strStatus);
    void CheckStoredPortItem();
    void OnPortCom(int nPort);
    void ShowChosenPort();
    void RunDriveSequence(void (CRT3180Dlg::*pSequence)());
    void SendApply();
    void SendRecall();
    void SendTest();
    int ListId(ESetting eSetting) const;
    CRT3180Data SelectedPositions() const;
    void SelectPositions(const CRT3180Data& positions);

    IDlgWindow& m_window;
    CDlgPlatform m_platform;

    // Run-time state.
    CRT3180Data m_settings;
    CDriveProtocol m_drive;
    std::string m_strComPort = kFirstPort;
    std::string m_strWorkDir;
    // The family whose current list is shown.
    EDriveFamily m_eCurrentList = kStartFamily;
    std::vector<CSerialDevice> m_devices;
};
