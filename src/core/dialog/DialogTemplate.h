#pragma once

#include <span>

// The program's dialogs as data, as a resource script lists them: every
// window system builds the same dialogs from these tables.

enum class EKind { ComboBox, PushButton, DefPushButton, GroupBox, Static, Icon, LedButton, Link, Edit };

// x, y, width, height in dialog units.
struct CDlgRect {
    int x;
    int y;
    int cx;
    int cy;
};

struct CTemplateItem {
    int nID;
    EKind eKind;
    const char* pszCaption; // for an icon, the icon's resource id as text ("128")
    CDlgRect rc;
    const char* pszAccessibleName; // for screen readers, where the caption does not say it
};

// Push buttons, combo boxes and edit lines are tab stops; group boxes and
// the LEDs are not; static texts start a new group.
bool IsTabStop(EKind eKind);
bool StartsGroup(EKind eKind);

struct CDialogTemplate {
    int nID;
    const char* pszTitle;
    int cx; // client area, dialog units
    int cy;
    const char* pszFont; // the face the dialog units are measured in
    int nPointSize;
    std::span<const CTemplateItem> items; // template order, which is the tab order
};

extern const CDialogTemplate kMainDialog;  // IDD_MAIN
extern const CDialogTemplate kAboutDialog; // IDD_ABOUTBOX

// The main menu bar (IDR_MAIN_MENU), left to right. A pop-up has items; a
// command has an id. The Port menu's devices go between its separator and
// "Other..." (kPortDevicesSlot), filled as the menu opens.
enum class EMenuKind { Popup, Command, Separator, PortDevicesSlot, OtherPort };
struct CMenuItem {
    EMenuKind eKind;
    const char* pszText;
    int nID; // commands; 0 otherwise
    bool bCheckable;
    std::span<const CMenuItem> items; // pop-ups
};
extern const std::span<const CMenuItem> kMainMenu;
