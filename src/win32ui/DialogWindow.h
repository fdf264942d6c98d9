#pragma once

#include "core/dialog/DlgWindow.h"
#include "core/dialog/RT3180Dlg.h"
#include "win32ui/LedIndicator.h"
#include "win32ui/PumpClock.h"
#include "win32ui/ReceiveQueue.h"
#include "win32ui/Win32.h"

#include <memory>
#include <string>
#include <vector>

// The Port menu's items besides COM1 to COM4: "Other..." and the devices
// present, numbered from ID_PORT_DEVICE_FIRST in the order shown.
enum : int {
    ID_PORT_OTHER = 32800,
    ID_PORT_DEVICE_FIRST = 32801,
    ID_PORT_DEVICE_LAST = 32899,
};

// The platform's parts the dialog stands on.
struct CWin32Platform {
    IClock& clock; // precise; the window puts its pump into the waits
    ISerialPort& serial;
    IPortStore& store;
    IFiles& files;
    IPortCatalog& ports;
};

// The program's one window in plain Win32: the core's main dialog template
// and menu made into a modal dialog, every command, notification and timer
// handed to the core's dialog (m_pDlg), and what the dialog shows and asks
// done here.
class CDialogWindow : public IDlgWindow
{
public:
    CDialogWindow(HINSTANCE hInstance, const CWin32Platform& platform);
    ~CDialogWindow() override;
    CDialogWindow(const CDialogWindow&) = delete;
    CDialogWindow& operator=(const CDialogWindow&) = delete;

    // Runs the modal dialog; returns when it has ended.
    INT_PTR DoModal();

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

private:
    static INT_PTR CALLBACK DialogProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam);
    BOOL OnInitDialog();
    void CreateMenuBar();
    bool OnCommand(int nID, int nCode, HWND hControl);
    CLedIndicator* Led(int nID);
    HWND Item(int nID) const { return GetDlgItem(m_hWnd, nID); }

    HINSTANCE m_hInstance;
    ISerialPort& m_serial;
    CPumpClock m_pumpClock;
    CWin32ReceiveQueue m_queue;
    HWND m_hWnd = nullptr;
    HICON m_hIcon = nullptr;
    HICON m_hSmallIcon = nullptr;
    HMENU m_hPortMenu = nullptr;
    std::vector<std::string> m_devicePaths; // of the device items shown
    int m_nBusy = 0;
    CLedIndicator m_ledRx;
    CLedIndicator m_ledTx;

    // Last: it stands on everything above.
    std::unique_ptr<CRT3180Dlg> m_pDlg;
};
