#include "DialogSupport.h"

#include "app/RT3180Dlg.h"
#include "controls/LedIndicator.h"
#include "platform/Clock.h"
#include "port/StoredPort.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

QString DlgItemText(const CRT3180Dlg& dlg, int nID)
{
    QWidget* pControl = dlg.GetDlgItem(nID);
    if (auto* pEdit = qobject_cast<QLineEdit*>(pControl))
        return pEdit->text();
    if (auto* pLabel = qobject_cast<QLabel*>(pControl))
        return pLabel->text();
    if (auto* pGroup = qobject_cast<QGroupBox*>(pControl))
        return pGroup->title();
    return static_cast<QAbstractButton*>(pControl)->text();
}

void ClickDlgItem(const CRT3180Dlg& dlg, int nID)
{
    static_cast<QAbstractButton*>(dlg.GetDlgItem(nID))->click();
}

QComboBox* List(const CRT3180Dlg& dlg, int nID)
{
    return static_cast<QComboBox*>(dlg.GetDlgItem(nID));
}

CLedIndicator* Lamp(const CRT3180Dlg& dlg, int nID)
{
    return static_cast<CLedIndicator*>(dlg.GetDlgItem(nID));
}

bool ConnectTo(CRT3180Dlg& dlg, const QString& strDevice)
{
    if (!SaveStoredPort(strDevice))
        return false;
    SleepHook previous = SetSleepHook([](unsigned) {});
    dlg.OnConnect();
    SetSleepHook(std::move(previous));
    return dlg.Drive().IsConnected();
}
