// The Port menu and the port stored for the current user.

#include "core/dialog/RT3180Dlg.h"
#include "core/dialog/Resource.h"
#include "core/dialog/Texts.h"

#include <optional>
#include <string>
#include <string_view>

namespace
{

std::string Trimmed(std::string_view strText)
{
    constexpr std::string_view kBlanks = " \t\n\v\f\r";
    const std::size_t nFirst = strText.find_first_not_of(kBlanks);
    if (nFirst == std::string_view::npos)
        return {};
    return std::string(strText.substr(nFirst, strText.find_last_not_of(kBlanks) + 1 - nFirst));
}

} // namespace

bool CRT3180Dlg::ReadStoredPort()
{
    return LoadStoredPort(m_platform.store, m_strComPort);
}

void CRT3180Dlg::StorePort()
{
    // A failed write is not reported: the port is still used for this run.
    m_platform.store.Save(m_strComPort);
}

// Every item that names the port gets the check mark; none loses it.
void CRT3180Dlg::CheckStoredPortItem()
{
    for (int i = 0; i < int(kPortNames.size()); ++i) {
        if (m_strComPort == kPortNames[i])
            m_window.CheckMenuItem(ID_PORT_COM1 + i, true);
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
    if (m_window.IsMenuItemChecked(ID_PORT_COM1 + nPort)) {
        m_window.CheckMenuItem(ID_PORT_COM1 + nPort, false);
    } else {
        for (int i = 0; i < int(kPortNames.size()); ++i)
            m_window.CheckMenuItem(ID_PORT_COM1 + i, i == nPort);
    }

    std::vector<CPortMenuItem> items;
    for (const CSerialDevice& device : m_devices)
        items.push_back({device.strPath, device.strText, false});
    m_window.SetPortDeviceItems(items);
    m_strComPort = kPortNames[static_cast<std::size_t>(nPort)];
    ShowChosenPort();
}

void CRT3180Dlg::ShowChosenPort()
{
    StorePort();
    m_window.SetDlgItemText(IDC_STATUS, kStatusNotConnected + m_strComPort);
}

void CRT3180Dlg::FillDeviceItems()
{
    m_devices = m_platform.ports.ListSerialDevices(m_strComPort);
    std::vector<CPortMenuItem> items;
    for (const CSerialDevice& device : m_devices)
        items.push_back({device.strPath, device.strText, device.strPath == m_strComPort});
    m_window.SetPortDeviceItems(items);
}

void CRT3180Dlg::OnPortDevice(const std::string& strPath)
{
    // As for the COM items: nothing changes while connected.
    if (m_drive.IsConnected()) {
        FillDeviceItems();
        return;
    }
    m_strComPort = strPath;
    for (int i = 0; i < int(kPortNames.size()); ++i)
        m_window.CheckMenuItem(ID_PORT_COM1 + i, false);
    FillDeviceItems();
    ShowChosenPort();
}

void CRT3180Dlg::OnPortOther()
{
    if (m_drive.IsConnected())
        return;
    const std::string strInitial =
        m_platform.ports.IsTypedPort(m_strComPort) ? m_strComPort : std::string();
    const std::optional<std::string> strAnswer = m_window.AskText(kTextAskDevicePath, strInitial);
    if (!strAnswer)
        return;
    const std::string strTyped = Trimmed(*strAnswer);
    if (strTyped.empty())
        return;
    OnPortDevice(m_platform.ports.PortFromTyped(strTyped));
}
