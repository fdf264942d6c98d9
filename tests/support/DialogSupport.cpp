#include "DialogSupport.h"

#include "app/RT3180Dlg.h"
#include "platform/Clock.h"
#include "port/StoredPort.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>

QString DlgItemText(const CRT3180Dlg& dlg, int nID)
{
    // Edit lines, labels and buttons keep it in "text", a group box in "title".
    QWidget* pControl = dlg.GetDlgItem(nID);
    if (auto* pList = qobject_cast<QComboBox*>(pControl))
        return pList->currentText();
    return pControl->property(qobject_cast<QGroupBox*>(pControl) ? "title" : "text").toString();
}

void ClickDlgItem(const CRT3180Dlg& dlg, int nID)
{
    static_cast<QAbstractButton*>(dlg.GetDlgItem(nID))->click();
}

QComboBox* List(const CRT3180Dlg& dlg, int nID)
{
    return static_cast<QComboBox*>(dlg.GetDlgItem(nID));
}

bool ConnectTo(CRT3180Dlg& dlg, const QString& strDevice)
{
    SleepHook previous = SetSleepHook([](unsigned) {});
    if (SaveStoredPort(strDevice))
        dlg.OnConnect();
    SetSleepHook(std::move(previous));
    return dlg.Drive().IsConnected();
}
