#pragma once

// A window for the dialog's handlers that shows nothing and keeps
// everything: each control's text, state and list entries, the menu's check
// marks, and an event log of what a user would see happen, with the time of
// the clock the dialog waits on.

#include "core/dialog/DialogTemplate.h"
#include "core/dialog/DlgWindow.h"
#include "core/dialog/Resource.h"
#include "core/platform/Clock.h"

#include <chrono>
#include <deque>
#include <map>
#include <optional>
#include <span>
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
    CRecordingWindow(IClock& clock, std::vector<std::string>& events)
        : m_events(events), m_clock(clock), m_start(clock.Now())
    {
        for (const CTemplateItem& item : kMainDialog.items)
            if (item.nID != IDC_STATIC)
                m_controls[item.nID].strText = item.eKind == EKind::ComboBox ? "" : item.pszCaption;
        AddMenuChecks(kMainMenu);
    }

    void SetDlgItemText(int nID, const std::string& strText) override
    {
        Control(nID).strText = strText;
    }
    std::string GetDlgItemText(int nID) const override { return Control(nID).strText; }
    void UpdateDlgItem(int nID) override
    {
        m_events.push_back("paint " + Name(nID) + " " + Control(nID).strText + At());
    }
    void UpdateWindow() override { m_events.push_back("window" + At()); }
    void EnableDlgItem(int nID, bool bEnable) override { Control(nID).bEnabled = bEnable; }
    bool IsDlgItemEnabled(int nID) const override { return Control(nID).bEnabled; }
    void ShowDlgItem(int nID, bool bShow) override { Control(nID).bShown = bShow; }
    void SetFocusDlgItem(int nID) override { m_nFocus = nID; }
    void ResetContent(int nID) override
    {
        Control(nID).entries.clear();
        Control(nID).nCurSel = -1;
    }
    int AddString(int nID, const std::string& strText) override
    {
        Control(nID).entries.push_back({strText, 0});
        return int(Control(nID).entries.size()) - 1;
    }
    void SetItemData(int nID, int nIndex, int nData) override
    {
        Control(nID).entries.at(std::size_t(nIndex)).second = nData;
    }
    int GetItemData(int nID, int nIndex) const override
    {
        const auto& entries = Control(nID).entries;
        return nIndex >= 0 && nIndex < int(entries.size()) ? entries[std::size_t(nIndex)].second
                                                           : -1;
    }
    void SetCurSel(int nID, int nIndex) override
    {
        CRecordedControl& control = Control(nID);
        control.nCurSel = nIndex >= 0 && nIndex < int(control.entries.size()) ? nIndex : -1;
        m_events.push_back("select " + Name(nID) + " " + std::to_string(control.nCurSel) + At());
    }
    int GetCurSel(int nID) const override { return Control(nID).nCurSel; }
    void SetLedState(int nID, bool bLit) override
    {
        m_events.push_back("led " + Name(nID) + (bLit ? " on" : " off") + At());
    }
    void CheckMenuItem(int nID, bool bChecked) override
    {
        if (m_menuChecks.contains(nID))
            m_menuChecks[nID] = bChecked;
    }
    bool IsMenuItemChecked(int nID) const override
    {
        return m_menuChecks.contains(nID) && m_menuChecks.at(nID);
    }
    void SetPortDeviceItems(const std::vector<CPortMenuItem>& items) override
    {
        m_portItems = items;
    }
    void SetBusy(bool bBusy) override { m_events.push_back(bBusy ? "busy on" : "busy off"); }
    void MessageBox(const CMessageBoxCall& call) override
    {
        m_events.push_back("box " + call.strText + (call.eIcon == EIcon::Stop ? "|stop|" : "||") +
                           call.strDetail);
    }
    std::optional<std::string> DoFileDialog(const CFileDialogCall& call) override
    {
        m_fileDialogs.push_back(call);
        m_events.push_back("file");
        return NextAnswer(m_fileAnswers);
    }
    std::optional<std::string> AskText(const std::string& strPrompt,
                                       const std::string& strInitial) override
    {
        m_asked.push_back({strPrompt, strInitial});
        m_events.push_back("ask");
        return NextAnswer(m_textAnswers);
    }
    void ShowAboutBox() override { m_events.push_back("about"); }
    void SetTimer(unsigned nIDEvent, unsigned nMilliseconds) override
    {
        m_timers[nIDEvent] = m_clock.Now() + std::chrono::milliseconds(nMilliseconds);
        m_events.push_back("timer " + std::to_string(nIDEvent) + " " +
                           std::to_string(nMilliseconds));
    }
    void KillTimer(unsigned nIDEvent) override
    {
        m_timers.erase(nIDEvent);
        m_events.push_back("kill " + std::to_string(nIDEvent));
    }
    void EndDialog(int nResult) override { m_events.push_back("end " + std::to_string(nResult)); }

    // A list as "text=data" entries, the selected one in brackets.
    std::string Entries(int nID) const
    {
        std::string strEntries;
        const CRecordedControl& control = Control(nID);
        for (std::size_t i = 0; i < control.entries.size(); ++i) {
            const bool bSelected = int(i) == control.nCurSel;
            strEntries += (i ? " " : "") + std::string(bSelected ? "[" : "") +
                          control.entries[i].first + "=" +
                          std::to_string(control.entries[i].second) + (bSelected ? "]" : "");
        }
        return strEntries;
    }
    // The selected entry's text; empty for none.
    std::string Selected(int nID) const
    {
        const CRecordedControl& control = Control(nID);
        return control.nCurSel < 0 ? std::string()
                                   : control.entries[std::size_t(control.nCurSel)].first;
    }
    // The checked items of the Port menu, COM1 to COM4 then the devices.
    std::string CheckedPorts() const
    {
        std::string strChecked;
        for (int nID = ID_PORT_COM1; nID <= ID_PORT_COM4; ++nID)
            if (IsMenuItemChecked(nID))
                strChecked += "COM" + std::to_string(nID - ID_PORT_COM1 + 1) + " ";
        for (const CPortMenuItem& item : m_portItems)
            if (item.bChecked)
                strChecked += item.strText + " ";
        return strChecked;
    }

    mutable std::map<int, CRecordedControl> m_controls;
    std::map<int, bool> m_menuChecks;
    std::vector<CPortMenuItem> m_portItems;
    int m_nFocus = 0;
    // Every call that shows or asks, in order: "paint <id> <text> @<ms>",
    // "window @<ms>" (everything painted), "select <id> <index> @<ms>",
    // "led <id> on|off @<ms>", "busy on|off", "box <text>|stop|<detail>" ("||" without the icon),
    // "file", "ask", "about", "timer <id> <ms>", "kill <id>", "end <result>".
    std::vector<std::string>& m_events;
    std::vector<CFileDialogCall> m_fileDialogs;
    std::vector<std::pair<std::string, std::string>> m_asked; // prompt, initial text
    // The answers of the next file dialogs and questions; none left: cancelled.
    std::deque<std::optional<std::string>> m_fileAnswers;
    std::deque<std::optional<std::string>> m_textAnswers;
    // Pending window timers: when each is due next.
    std::map<unsigned, CSteadyClock::time_point> m_timers;

