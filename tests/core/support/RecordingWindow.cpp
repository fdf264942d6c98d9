#include "RecordingWindow.h"

#include "core/dialog/DialogTemplate.h"
#include "core/dialog/Resource.h"

#include <chrono>
#include <span>

namespace
{

void AddMenuChecks(std::span<const CMenuItem> items, std::map<int, bool>& checks)
{
    for (const CMenuItem& item : items) {
        if (item.bCheckable)
            checks[item.nID] = false;
        AddMenuChecks(item.items, checks);
    }
}

// Readable names for the events of the controls a test looks at most.
std::string Name(int nID)
{
    static const std::map<int, const char*> kNames{
        {IDC_STATUS, "status"},   {IDC_REPLY, "reply"},
        {IDC_CONNECT, "connect"}, {IDC_APPLY, "apply"},
        {IDC_TEST, "test"},       {IDC_TX_LED, "TX"},
        {IDC_RX_LED, "RX"},       {IDC_IDLE, "idle"},
        {IDC_CURRENT, "current"}, {IDC_RESOLUTION, "resolution"}};
    const auto it = kNames.find(nID);
    return it == kNames.end() ? std::to_string(nID) : it->second;
}

} // namespace

CRecordingWindow::CRecordingWindow(IClock& clock, std::vector<std::string>& events)
    : m_events(events), m_clock(clock), m_start(clock.Now())
{
    for (const CTemplateItem& item : kMainDialog.items) {
        if (item.nID != IDC_STATIC)
            m_controls[item.nID].strText = item.eKind == EKind::ComboBox ? "" : item.pszCaption;
    }
    AddMenuChecks(kMainMenu, m_menuChecks);
}

CRecordedControl& CRecordingWindow::Control(int nID)
{
    const auto it = m_controls.find(nID);
    if (it != m_controls.end())
        return it->second;
    m_scratch = {};
    return m_scratch;
}

const CRecordedControl& CRecordingWindow::Control(int nID) const
{
    static const CRecordedControl kNone{{}, false, false, {}, -1};
    const auto it = m_controls.find(nID);
    return it == m_controls.end() ? kNone : it->second;
}

std::string CRecordingWindow::At() const
{
    using std::chrono::duration_cast, std::chrono::milliseconds;
    return " @" + std::to_string(duration_cast<milliseconds>(m_clock.Now() - m_start).count());
}

void CRecordingWindow::UpdateDlgItem(int nID)
{
    if (m_controls.contains(nID))
        m_events.push_back("paint " + Name(nID) + " " + Control(nID).strText + At());
}

void CRecordingWindow::ResetContent(int nID)
{
    Control(nID).entries.clear();
    Control(nID).nCurSel = -1;
}

int CRecordingWindow::AddString(int nID, const std::string& strText)
{
    CRecordedControl& control = Control(nID);
    control.entries.push_back({strText, 0});
    return m_controls.contains(nID) ? int(control.entries.size()) - 1 : -1;
}

void CRecordingWindow::SetItemData(int nID, int nIndex, int nData)
{
    CRecordedControl& control = Control(nID);
    if (nIndex >= 0 && nIndex < int(control.entries.size()))
        control.entries[std::size_t(nIndex)].second = nData;
}

int CRecordingWindow::GetItemData(int nID, int nIndex) const
{
    const CRecordedControl& control = Control(nID);
    if (nIndex < 0 || nIndex >= int(control.entries.size()))
        return -1;
    return control.entries[std::size_t(nIndex)].second;
}

void CRecordingWindow::SetCurSel(int nID, int nIndex)
{
    CRecordedControl& control = Control(nID);
    control.nCurSel = nIndex >= 0 && nIndex < int(control.entries.size()) ? nIndex : -1;
    if (m_controls.contains(nID))
        m_events.push_back("select " + Name(nID) + " " + std::to_string(control.nCurSel) + At());
}

void CRecordingWindow::SetLedState(int nID, bool bLit)
{
    if (m_controls.contains(nID))
        m_events.push_back("led " + Name(nID) + (bLit ? " on" : " off") + At());
}

void CRecordingWindow::CheckMenuItem(int nID, bool bChecked)
{
    const auto it = m_menuChecks.find(nID);
    if (it != m_menuChecks.end())
        it->second = bChecked;
}

bool CRecordingWindow::IsMenuItemChecked(int nID) const
{
    const auto it = m_menuChecks.find(nID);
    return it != m_menuChecks.end() && it->second;
}

void CRecordingWindow::MessageBox(const CMessageBoxCall& call)
{
    m_boxes.push_back(call);
    m_events.push_back("box " + call.strText);
}

namespace
{
std::optional<std::string> NextAnswer(std::deque<std::optional<std::string>>& answers)
{
    if (answers.empty())
        return std::nullopt;
    std::optional<std::string> answer = answers.front();
    answers.pop_front();
    return answer;
}
} // namespace

std::optional<std::string> CRecordingWindow::DoFileDialog(const CFileDialogCall& call)
{
    m_fileDialogs.push_back(call);
    m_events.push_back("file");
    return NextAnswer(m_fileAnswers);
}

std::optional<std::string> CRecordingWindow::AskText(const std::string& strPrompt,
                                                     const std::string& strInitial)
{
    m_asked.push_back({strPrompt, strInitial});
    m_events.push_back("ask");
    return NextAnswer(m_textAnswers);
}

void CRecordingWindow::SetTimer(unsigned nIDEvent, unsigned nMilliseconds)
{
    m_timers[nIDEvent] = m_clock.Now() + std::chrono::milliseconds(nMilliseconds);
    m_events.push_back("timer " + std::to_string(nIDEvent) + " " + std::to_string(nMilliseconds));
}

void CRecordingWindow::KillTimer(unsigned nIDEvent)
{
    m_timers.erase(nIDEvent);
    m_events.push_back("kill " + std::to_string(nIDEvent));
}

std::string CRecordingWindow::Entries(int nID) const
{
    std::string strEntries;
    const CRecordedControl& control = Control(nID);
    for (std::size_t i = 0; i < control.entries.size(); ++i) {
        const auto& [strText, nData] = control.entries[i];
        const bool bSelected = int(i) == control.nCurSel;
        strEntries += (i ? " " : "") + std::string(bSelected ? "[" : "") + strText + "=" +
                      std::to_string(nData) + (bSelected ? "]" : "");
    }
    return strEntries;
}

std::string CRecordingWindow::Selected(int nID) const
{
    const CRecordedControl& control = Control(nID);
    return control.nCurSel < 0 ? std::string()
                               : control.entries[std::size_t(control.nCurSel)].first;
}

std::string CRecordingWindow::CheckedPorts() const
{
    std::string strChecked;
    for (int nID = ID_PORT_COM1; nID <= ID_PORT_COM4; ++nID) {
        if (IsMenuItemChecked(nID))
            strChecked += "COM" + std::to_string(nID - ID_PORT_COM1 + 1) + " ";
    }
    for (const CPortMenuItem& item : m_portItems) {
        if (item.bChecked)
            strChecked += item.strText + " ";
    }
    return strChecked;
}

std::vector<std::string> CRecordingWindow::Events(const std::string& strPrefix) const
{
    std::vector<std::string> events;
    for (const std::string& strEvent : m_events) {
        if (strEvent.starts_with(strPrefix))
            events.push_back(strEvent);
    }
    return events;
}
