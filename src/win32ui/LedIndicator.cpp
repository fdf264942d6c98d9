#include "win32ui/LedIndicator.h"

#include <string>

CMemoryBitmap::CMemoryBitmap() : m_hMemDC(CreateCompatibleDC(nullptr)) {}

CMemoryBitmap::~CMemoryBitmap()
{
    if (m_hBitmap) {
        SelectObject(m_hMemDC, m_hOldBitmap);
        DeleteObject(m_hBitmap);
    }
    if (m_hMemDC)
        DeleteDC(m_hMemDC);
}

bool CMemoryBitmap::LoadBitmap(HINSTANCE hInstance, int nIDResource, int nCellWidth)
{
    m_hBitmap =
        static_cast<HBITMAP>(LoadImageW(hInstance, MAKEINTRESOURCEW(nIDResource), IMAGE_BITMAP, 0,
                                        0, LR_LOADMAP3DCOLORS | LR_LOADTRANSPARENT));
    if (!m_hBitmap)
        return false;
    BITMAP bm = {};
    GetObjectW(m_hBitmap, sizeof bm, &bm);
    m_nCellWidth = nCellWidth;
    m_nCellHeight = bm.bmHeight;
    m_hOldBitmap = SelectObject(m_hMemDC, m_hBitmap);
    return true;
}

void CMemoryBitmap::DrawCell(HDC hDC, int x, int y, int nCell) const
{
    // Without its picture the lamp is left out.
    if (m_hBitmap)
        BitBlt(hDC, x, y, m_nCellWidth, m_nCellHeight, m_hMemDC, nCell * m_nCellWidth, 0, SRCCOPY);
}

void CLedIndicator::Attach(HWND hWnd)
{
    m_hWnd = hWnd;
    RECT rc = {};
    GetClientRect(hWnd, &rc);
    m_nImageY = rc.top + (rc.bottom - rc.top + 1) / 2;
}

void CLedIndicator::LoadLedBitmap(HINSTANCE hInstance, int nIDResource, int nCellWidth)
{
    m_image.LoadBitmap(hInstance, nIDResource, nCellWidth);
    m_nImageX = 1;
    m_nImageY -= m_image.CellHeight() / 2;
    if (m_nTextOffset < m_image.CellWidth())
        m_nTextOffset = m_image.CellWidth() + 5;
}

int CLedIndicator::SetLedState(int nState)
{
    if (nState != m_nState) {
        m_nState = nState;
        // Painted now: the caller may block the thread next.
        if (m_hWnd)
            RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    return m_nState;
}

void CLedIndicator::DrawItem(const DRAWITEMSTRUCT& dis) const
{
    if (dis.itemAction != ODA_DRAWENTIRE)
        return;
    const HDC hDC = dis.hDC;
    const int nSaved = SaveDC(hDC);
    FillRect(hDC, &dis.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    m_image.DrawCell(hDC, m_nImageX, m_nImageY, m_nState ? 1 : 0);

    std::wstring strCaption(static_cast<std::size_t>(GetWindowTextLengthW(dis.hwndItem)) + 1,
                            L'\0');
    strCaption.resize(static_cast<std::size_t>(
        GetWindowTextW(dis.hwndItem, strCaption.data(), static_cast<int>(strCaption.size()))));
    RECT rcClient = {};
    GetClientRect(dis.hwndItem, &rcClient);
    RECT rcText = rcClient;
    rcText.left += m_nTextOffset;
    rcText.right -= 2;
    if (!strCaption.empty()) {
        SetBkMode(hDC, TRANSPARENT);
        // Word-wrapped, '&' shown as written, centred vertically.
        DrawTextW(hDC, strCaption.c_str(), -1, &rcText, DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX);
        const int nTextHeight = rcText.bottom - rcText.top;
        rcText.top = rcClient.top + (rcClient.bottom - rcClient.top - nTextHeight + 1) / 2;
        rcText.bottom = rcText.top + nTextHeight;
        DrawTextW(hDC, strCaption.c_str(), -1, &rcText, DT_WORDBREAK | DT_NOPREFIX);
    }
    RestoreDC(hDC, nSaved);
}
