// The main dialog's window: built from the core's template and menu, each
// user action handed to the core's dialog, each of its calls done at once.

#include "win32ui/DialogWindow.h"

#include "core/dialog/DialogTemplate.h"
#include "core/dialog/Resource.h"
#include "core/dialog/Texts.h"
#include "win32ui/AboutDlg.h"
#include "win32ui/DialogTemplate.h"
#include "win32ui/Utf16.h"

#include <commdlg.h>
#include <functional>

namespace
{
// The LED picture's cells: unlit left, lit right.
constexpr int kLedCellWidth = 15;
constexpr unsigned kSysCommandMask = 0xFFF0;

constexpr DWORD kMainDialogStyle =
    DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE;
constexpr DWORD kBoxStyle = DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;

// The commands and clicks, each to its handler.
struct CCommandRoute {
    int nID;
    void (CRT3180Dlg::*pHandler)();
};
constexpr CCommandRoute kCommandRoutes[] = {
    {ID_FILE_OPEN, &CRT3180Dlg::OnFileOpen}, {ID_FILE_SAVE, &CRT3180Dlg::OnFileSave},
    {ID_RECALL, &CRT3180Dlg::OnRecall},      {IDC_DEFAULTS, &CRT3180Dlg::OnDefaults},
    {IDC_APPLY, &CRT3180Dlg::OnApply},       {ID_PORT_COM1, &CRT3180Dlg::OnPortCom1},
    {ID_PORT_COM2, &CRT3180Dlg::OnPortCom2}, {ID_PORT_COM3, &CRT3180Dlg::OnPortCom3},
    {ID_PORT_COM4, &CRT3180Dlg::OnPortCom4}, {ID_PORT_OTHER, &CRT3180Dlg::OnPortOther},
    {ID_HELP, &CRT3180Dlg::OnHelpAbout},     {IDC_CONNECT, &CRT3180Dlg::OnConnect},
    {IDC_TEST, &CRT3180Dlg::OnTest},         {IDOK, &CRT3180Dlg::OnOK},
    {IDCANCEL, &CRT3180Dlg::OnCancel},
};

// The menu bar's items; the Port menu is the pop-up holding the devices' slot.
void AppendMenuItems(HMENU hMenu, std::span<const CMenuItem> items, HMENU& hPortMenu)
{
    for (const CMenuItem& item : items) {
        const std::wstring strText = Widen(item.pszText);
        switch (item.eKind) {
        case EMenuKind::Popup: {
            const HMENU hPopup = CreatePopupMenu();
            AppendMenuItems(hPopup, item.items, hPortMenu);
            AppendMenuW(hMenu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(hPopup),
                        strText.c_str());
            break;
        }
        case EMenuKind::Command:
            AppendMenuW(hMenu, MF_STRING, static_cast<UINT_PTR>(item.nID), strText.c_str());
            break;
        case EMenuKind::Separator:
            AppendMenuW(hMenu, MF_SEPARATOR, 0, nullptr);
            break;
        case EMenuKind::PortDevicesSlot:
            hPortMenu = hMenu;
            break;
        case EMenuKind::OtherPort:
            AppendMenuW(hMenu, MF_STRING, ID_PORT_OTHER, strText.c_str());
            break;
        }
    }
}

std::string WindowText(HWND hWnd)
{
    if (!hWnd)
        return {};
    std::wstring strText(static_cast<std::size_t>(GetWindowTextLengthW(hWnd)) + 1, L'\0');
    strText.resize(static_cast<std::size_t>(
        GetWindowTextW(hWnd, strText.data(), static_cast<int>(strText.size()))));
    return Narrow(strText);
}

// The question of "Other...": a prompt, a line to type in, OK and Cancel.
struct CAskText {
    std::wstring strPrompt;
    std::wstring strText;
};
constexpr int kAskEditId = 100;
constexpr const char* kTextCancel = "Cancel";

INT_PTR CALLBACK AskTextProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    auto* pAsk = reinterpret_cast<CAskText*>(GetWindowLongPtrW(hDlg, DWLP_USER));
    switch (nMsg) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(hDlg, DWLP_USER, lParam);
        pAsk = reinterpret_cast<CAskText*>(lParam);
        SetDlgItemTextW(hDlg, kAskEditId, pAsk->strText.c_str());
        SendDlgItemMessageW(hDlg, kAskEditId, EM_SETSEL, 0, -1);
        SetFocus(GetDlgItem(hDlg, kAskEditId));
        return FALSE; // the focus is set
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            pAsk->strText = Widen(WindowText(GetDlgItem(hDlg, kAskEditId)));
            ::EndDialog(hDlg, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(hDlg, IDCANCEL);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}
} // namespace

