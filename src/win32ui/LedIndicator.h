#pragma once

#include "win32ui/Win32.h"

// A bitmap selected once into a memory DC of its own, copied out a cell at a
// time.
class CMemoryBitmap
{
public:
    CMemoryBitmap();
    virtual ~CMemoryBitmap();
    CMemoryBitmap(const CMemoryBitmap&) = delete;
    CMemoryBitmap& operator=(const CMemoryBitmap&) = delete;

    // The first pixel's colour becomes the window colour, the greys the 3-D ones.
    bool LoadBitmap(HINSTANCE hInstance, int nIDResource, int nCellWidth);
    int CellWidth() const { return m_nCellWidth; }
    int CellHeight() const { return m_nCellHeight; }
    void DrawCell(HDC hDC, int x, int y, int nCell) const;

private:
    HDC m_hMemDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    int m_nCellWidth = 0;
    int m_nCellHeight = 0;
    HGDIOBJ m_hOldBitmap = nullptr;
};

// A lamp, red when unlit and green when lit, followed by its caption: an
// owner-drawn button of the dialog that paints itself at once on a change.
class CLedIndicator
{
public:
    void Attach(HWND hWnd);
    void LoadLedBitmap(HINSTANCE hInstance, int nIDResource, int nCellWidth);
    // 0 unlit, anything else lit; returns the state after the call.
    int SetLedState(int nState);
    // WM_DRAWITEM of the dialog for this control.
    void DrawItem(const DRAWITEMSTRUCT& dis) const;

private:
    HWND m_hWnd = nullptr;
    int m_nTextOffset = 20;
    int m_nImageX = 0;
    int m_nImageY = 0;
    int m_nState = 0;
    CMemoryBitmap m_image;
};
