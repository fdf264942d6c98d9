// The Port menu and the port stored for the current user.

#include "app/RT3180Dlg.h"
#include "app/Texts.h"
#include "platform/AppTitle.h"
#include "port/SerialDevices.h"
#include "ui/Resource.h"

#include <QAction>
#include <QInputDialog>
#include <QMenu>

bool CRT3180Dlg::ReadStoredPort()
{
    return LoadStoredPort(m_strComPort);
}

void CRT3180Dlg::StorePort()
{
    // A failed write is not reported: the port is still used for this run.
    SaveStoredPort(m_strComPort);
}

// Every item that names the port gets the check mark; none loses it.
void CRT3180Dlg::CheckStoredPortItem()
{
    for (int i = 0; i < int(kPortNames.size()); ++i) {
        QAction* pItem = GetMenuItem(ID_PORT_COM1 + i);
        if (pItem && m_strComPort == QLatin1String(kPortNames[i]))
            pItem->setChecked(true);
    }
}

void CRT3180Dlg::OnPortCom1()
{
    OnPortCom(0);
}

void CRT3180Dlg::OnPortCom2()
{
    OnPortCom(1);
}

void CRT3180Dlg::OnPortCom3()
{
    OnPortCom(2);
}

void CRT3180Dlg::OnPortCom4()
{
    OnPortCom(3);
}

void CRT3180Dlg::OnPortCom(int nPort)
{
    // While connected the items stay enabled but do nothing.
    if (m_drive.IsConnected())
        return;

    // Choosing the checked item again takes its mark away.
    QAction* pChosen = GetMenuItem(ID_PORT_COM1 + nPort);
    if (pChosen && pChosen->isChecked()) {
        pChosen->setChecked(false);
    } else {
        for (int i = 0; i < int(kPortNames.size()); ++i) {
            if (QAction* pItem = GetMenuItem(ID_PORT_COM1 + i))
                pItem->setChecked(i == nPort);
        }
    }

    for (QAction* pItem : std::as_const(m_deviceItems))
        pItem->setChecked(false);
    m_strComPort = QString::fromLatin1(kPortNames[nPort]);
    ShowChosenPort();
}

void CRT3180Dlg::ShowChosenPort()
{
    StorePort();
    SetDlgItemText(IDC_STATUS, QString::fromLatin1(kStatusNotConnected) + m_strComPort);
}

void CRT3180Dlg::FillDeviceItems()
{
    // The item chosen may be the one whose signal runs now: deleted later.
    for (QAction* pOld : std::as_const(m_deviceItems)) {
        m_pPortMenu->removeAction(pOld);
        pOld->deleteLater();
    }
    m_deviceItems.clear();
    for (const CSerialDevice& device : ListSerialDevices(m_strComPort)) {
        auto* pItem = new QAction(device.strText, m_pPortMenu);
        pItem->setCheckable(true);
        pItem->setChecked(device.strPath == m_strComPort);
        connect(pItem, &QAction::triggered, this,
                [this, strPath = device.strPath] { OnPortDevice(strPath); });
        m_pPortMenu->insertAction(m_pOtherPortItem, pItem);
        m_deviceItems.append(pItem);
    }
}

void CRT3180Dlg::OnPortDevice(const QString& strPath)
{
    // As for the COM items: nothing changes while connected.
    if (m_drive.IsConnected()) {
        FillDeviceItems();
        return;
    }
    m_strComPort = strPath;
    for (int i = 0; i < int(kPortNames.size()); ++i) {
        if (QAction* pItem = GetMenuItem(ID_PORT_COM1 + i))
            pItem->setChecked(false);
    }
    FillDeviceItems();
    ShowChosenPort();
}

void CRT3180Dlg::OnPortOther()
{
    if (m_drive.IsConnected())
        return;
    bool bOk = false;
    const QString strPath =
        QInputDialog::getText(this, QString::fromLatin1(kAppTitle),
                              QString::fromLatin1(kTextAskDevicePath), QLineEdit::Normal,
                              m_strComPort.contains(QLatin1Char('/')) ? m_strComPort : QString(),
                              &bOk)
            .trimmed();
    if (!bOk || strPath.isEmpty())
        return;
    // A bare device name is one of /dev.
    OnPortDevice(strPath.contains(QLatin1Char('/')) ? strPath : QStringLiteral("/dev/") + strPath);
}
