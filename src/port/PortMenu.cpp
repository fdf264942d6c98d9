// The Port menu and the port stored for the current user.

#include "app/RT3180Dlg.h"
#include "app/Resource.h"
#include "app/Texts.h"

#include <QAction>

namespace
{

constexpr const char* kPortKey = "SOFTWARE\\KOLV\\RT318";
constexpr const char* kPortValue = "Port";
// The port used when the key holds no usable value.
constexpr const char* kPortWithoutValue = "COM2:";

} // namespace

bool CRT3180Dlg::ReadStoredPort()
{
    HKEY hKey = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, QString::fromLatin1(kPortKey), &hKey) != ERROR_SUCCESS)
        return false;
    m_strComPort = m_registry.ReadString(hKey, QString::fromLatin1(kPortValue));
    if (m_strComPort.isEmpty())
        m_strComPort = QString::fromLatin1(kPortWithoutValue);
    RegCloseKey(hKey);
    return true;
}

void CRT3180Dlg::StorePort()
{
    // Keys in the file store have no class text; nothing would read it.
    HKEY hKey = nullptr;
    if (RegCreateKeyEx(HKEY_CURRENT_USER, QString::fromLatin1(kPortKey), &hKey) != ERROR_SUCCESS)
        return;
    m_registry.WriteString(hKey, QString::fromLatin1(kPortValue), m_strComPort);
    RegCloseKey(hKey);
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
    if (m_bConnected)
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
