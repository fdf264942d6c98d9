#include "win32ui/ReceiveQueue.h"

#include <memory>

CWin32ReceiveQueue::CWin32ReceiveQueue()
    : m_nReceivedMsg(RegisterWindowMessageA("PROC_KOLV_MSG")),
      m_nHangupMsg(RegisterWindowMessageA("PROC_KOLV_HANGUP"))
{
}

CWin32ReceiveQueue::~CWin32ReceiveQueue()
{
    SetWindow(nullptr);
}

void CWin32ReceiveQueue::SetWindow(HWND hWnd)
{
    if (!hWnd && m_hWnd.load()) {
        Remove(m_nReceivedMsg, false);
        DropHangup();
    }
    m_hWnd = hWnd;
}

void CWin32ReceiveQueue::PostReceived(CReceivedChunk chunk)
{
    auto pChunk = std::make_unique<CReceivedChunk>(std::move(chunk));
    // Not posted (no window, a full queue): the chunk is dropped and its place freed.
    if (PostMessageW(m_hWnd, m_nReceivedMsg, 0, reinterpret_cast<LPARAM>(pChunk.get())))
        pChunk.release();
}

void CWin32ReceiveQueue::PostHangup()
{
    PostMessageW(m_hWnd, m_nHangupMsg, 0, 0);
}

bool CWin32ReceiveQueue::OnMessage(UINT nMsg, WPARAM, LPARAM lParam)
{
    if (nMsg == m_nReceivedMsg) {
        std::unique_ptr<CReceivedChunk> pChunk(reinterpret_cast<CReceivedChunk*>(lParam));
        if (m_pTarget && pChunk)
            m_pTarget->OnReceived(std::move(*pChunk));
        return true;
    }
    if (nMsg == m_nHangupMsg) {
        if (m_pTarget)
            m_pTarget->OnHangup();
        return true;
    }
    return false;
}

void CWin32ReceiveQueue::DeliverPosted()
{
    Remove(m_nReceivedMsg, true);
}

void CWin32ReceiveQueue::DropHangup()
{
    Remove(m_nHangupMsg, false);
}

void CWin32ReceiveQueue::Remove(UINT nMsg, bool bDeliver)
{
    const HWND hWnd = m_hWnd;
    if (!hWnd)
        return;
    MSG msg;
    while (PeekMessageW(&msg, hWnd, nMsg, nMsg, PM_REMOVE)) {
        if (bDeliver)
            OnMessage(msg.message, msg.wParam, msg.lParam);
        else if (nMsg == m_nReceivedMsg)
            delete reinterpret_cast<CReceivedChunk*>(msg.lParam);
    }
}
