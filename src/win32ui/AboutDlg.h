#pragma once

#include "win32ui/Win32.h"

#include <string>

// A static text painted blue and underlined in its dialog's font, with the
// help cursor over the text, that opens its address with the shell when the
// text is clicked.
class CLinkLabel
{
public:
    CLinkLabel();
    ~CLinkLabel();
    CLinkLabel(const CLinkLabel&) = delete;
    CLinkLabel& operator=(const CLinkLabel&) = delete;

    // Subclasses the dialog's static control.
    void Attach(HWND hWnd);
    void SetURL(std::wstring strURL) { m_strURL = std::move(strURL); }

private:
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR nID, DWORD_PTR pThis);
    void CreateUnderlineFont();
    void MeasureText();
    bool IsOverText(POINT pt) const;
    void OnPaint();
    void OnMouseMove(POINT pt);
    void OnMouseLeave();
    void OnLButtonDown(POINT pt);

    HWND m_hWnd = nullptr;
    std::wstring m_strText;
    std::wstring m_strURL;
    HFONT m_fontUnderline = nullptr;
    SIZE m_sizeText = {};
    bool m_bTracking = false;
    bool m_bMeasured = false;
    HCURSOR m_hLinkCursor;
    HCURSOR m_hArrowCursor;
};

// The About box: icon, version, OK and the link to the maker's site.
class CAboutDlg
{
public:
    INT_PTR DoModal(HINSTANCE hInstance, HWND hParent);

private:
    static INT_PTR CALLBACK DialogProc(HWND hDlg, UINT nMsg, WPARAM wParam, LPARAM lParam);

    CLinkLabel m_link;
};
