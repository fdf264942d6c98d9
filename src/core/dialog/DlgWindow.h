#pragma once

#include <optional>
#include <string>
#include <vector>

// A message box: OK only, with the program's title, plain text.
enum class EIcon { None, Stop };
struct CMessageBoxCall {
    std::string strText;
    EIcon eIcon = EIcon::None;
    std::string strDetail; // what a user needs beyond the text (device, reason, advice)
};

struct CFileFilter {
    std::string strText;    // the entry as the user reads it
    std::string strPattern; // the names it lists
};

// The common Open and Save dialogs.
struct CFileDialogCall {
    bool bOpenFileDialog = true;
    std::string strFileName;          // initial name, with its folder
    std::vector<CFileFilter> filters; // the first one is selected
    std::string strDefExt;            // added to a name typed without an extension
    bool bOverwritePrompt = false;
};

// A device item of the Port menu, below COM1 to COM4.
struct CPortMenuItem {
    std::string strPath; // the port it chooses: OnPortDevice(strPath)
    std::string strText;
    bool bChecked = false;
};

// The main dialog's window as the dialog's handlers see it, in the terms of
// its template and menu ids. A window system implements it; each call is
// done before it returns. An id without a control or item is skipped.
class IDlgWindow
{
public:
    virtual ~IDlgWindow() = default;

    // Controls. The text of an edit line, a button, a label.
    virtual void SetDlgItemText(int nID, const std::string& strText) = 0;
    virtual std::string GetDlgItemText(int nID) const = 0;
    // Paints the control now, with what it shows: the GUI thread may be
    // about to block.
    virtual void UpdateDlgItem(int nID) = 0;
    // Paints everything pending in the window now.
    virtual void UpdateWindow() = 0;
    virtual void EnableDlgItem(int nID, bool bEnable) = 0;
    virtual bool IsDlgItemEnabled(int nID) const = 0;
    virtual void ShowDlgItem(int nID, bool bShow) = 0;
    virtual void SetFocusDlgItem(int nID) = 0;

    // Drop-down lists: entries with an item data each, one selected or none (-1).
    virtual void ResetContent(int nID) = 0;
    virtual int AddString(int nID, const std::string& strText) = 0; // its position
    virtual void SetItemData(int nID, int nIndex, int nData) = 0;
    virtual int GetItemData(int nID, int nIndex) const = 0;
    // A position outside the list selects nothing. Raises no selection change.
    virtual void SetCurSel(int nID, int nIndex) = 0;
    virtual int GetCurSel(int nID) const = 0;

    // The LEDs: lit or not, painted at once, only on a change.
    virtual void SetLedState(int nID, bool bLit) = 0;

    // Menu items by command id.
    virtual void CheckMenuItem(int nID, bool bChecked) = 0;
    virtual bool IsMenuItemChecked(int nID) const = 0;
    // The Port menu's device items, replacing those shown before.
    virtual void SetPortDeviceItems(const std::vector<CPortMenuItem>& items) = 0;

    // The pointer shows that the program is busy (during a sequence).
    virtual void SetBusy(bool bBusy) = 0;

    // Modal boxes and dialogs over the window.
    virtual void MessageBox(const CMessageBoxCall& call) = 0;
    // The full path the user chose; nothing when cancelled.
    virtual std::optional<std::string> DoFileDialog(const CFileDialogCall& call) = 0;
    // A line of text the user typed; nothing when cancelled.
    virtual std::optional<std::string> AskText(const std::string& strPrompt,
                                               const std::string& strInitial) = 0;
    virtual void ShowAboutBox() = 0;

    // Window timers: OnTimer(nIDEvent) of the dialog each period until killed;
    // setting one again replaces it.
    virtual void SetTimer(unsigned nIDEvent, unsigned nMilliseconds) = 0;
    virtual void KillTimer(unsigned nIDEvent) = 0;

    // Ends the modal dialog.
    virtual void EndDialog(int nResult) = 0;
};
