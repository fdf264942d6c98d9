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

CRecordedControl* CRecordingWindow::Find(int nID)
{
    const auto it = m_controls.find(nID);
    return it == m_controls.end() ? nullptr : &it->second;
}

const CRecordedControl* CRecordingWindow::Find(int nID) const
{
    return const_cast<CRecordingWindow*>(this)->Find(nID);
}

std::string CRecordingWindow::At() const
{
    using std::chrono::duration_cast, std::chrono::milliseconds;
    return " @" + std::to_string(duration_cast<milliseconds>(m_clock.Now() - m_start).count());
}

void CRecordingWindow::SetDlgItemText(int nID, const std::string& strText)
{
    if (CRecordedControl* pControl = Find(nID))
        pControl->strText = strText;
}

std::string CRecordingWindow::GetDlgItemText(int nID) const
{
    const CRecordedControl* pControl = Find(nID);
    return pControl ? pControl->strText : std::string();
}

void CRecordingWindow::UpdateDlgItem(int nID)
{
    if (const CRecordedControl* pControl = Find(nID))
        m_events.push_back("paint " + Name(nID) + " " + pControl->strText + At());
}

void CRecordingWindow::UpdateWindow()
{
    m_events.push_back("window" + At());
}

void CRecordingWindow::EnableDlgItem(int nID, bool bEnable)
{
    if (CRecordedControl* pControl = Find(nID))
        pControl->bEnabled = bEnable;
}

bool CRecordingWindow::IsDlgItemEnabled(int nID) const
{
    const CRecordedControl* pControl = Find(nID);
    return pControl && pControl->bEnabled;
}

void CRecordingWindow::ShowDlgItem(int nID, bool bShow)
{
    if (CRecordedControl* pControl = Find(nID))
        pControl->bShown = bShow;
}

void CRecordingWindow::SetFocusDlgItem(int nID)
{
    if (Find(nID))
        m_nFocus = nID;
}

void CRecordingWindow::ResetContent(int nID)
{
    if (CRecordedControl* pControl = Find(nID)) {
        pControl->entries.clear();
        pControl->nCurSel = -1;
    }
}

int CRecordingWindow::AddString(int nID, const std::string& strText)
{
    CRecordedControl* pControl = Find(nID);
    if (!pControl)
        return -1;
    pControl->entries.push_back({strText, 0});
    return int(pControl->entries.size()) - 1;
}

void CRecordingWindow::SetItemData(int nID, int nIndex, int nData)
{
    CRecordedControl* pControl = Find(nID);
    if (pControl && nIndex >= 0 && nIndex < int(pControl->entries.size()))
        pControl->entries[std::size_t(nIndex)].second = nData;
}

int CRecordingWindow::GetItemData(int nID, int nIndex) const
{
    const CRecordedControl* pControl = Find(nID);
    if (!pControl || nIndex < 0 || nIndex >= int(pControl->entries.size()))
        return -1;
    return pControl->entries[std::size_t(nIndex)].second;
}

void CRecordingWindow::SetCurSel(int nID, int nIndex)
{
    CRecordedControl* pControl = Find(nID);
    if (!pControl)
        return;
    pControl->nCurSel = nIndex >= 0 && nIndex < int(pControl->entries.size()) ? nIndex : -1;
    m_events.push_back("select " + Name(nID) + " " + std::to_string(pControl->nCurSel) + At());
}

int CRecordingWindow::GetCurSel(int nID) const
{
    const CRecordedControl* pControl = Find(nID);
    return pControl ? pControl->nCurSel : -1;
}

void CRecordingWindow::SetLedState(int nID, bool bLit)
{
    if (Find(nID))
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

void CRecordingWindow::SetPortDeviceItems(const std::vector<CPortMenuItem>& items)
{
    m_portItems = items;
}

void CRecordingWindow::SetBusy(bool bBusy)
{
    m_bBusy = bBusy;
    m_events.push_back(bBusy ? "busy on" : "busy off");
}

void CRecordingWindow::MessageBox(const CMessageBoxCall& call)
{
    m_boxes.push_back(call);
    m_events.push_back("box " + call.strText);
}

std::optional<std::string> CRecordingWindow::DoFileDialog(const CFileDialogCall& call)
{
    m_fileDialogs.push_back(call);
    m_events.push_back("file");
    if (m_fileAnswers.empty())
        return std::nullopt;
    std::optional<std::string> answer = m_fileAnswers.front();
    m_fileAnswers.pop_front();
    return answer;
}

std::optional<std::string> CRecordingWindow::AskText(const std::string& strPrompt,
                                                     const std::string& strInitial)
{
    m_asked.push_back({strPrompt, strInitial});
    m_events.push_back("ask");
    if (m_textAnswers.empty())
        return std::nullopt;
    std::optional<std::string> answer = m_textAnswers.front();
    m_textAnswers.pop_front();
    return answer;
}

void CRecordingWindow::ShowAboutBox()
{
    m_events.push_back("about");
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

void CRecordingWindow::EndDialog(int nResult)
{
    m_events.push_back("end " + std::to_string(nResult));
}

std::string CRecordingWindow::Entries(int nID) const
{
    std::string strEntries;
    const CRecordedControl* pControl = Find(nID);
    for (std::size_t i = 0; pControl && i < pControl->entries.size(); ++i) {
        const auto& [strText, nData] = pControl->entries[i];
        const bool bSelected = int(i) == pControl->nCurSel;
        strEntries += (i ? " " : "") + std::string(bSelected ? "[" : "") + strText + "=" +
                      std::to_string(nData) + (bSelected ? "]" : "");
    }
    return strEntries;
}

std::string CRecordingWindow::Selected(int nID) const
{
    const CRecordedControl* pControl = Find(nID);
    if (!pControl || pControl->nCurSel < 0)
        return {};
    return pControl->entries[std::size_t(pControl->nCurSel)].first;
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
