#pragma once

// A window for the dialog's handlers that shows nothing and keeps
// everything: each control's text, state and list entries, the menu's check
// marks, and an event log of what a user would see happen, with the time of
// the clock the dialog waits on.

#include "core/dialog/DlgWindow.h"
#include "core/platform/Clock.h"

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct CRecordedControl {
    std::string strText;
    bool bEnabled = true;
    bool bShown = true;
    std::vector<std::pair<std::string, int>> entries; // text, item data
    int nCurSel = -1;
};

class CRecordingWindow : public IDlgWindow
{
public:
    // The controls and check marks of the main dialog's template and menu;
    // events go to a log the test may share (with the serial port's writes).
    CRecordingWindow(IClock& clock, std::vector<std::string>& events);

    void SetDlgItemText(int nID, const std::string& strText) override
    {
        Control(nID).strText = strText;
    }
    std::string GetDlgItemText(int nID) const override { return Control(nID).strText; }
    void UpdateDlgItem(int nID) override;
    void UpdateWindow() override { m_events.push_back("window" + At()); }
    void EnableDlgItem(int nID, bool bEnable) override { Control(nID).bEnabled = bEnable; }
    bool IsDlgItemEnabled(int nID) const override { return Control(nID).bEnabled; }
    void ShowDlgItem(int nID, bool bShow) override { Control(nID).bShown = bShow; }
    void SetFocusDlgItem(int nID) override { m_nFocus = m_controls.contains(nID) ? nID : m_nFocus; }
    void ResetContent(int nID) override;
    int AddString(int nID, const std::string& strText) override;
    void SetItemData(int nID, int nIndex, int nData) override;
    int GetItemData(int nID, int nIndex) const override;
    void SetCurSel(int nID, int nIndex) override;
    int GetCurSel(int nID) const override { return Control(nID).nCurSel; }
    void SetLedState(int nID, bool bLit) override;
    void CheckMenuItem(int nID, bool bChecked) override;
    bool IsMenuItemChecked(int nID) const override;
    void SetPortDeviceItems(const std::vector<CPortMenuItem>& items) override
    {
        m_portItems = items;
    }
    void SetBusy(bool bBusy) override { m_events.push_back(bBusy ? "busy on" : "busy off"); }
    void MessageBox(const CMessageBoxCall& call) override;
    std::optional<std::string> DoFileDialog(const CFileDialogCall& call) override;
    std::optional<std::string> AskText(const std::string& strPrompt,
                                       const std::string& strInitial) override;
    void ShowAboutBox() override { m_events.push_back("about"); }
    void SetTimer(unsigned nIDEvent, unsigned nMilliseconds) override;
    void KillTimer(unsigned nIDEvent) override;
    void EndDialog(int nResult) override { m_events.push_back("end " + std::to_string(nResult)); }

    // A list as "text=data" entries, the selected one in brackets.
    std::string Entries(int nID) const;
    // The selected entry's text; empty for none.
    std::string Selected(int nID) const;
    // The checked items of the Port menu, COM1 to COM4 then the devices.
    std::string CheckedPorts() const;
    // The events whose line starts with strPrefix.
    std::vector<std::string> Events(const std::string& strPrefix) const;

    std::map<int, CRecordedControl> m_controls;
    std::map<int, bool> m_menuChecks;
    std::vector<CPortMenuItem> m_portItems;
    int m_nFocus = 0;
    // Every call that shows or asks, in order: "paint <id> <text> @<ms>",
    // "window @<ms>" (everything painted), "select <id> <index> @<ms>",
    // "led <id> on|off @<ms>", "busy on|off", "box <text>", "file", "ask",
    // "about", "timer <id> <ms>", "kill <id>", "end <result>".
    std::vector<std::string>& m_events;
    std::vector<CMessageBoxCall> m_boxes;
    std::vector<CFileDialogCall> m_fileDialogs;
    std::vector<std::pair<std::string, std::string>> m_asked; // prompt, initial text
    // The answers of the next file dialogs and questions; none left: cancelled.
    std::deque<std::optional<std::string>> m_fileAnswers;
    std::deque<std::optional<std::string>> m_textAnswers;
    // Pending window timers: when each is due next.
    std::map<unsigned, CSteadyClock::time_point> m_timers;

private:
    // An id without a control reaches a scratch control, which nothing reads.
    CRecordedControl& Control(int nID);
    const CRecordedControl& Control(int nID) const;
    std::string At() const;

    IClock& m_clock;
    CSteadyClock::time_point m_start;
    CRecordedControl m_scratch;
};
