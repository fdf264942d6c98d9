#pragma once

// Identifiers of the dialog templates, their controls, the menu and the
// program's pictures. Fixed numbers: other code and tests refer to them.

enum : int {
    IDOK = 1,
    IDCANCEL = 2,
    // The system menu's entry that opens the About box.
    IDM_ABOUTBOX = 16,

    IDD_ABOUTBOX = 100,
    IDS_ABOUTBOX = 101,
    IDD_MAIN = 102,
    IDR_MAINFRAME = 128,
    IDR_MAIN_MENU = 129,
    IDB_LED = 130,

    IDC_DEFAULTS = 1000,
    IDC_APPLY = 1001,
    IDC_RESOLUTION = 1002,
    IDC_CURRENT = 1003,
    IDC_IDLE = 1004,
    IDC_TX_LED = 1006,
    IDC_RX_LED = 1007,
    IDC_WEB_LINK = 1009,
    IDC_STATUS = 1010,
    IDC_REPLY = 1011,
    IDC_CONNECT = 1012,
    IDC_TEST = 1013,
    IDC_CURRENT_UNIT = 1014,
    IDC_RESOLUTION_LABEL = 1015,
    IDC_IDLE_UNIT = 1016,
    IDC_IDLE_LABEL = 1017,
    IDC_CURRENT_LABEL = 1018,
    IDC_SETTINGS_GROUP = 1019,
    IDC_BANNER = 1020,
    IDC_STATIC = -1,

    ID_RECALL = 32772,
    ID_PORT_COM1 = 32779,
    ID_PORT_COM2 = 32780,
    ID_PORT_COM3 = 32781,
    ID_PORT_COM4 = 32782,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57603,
    ID_HELP = 57670,
};

// The dialog's window timer that times the drive's replies.
inline constexpr unsigned kReplyTimerId = 1;

