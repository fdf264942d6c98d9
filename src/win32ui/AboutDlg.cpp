#include "win32ui/AboutDlg.h"

#include "core/dialog/DialogTemplate.h"
#include "core/dialog/Resource.h"
#include "core/dialog/Texts.h"
#include "win32ui/DialogTemplate.h"
#include "win32ui/Utf16.h"

#include <commctrl.h>
#include <shellapi.h>

namespace
{
constexpr COLORREF kLinkColour = RGB(0, 0, 255);

POINT PointOf(LPARAM lParam)
{
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}
} // namespace

CLinkLabel::CLinkLabel()
    : m_hLinkCursor(LoadCursorW(nullptr, IDC_HELP)), m_hArrowCursor(LoadCursorW(nullptr, IDC_ARROW))
{
}

CLinkLabel::~CLinkLabel()
{
    if (m_hWnd)
        RemoveWindowSubclass(m_hWnd, SubclassProc, 0);
    if (m_fontUnderline)
        DeleteObject(m_fontUnderline);
}

void CLinkLabel::Attach(HWND hWnd)
{
    m_hWnd = hWnd;
    std::wstring strText(static_cast<std::size_t>(GetWindowTextLengthW(hWnd)) + 1, L'\0');
    strText.resize(static_cast<std::size_t>(
        GetWindowTextW(hWnd, strText.data(), static_cast<int>(strText.size()))));
    m_strText = strText;
    m_bMeasured = false;
    SetWindowSubclass(hWnd, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK CLinkLabel::SubclassProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR pThis)
{
    auto* pLink = reinterpret_cast<CLinkLabel*>(pThis);
    switch (nMsg) {
    case WM_PAINT:
        pLink->OnPaint();
        return 0;
    case WM_MOUSEMOVE:
        pLink->OnMouseMove(PointOf(lParam));
        break;
    case WM_MOUSELEAVE:
        pLink->OnMouseLeave();
        return 0;
    case WM_LBUTTONDOWN:
        pLink->OnLButtonDown(PointOf(lParam));
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hWnd, SubclassProc, 0);
        pLink->m_hWnd = nullptr;
        break;
    default:
        break;
    }
    return DefSubclassProc(hWnd, nMsg, wParam, lParam);
}

// Without a dialog font nothing is made, and the label never reacts.
void CLinkLabel::CreateUnderlineFont()
{
    const auto hFont = reinterpret_cast<HFONT>(SendMessageW(GetParent(m_hWnd), WM_GETFONT, 0, 0));
    LOGFONTW lf = {};
    if (!hFont || !GetObjectW(hFont, sizeof lf, &lf))
        return;
    lf.lfUnderline = TRUE;
    m_fontUnderline = CreateFontIndirectW(&lf);
}

void CLinkLabel::MeasureText()
{
    if (m_bMeasured || !m_fontUnderline)
        return;
    const HDC hDC = GetDC(m_hWnd);
    const HGDIOBJ hOld = SelectObject(hDC, m_fontUnderline);
    GetTextExtentPoint32W(hDC, m_strText.c_str(), static_cast<int>(m_strText.size()), &m_sizeText);
    SelectObject(hDC, hOld);
    ReleaseDC(m_hWnd, hDC);
    m_bMeasured = true;
}

// The text is painted at the origin: its measured box is the text itself.
bool CLinkLabel::IsOverText(POINT pt) const
{
    return m_bMeasured && pt.x >= 0 && pt.x < m_sizeText.cx && pt.y >= 0 && pt.y < m_sizeText.cy;
}

void CLinkLabel::OnPaint()
{
    if (!m_fontUnderline)
        CreateUnderlineFont();
    PAINTSTRUCT ps;
    const HDC hDC = BeginPaint(m_hWnd, &ps);
    // The dialog's background, as a static paints it.
    const auto hBrush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(m_hWnd), WM_CTLCOLORSTATIC,
                                                              reinterpret_cast<WPARAM>(hDC),
                                                              reinterpret_cast<LPARAM>(m_hWnd)));
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    FillRect(hDC, &rc, hBrush ? hBrush : GetSysColorBrush(COLOR_BTNFACE));
    const HGDIOBJ hOld = m_fontUnderline ? SelectObject(hDC, m_fontUnderline) : nullptr;
    SetBkMode(hDC, TRANSPARENT);
    SetTextColor(hDC, kLinkColour);
    // TextOut does no '&' processing: the text is painted as written.
    TextOutW(hDC, 0, 0, m_strText.c_str(), static_cast<int>(m_strText.size()));
    if (hOld)
        SelectObject(hDC, hOld);
    EndPaint(m_hWnd, &ps);
}

void CLinkLabel::OnMouseMove(POINT pt)
{
    // The first move after entering only asks to hear of the leaving.
    if (!m_bTracking) {
        TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE, m_hWnd, 0};
        TrackMouseEvent(&tme);
        m_bTracking = true;
        return;
    }
    MeasureText();
    SetCursor(IsOverText(pt) ? m_hLinkCursor : m_hArrowCursor);
}

void CLinkLabel::OnMouseLeave()
{
    m_bTracking = false;
    SetCursor(m_hArrowCursor);
}

void CLinkLabel::OnLButtonDown(POINT pt)
{
    MeasureText();
    if (IsOverText(pt))
        ShellExecuteW(nullptr, L"open", m_strURL.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

INT_PTR CAboutDlg::DoModal(HINSTANCE hInstance, HWND hParent)
{
    const std::vector<WORD> words = BuildDialogTemplate(
        kAboutDialog, DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0);
    return DialogBoxIndirectParamW(hInstance, AsTemplate(words), hParent, DialogProc,
                                   reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CAboutDlg::DialogProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    switch (nMsg) {
    case WM_INITDIALOG: {
        auto* pThis = reinterpret_cast<CAboutDlg*>(lParam);
        if (const HWND hLink = GetDlgItem(hDlg, IDC_WEB_LINK)) {
            pThis->m_link.Attach(hLink);
            pThis->m_link.SetURL(Widen(kMakerURL));
        }
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(hDlg, LOWORD(wParam));
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}
