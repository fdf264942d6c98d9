#pragma once

#include "core/serial/ReceiveQueue.h"
#include "win32ui/Win32.h"

#include <atomic>

// The reader's bytes and hang-up as messages posted to the dialog:
// PROC_KOLV_MSG with the chunk on the heap in lParam, taken back on the GUI
// thread, and a hang-up message of its own, so that either can be taken from
// the queue without the other.
class CWin32ReceiveQueue : public IReceiveQueue
{
public:
    CWin32ReceiveQueue();
    // Frees what is still posted: each chunk holds a place at the gate.
    ~CWin32ReceiveQueue() override;
    CWin32ReceiveQueue(const CWin32ReceiveQueue&) = delete;
    CWin32ReceiveQueue& operator=(const CWin32ReceiveQueue&) = delete;

    // The dialog that receives; nullptr when it ends (what is posted is freed).
    void SetWindow(HWND hWnd);
    // The dialog's procedure: true when the message was one of ours.
    bool OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam);

    void SetTarget(IReceiveTarget* pTarget) override { m_pTarget = pTarget; }
    void PostReceived(CReceivedChunk chunk) override;
    void PostHangup() override;
    void DeliverPosted() override;
    void DropHangup() override;

private:
    void Remove(UINT nMsg, bool bDeliver);

    const UINT m_nReceivedMsg;
    const UINT m_nHangupMsg;
    std::atomic<HWND> m_hWnd{nullptr};
    IReceiveTarget* m_pTarget = nullptr;
};
