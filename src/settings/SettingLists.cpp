// The three setting lists: filling, the drive family's current list,
// Defaults and the user's changes.

#include "settings/SettingLists.h"

#include "app/RT3180Dlg.h"
#include "app/Resource.h"

#include <QComboBox>
#include <QLabel>

namespace
{

// Adds the texts, then attaches the codes, as the lists have always been built.
template <std::size_t N>
void AddEntries(QComboBox& list, const std::array<CSettingEntry, N>& entries)
{
    for (const CSettingEntry& entry : entries)
        list.addItem(QString::fromLatin1(entry.pszText));
    for (std::size_t i = 0; i < N; ++i)
        list.setItemData(static_cast<int>(i), entries[i].nCode);
}

} // namespace

void SetCurSel(QComboBox& list, int nIndex)
{
    list.setCurrentIndex(nIndex >= 0 && nIndex < list.count() ? nIndex : -1);
}

int GetSelectedCode(const QComboBox& list)
{
    const int nIndex = list.currentIndex();
    return nIndex < 0 ? -1 : list.itemData(nIndex).toInt();
}

void CRT3180Dlg::FillSettingLists()
{
    AddEntries(*m_cbResolution, kResolutionList);
    // The current list starts as the PKN61/72 variant; its unit label already
    // reads "%".
    AddEntries(*m_cbCurrent, kCurrentPercentList);
    AddEntries(*m_cbIdle, kIdleList);

    SetCurSel(*m_cbResolution, kDefaultResolution);
    SetCurSel(*m_cbCurrent, kDefaultCurrent);
    SetCurSel(*m_cbIdle, kDefaultIdle);
}

void CRT3180Dlg::SetDriveFamily(int nFlag)
{
    SetDlgItemText(IDC_CURRENT_UNIT, QString::fromLatin1(nFlag ? kUnitAmpere : kUnitPercent));
    m_cbCurrent->clear();
    if (nFlag)
        AddEntries(*m_cbCurrent, kCurrentAmpereList);
    else
        AddEntries(*m_cbCurrent, kCurrentPercentList);
    // Always the default, even when the family has not changed.
    SetCurSel(*m_cbCurrent, kDefaultCurrent);
}

void CRT3180Dlg::OnDefaults()
{
    SetCurSel(*m_cbResolution, kDefaultResolution);
    SetCurSel(*m_cbCurrent, kDefaultCurrent);
    SetCurSel(*m_cbIdle, kDefaultIdle);
    if (m_bConnected)
        EnableDlgItem(IDC_APPLY, true);
}

void CRT3180Dlg::OnSelChangeSetting()
{
    if (!m_bConnected)
        return;
    if (QWidget* pApply = GetDlgItem(IDC_APPLY)) {
        pApply->setEnabled(true);
        pApply->setFocus();
    }
}
