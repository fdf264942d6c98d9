// The dialogs and the menu bar as the resource script gives them.

#include "core/dialog/DialogTemplate.h"

#include "core/dialog/Resource.h"
#include "core/dialog/Texts.h"

bool IsTabStop(EKind eKind)
{
    switch (eKind) {
    case EKind::ComboBox:
    case EKind::PushButton:
    case EKind::DefPushButton:
    case EKind::Edit:
        return true;
    case EKind::GroupBox:
    case EKind::Static:
    case EKind::Icon:
    case EKind::LedButton:
    case EKind::Link:
        break;
    }
    return false;
}

bool StartsGroup(EKind eKind)
{
    return eKind == EKind::Static;
}

namespace
{
constexpr const char* kDialogFont = "MS Sans Serif";
constexpr int kDialogPointSize = 8;

const CTemplateItem kMainItems[] = {
    {IDC_RESOLUTION, EKind::ComboBox, "", {60, 21, 48, 60}, nullptr},
    {IDC_IDLE, EKind::ComboBox, "", {152, 21, 48, 60}, nullptr},
    {IDC_CURRENT, EKind::ComboBox, "", {152, 49, 48, 60}, nullptr},
    {IDC_APPLY, EKind::PushButton, "Apply", {151, 112, 50, 14}, nullptr},
    {IDC_DEFAULTS, EKind::PushButton, "Defaults", {2, 112, 50, 14}, nullptr},
    {IDCANCEL, EKind::PushButton, "Exit", {215, 112, 50, 14}, nullptr},
    {IDC_SETTINGS_GROUP, EKind::GroupBox, "Motor Interface Settings:", {2, 1, 210, 68}, nullptr},
    {IDC_RESOLUTION_LABEL, EKind::Static, "RESOLUTION:", {7, 25, 50, 8}, nullptr},
    {IDC_CURRENT_LABEL, EKind::Static, "CURRENT:", {113, 53, 38, 8}, nullptr},
    {IDC_IDLE_LABEL, EKind::Static, "IDLE:", {113, 25, 19, 8}, nullptr},
    {IDC_CURRENT_UNIT, EKind::Static, "%", {202, 53, 8, 8}, nullptr},
    {IDC_IDLE_UNIT, EKind::Static, "%", {202, 25, 8, 8}, nullptr},
    {IDC_TX_LED, EKind::LedButton, "TX", {221, 82, 23, 10}, nullptr},
    {IDC_RX_LED, EKind::LedButton, "RX", {221, 94, 23, 10}, nullptr},
    {IDC_STATUS, EKind::Edit, "", {2, 92, 210, 16}, "Status"},
    {IDC_REPLY, EKind::Edit, "", {2, 74, 210, 16}, "Reply"},
    {IDC_CONNECT, EKind::PushButton, "Connect", {215, 5, 50, 14}, nullptr},
    {IDC_STATIC, EKind::GroupBox, "Line", {217, 69, 45, 40}, nullptr},
    {IDC_TEST, EKind::PushButton, "Test", {215, 31, 50, 14}, nullptr},
    {IDC_BANNER, EKind::Static, kTextBanner, {49, 37, 116, 8}, nullptr},
};

const CTemplateItem kAboutItems[] = {
    {IDC_STATIC, EKind::Icon, "128", {11, 17, 21, 20}, nullptr},
    {IDC_STATIC, EKind::Static, kAboutVersion, {40, 10, 119, 8}, nullptr},
    {IDOK, EKind::DefPushButton, kAboutOK, {173, 7, 50, 14}, nullptr},
    {IDC_WEB_LINK, EKind::Link, kMakerURL, {40, 42, 119, 8}, nullptr},
};

const CMenuItem kFileMenu[] = {
    {EMenuKind::Command, "Open", ID_FILE_OPEN, false, {}},
    {EMenuKind::Command, "Save", ID_FILE_SAVE, false, {}},
    {EMenuKind::Command, "Exit", IDCANCEL, false, {}},
};

const CMenuItem kPortMenu[] = {
    {EMenuKind::Command, "COM1", ID_PORT_COM1, true, {}},
    {EMenuKind::Command, "COM2", ID_PORT_COM2, true, {}},
    {EMenuKind::Command, "COM3", ID_PORT_COM3, true, {}},
    {EMenuKind::Command, "COM4", ID_PORT_COM4, true, {}},
    {EMenuKind::Separator, "", 0, false, {}},
    {EMenuKind::PortDevicesSlot, "", 0, false, {}},
    {EMenuKind::OtherPort, kTextOtherPort, 0, false, {}},
};

const CMenuItem kMenuBar[] = {
    {EMenuKind::Popup, "File", 0, false, kFileMenu},
    {EMenuKind::Command, "Recall", ID_RECALL, false, {}},
    {EMenuKind::Popup, "Port", 0, false, kPortMenu},
    {EMenuKind::Command, "Help", ID_HELP, false, {}},
};
} // namespace

const CDialogTemplate kMainDialog{
    IDD_MAIN, kTextTitle, 269, 133, kDialogFont, kDialogPointSize, kMainItems};
const CDialogTemplate kAboutDialog{
    IDD_ABOUTBOX, kAboutTitle, 230, 61, kDialogFont, kDialogPointSize, kAboutItems};
const std::span<const CMenuItem> kMainMenu{kMenuBar};
