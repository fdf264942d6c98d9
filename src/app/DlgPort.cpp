// The Port menu and the port stored for the current user.

#include "app/RT3180Dlg.h"
#include "app/Texts.h"
#include "ui/Resource.h"

#include <QAction>

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

    m_strComPort = QString::fromLatin1(kPortNames[nPort]);
    StorePort();
    SetDlgItemText(IDC_STATUS, QString::fromLatin1(kStatusNotConnected) + m_strComPort);
}