private:
    void AddMenuChecks(std::span<const CMenuItem> items)
    {
        for (const CMenuItem& item : items) {
            if (item.bCheckable)
                m_menuChecks[item.nID] = false;
            AddMenuChecks(item.items);
        }
    }
    // Readable names for the events of the controls a test looks at most.
    static std::string Name(int nID)
    {
        static const std::map<int, const char*> kNames{
            {IDC_STATUS, "status"},   {IDC_REPLY, "reply"},
            {IDC_CONNECT, "connect"}, {IDC_APPLY, "apply"},
            {IDC_TEST, "test"},       {IDC_TX_LED, "TX"},
            {IDC_RX_LED, "RX"},       {IDC_IDLE, "idle"},
            {IDC_CURRENT, "current"}, {IDC_RESOLUTION, "resolution"}};
        return kNames.contains(nID) ? kNames.at(nID) : std::to_string(nID);
    }
    static std::optional<std::string> NextAnswer(std::deque<std::optional<std::string>>& answers)
    {
        if (answers.empty())
            return std::nullopt;
        const std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }
    // An id without a control in the template gets one of its own.
    CRecordedControl& Control(int nID) const { return m_controls[nID]; }
    std::string At() const
    {
        using std::chrono::duration_cast, std::chrono::milliseconds;
        return " @" + std::to_string(duration_cast<milliseconds>(m_clock.Now() - m_start).count());
    }

    IClock& m_clock;
    CSteadyClock::time_point m_start;
};