CDialogWindow::CDialogWindow(HINSTANCE hInstance, const CWin32Platform& platform)
    : m_hInstance(hInstance), m_serial(platform.serial), m_pumpClock(platform.clock),
      m_hIcon(LoadIconW(hInstance, MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_hSmallIcon(static_cast<HICON>(LoadImageW(hInstance, MAKEINTRESOURCEW(IDR_MAINFRAME),
                                                 IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), 0))),
      m_pDlg(std::make_unique<CRT3180Dlg>(*this, CDlgPlatform{m_pumpClock, platform.serial, m_queue,
                                                              platform.store, platform.files,
                                                              platform.ports}))
{
}

CDialogWindow::~CDialogWindow()
{
    // The reader posts to the queue: it ends first.
    m_serial.Close();
    if (m_hSmallIcon)
        DestroyIcon(m_hSmallIcon);
}

INT_PTR CDialogWindow::DoModal()
{
    const std::vector<WORD> words =
        BuildDialogTemplate(kMainDialog, kMainDialogStyle, WS_EX_APPWINDOW);
    return DialogBoxIndirectParamW(m_hInstance, AsTemplate(words), nullptr, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CDialogWindow::DialogProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (nMsg == WM_INITDIALOG) {
        SetWindowLongPtrW(hDlg, DWLP_USER, lParam);
        reinterpret_cast<CDialogWindow*>(lParam)->m_hWnd = hDlg;
    }
    auto* pThis = reinterpret_cast<CDialogWindow*>(GetWindowLongPtrW(hDlg, DWLP_USER));
    return pThis ? pThis->OnMessage(nMsg, wParam, lParam) : FALSE;
}

INT_PTR CDialogWindow::OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    if (m_queue.OnMessage(nMsg, wParam, lParam))
        return TRUE;
    switch (nMsg) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SYSCOMMAND:
        if ((wParam & kSysCommandMask) != IDM_ABOUTBOX &&
            ((wParam & kSysCommandMask) != SC_CLOSE || !IsWindowWaiting()))
            return FALSE; // the window system's own
        // Commands that come while a sequence waits are handled after it.
        if (IsWindowWaiting())
            PostMessageW(m_hWnd, nMsg, wParam, lParam);
        else
            m_pDlg->OnSysCommand(static_cast<unsigned>(wParam));
        return TRUE;
    case WM_INITMENUPOPUP:
        // The devices present, looked for each time the Port menu opens.
        if (reinterpret_cast<HMENU>(wParam) == m_hPortMenu && m_hPortMenu)
            m_pDlg->FillDeviceItems();
        return TRUE;
    case WM_TIMER:
        m_pDlg->OnTimer(static_cast<unsigned>(wParam));
        return TRUE;
    case WM_DRAWITEM:
        if (CLedIndicator* pLed = Led(static_cast<int>(wParam))) {
            pLed->DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        break;
    case WM_SETCURSOR:
        if (m_nBusy > 0) {
            ::SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        break;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(m_hIcon);
    case WM_ENDSESSION:
        // Windows is ending: a sequence under way sends nothing more.
        if (wParam) {
            if (m_pDlg->Drive().IsInSequence())
                StopWindowWaits();
            else
                m_pDlg->OnCancel();
        }
        return TRUE;
    case WM_DESTROY:
        ::KillTimer(m_hWnd, kReplyTimerId);
        m_queue.SetWindow(nullptr);
        break;
    default:
        break;
    }
    return FALSE;
}

BOOL CDialogWindow::OnInitDialog()
{
    m_queue.SetWindow(m_hWnd);
    CreateMenuBar();
    if (const HMENU hSysMenu = GetSystemMenu(m_hWnd, FALSE)) {
        AppendMenuW(hSysMenu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(hSysMenu, MF_STRING, IDM_ABOUTBOX, Widen(kTextAboutEntry).c_str());
    }
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(m_hSmallIcon ? m_hSmallIcon : m_hIcon));
    m_ledTx.Attach(Item(IDC_TX_LED));
    m_ledRx.Attach(Item(IDC_RX_LED));
    m_ledTx.LoadLedBitmap(m_hInstance, IDB_LED, kLedCellWidth);
    m_ledRx.LoadLedBitmap(m_hInstance, IDB_LED, kLedCellWidth);
    m_pDlg->OnInitDialog();
    return TRUE;
}

void CDialogWindow::CreateMenuBar()
{
    const HMENU hMenuBar = CreateMenu();
    AppendMenuItems(hMenuBar, kMainMenu, m_hPortMenu);
    // The template's size is the client area's: the window grows by the bar.
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    SetMenu(m_hWnd, hMenuBar);
    AdjustWindowRectEx(&rc, static_cast<DWORD>(GetWindowLongPtrW(m_hWnd, GWL_STYLE)), TRUE,
                       static_cast<DWORD>(GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)));
    SetWindowPos(m_hWnd, nullptr, 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CDialogWindow::OnCommand(int nID, int nCode, HWND hControl)
{
    std::function<void()> handler;
    if (nCode == CBN_SELCHANGE && hControl &&
        (nID == IDC_IDLE || nID == IDC_CURRENT || nID == IDC_RESOLUTION)) {
        // Only the user changes a selection: the program's raise no notification.
        handler = [this] { m_pDlg->OnSelChangeSetting(); };
    } else if (nCode == BN_CLICKED) {
        for (const CCommandRoute& route : kCommandRoutes) {
            if (route.nID == nID)
                handler = [this, pHandler = route.pHandler] { ((*m_pDlg).*pHandler)(); };
        }
        const std::size_t nDevice = static_cast<std::size_t>(nID - ID_PORT_DEVICE_FIRST);
        if (nID >= ID_PORT_DEVICE_FIRST && nDevice < m_devicePaths.size())
            handler = [this, strPath = m_devicePaths[nDevice]] { m_pDlg->OnPortDevice(strPath); };
    }
    if (!handler)
        return false;
    // Sent while a sequence waits (a click sent by another program): handled after it.
    if (IsWindowWaiting())
        PostMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(nID, nCode),
                     reinterpret_cast<LPARAM>(hControl));
    else
        handler();
    return true;
}

CLedIndicator* CDialogWindow::Led(int nID)
{
    if (nID == IDC_TX_LED)
        return &m_ledTx;
    if (nID == IDC_RX_LED)
        return &m_ledRx;
    return nullptr;
}

void CDialogWindow::SetDlgItemText(int nID, const std::string& strText)
{
    SetDlgItemTextW(m_hWnd, nID, Widen(strText).c_str());
}

std::string CDialogWindow::GetDlgItemText(int nID) const
{
    return WindowText(Item(nID));
}

void CDialogWindow::UpdateDlgItem(int nID)
{
    if (const HWND hItem = Item(nID))
        RedrawWindow(hItem, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void CDialogWindow::UpdateWindow()
{
    RedrawWindow(m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void CDialogWindow::EnableDlgItem(int nID, bool bEnable)
{
    if (const HWND hItem = Item(nID))
        EnableWindow(hItem, bEnable);
}

bool CDialogWindow::IsDlgItemEnabled(int nID) const
{
    const HWND hItem = Item(nID);
    return hItem && IsWindowEnabled(hItem);
}

void CDialogWindow::ShowDlgItem(int nID, bool bShow)
{
    if (const HWND hItem = Item(nID))
        ShowWindow(hItem, bShow ? SW_SHOWNORMAL : SW_HIDE);
}

void CDialogWindow::SetFocusDlgItem(int nID)
{
    if (const HWND hItem = Item(nID))
        SetFocus(hItem);
}

void CDialogWindow::ResetContent(int nID)
{
    SendDlgItemMessageW(m_hWnd, nID, CB_RESETCONTENT, 0, 0);
}

int CDialogWindow::AddString(int nID, const std::string& strText)
{
    if (!Item(nID))
        return -1;
    const std::wstring strWide = Widen(strText);
    const LRESULT nIndex = SendDlgItemMessageW(m_hWnd, nID, CB_ADDSTRING, 0,
                                               reinterpret_cast<LPARAM>(strWide.c_str()));
    return nIndex < 0 ? -1 : static_cast<int>(nIndex);
}

void CDialogWindow::SetItemData(int nID, int nIndex, int nData)
{
    SendDlgItemMessageW(m_hWnd, nID, CB_SETITEMDATA, static_cast<WPARAM>(nIndex),
                        static_cast<LPARAM>(nData));
}

int CDialogWindow::GetItemData(int nID, int nIndex) const
{
    if (!Item(nID))
        return -1;
    return static_cast<int>(
        SendDlgItemMessageW(m_hWnd, nID, CB_GETITEMDATA, static_cast<WPARAM>(nIndex), 0));
}

void CDialogWindow::SetCurSel(int nID, int nIndex)
{
    const LRESULT nCount = SendDlgItemMessageW(m_hWnd, nID, CB_GETCOUNT, 0, 0);
    const int nSelect = nIndex >= 0 && nIndex < nCount ? nIndex : -1;
    SendDlgItemMessageW(m_hWnd, nID, CB_SETCURSEL, static_cast<WPARAM>(nSelect), 0);
}

int CDialogWindow::GetCurSel(int nID) const
{
    if (!Item(nID))
        return -1;
    return static_cast<int>(SendDlgItemMessageW(m_hWnd, nID, CB_GETCURSEL, 0, 0));
}

void CDialogWindow::SetLedState(int nID, bool bLit)
{
    if (CLedIndicator* pLed = Led(nID))
        pLed->SetLedState(bLit ? 1 : 0);
}

void CDialogWindow::CheckMenuItem(int nID, bool bChecked)
{
    ::CheckMenuItem(GetMenu(m_hWnd), static_cast<UINT>(nID),
                    MF_BYCOMMAND | (bChecked ? MF_CHECKED : MF_UNCHECKED));
}

bool CDialogWindow::IsMenuItemChecked(int nID) const
{
    const UINT nState = GetMenuState(GetMenu(m_hWnd), static_cast<UINT>(nID), MF_BYCOMMAND);
    return nState != static_cast<UINT>(-1) && (nState & MF_CHECKED);
}

void CDialogWindow::SetPortDeviceItems(const std::vector<CPortMenuItem>& items)
{
    if (!m_hPortMenu)
        return;
    for (std::size_t i = 0; i < m_devicePaths.size(); ++i)
        DeleteMenu(m_hPortMenu, static_cast<UINT>(ID_PORT_DEVICE_FIRST + i), MF_BYCOMMAND);
    m_devicePaths.clear();
    for (const CPortMenuItem& item : items) {
        const int nID = ID_PORT_DEVICE_FIRST + static_cast<int>(m_devicePaths.size());
        if (nID > ID_PORT_DEVICE_LAST)
            break;
        InsertMenuW(m_hPortMenu, ID_PORT_OTHER,
                    MF_BYCOMMAND | MF_STRING | (item.bChecked ? MF_CHECKED : MF_UNCHECKED),
                    static_cast<UINT_PTR>(nID), Widen(item.strText).c_str());
        m_devicePaths.push_back(item.strPath);
    }
}

void CDialogWindow::SetBusy(bool bBusy)
{
    if (bBusy)
        ++m_nBusy;
    else if (m_nBusy > 0)
        --m_nBusy;
    ::SetCursor(LoadCursorW(nullptr, m_nBusy > 0 ? IDC_WAIT : IDC_ARROW));
}

void CDialogWindow::MessageBox(const CMessageBoxCall& call)
{
    std::string strText = call.strText;
    if (!call.strDetail.empty())
        strText += "\n\n" + call.strDetail;
    MessageBoxW(m_hWnd, Widen(strText).c_str(), Widen(kAppTitle).c_str(),
                MB_OK | (call.eIcon == EIcon::Stop ? MB_ICONHAND : 0));
}

std::optional<std::string> CDialogWindow::DoFileDialog(const CFileDialogCall& call)
{
    std::wstring strFilter;
    for (const CFileFilter& filter : call.filters) {
        strFilter += Widen(filter.strText);
        strFilter += L'\0';
        strFilter += Widen(filter.strPattern);
        strFilter += L'\0';
    }
    strFilter += L'\0';
    // The folder to start in and the name in the name field.
    const std::wstring strInitial = Widen(call.strFileName);
    const std::size_t nSlash = strInitial.find_last_of(L"\\/");
    const std::wstring strFolder =
        nSlash == std::wstring::npos ? std::wstring() : strInitial.substr(0, nSlash + 1);
    std::wstring strFile(32768, L'\0');
    strInitial.copy(strFile.data(), strFile.size() - 1,
                    nSlash == std::wstring::npos ? 0 : nSlash + 1);
    const std::wstring strDefExt = Widen(call.strDefExt);

    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = strFilter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = strFile.data();
    ofn.nMaxFile = static_cast<DWORD>(strFile.size());
    ofn.lpstrInitialDir = strFolder.empty() ? nullptr : strFolder.c_str();
    ofn.lpstrDefExt = strDefExt.empty() ? nullptr : strDefExt.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | (call.bOverwritePrompt ? OFN_OVERWRITEPROMPT : 0);
    const BOOL bChosen = call.bOpenFileDialog ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
    if (!bChosen)
        return std::nullopt;
    return Narrow(strFile.c_str());
}

std::optional<std::string> CDialogWindow::AskText(const std::string& strPrompt,
                                                  const std::string& strInitial)
{
    const CDlgItemSpec items[] = {
        {IDC_STATIC, kStaticClass, SS_LEFT | SS_NOPREFIX | WS_GROUP, strPrompt, 0, {7, 7, 186, 8}},
        {kAskEditId, kEditClass, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, "", 0, {7, 18, 186, 12}},
        {IDOK,
         kButtonClass,
         BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP,
         kAboutOK,
         0,
         {89, 36, 50, 14}},
        {IDCANCEL, kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, kTextCancel, 0, {143, 36, 50, 14}},
    };
    const std::vector<WORD> words = BuildDialogTemplate(
        kAppTitle, 200, 57, kMainDialog.pszFont, kMainDialog.nPointSize, items, kBoxStyle, 0);
    CAskText ask{Widen(strPrompt), Widen(strInitial)};
    if (DialogBoxIndirectParamW(m_hInstance, AsTemplate(words), m_hWnd, AskTextProc,
                                reinterpret_cast<LPARAM>(&ask)) != IDOK)
        return std::nullopt;
    return Narrow(ask.strText);
}

void CDialogWindow::ShowAboutBox()
{
    CAboutDlg dlg;
    dlg.DoModal(m_hInstance, m_hWnd);
}

void CDialogWindow::SetTimer(unsigned nIDEvent, unsigned nMilliseconds)
{
    ::SetTimer(m_hWnd, nIDEvent, nMilliseconds, nullptr);
}

void CDialogWindow::KillTimer(unsigned nIDEvent)
{
    ::KillTimer(m_hWnd, nIDEvent);
}

void CDialogWindow::EndDialog(int nResult)
{
    ::EndDialog(m_hWnd, nResult);
}
