#pragma once

#include <QString>
#include <functional>

// Message boxes of the program. Shown modally with the program's title; tests
// put a hook in place that records the call and answers it instead.

enum : unsigned {
    MB_OK = 0x00000000u,
    MB_ICONHAND = 0x00000010u,
    MB_ICONSTOP = MB_ICONHAND,
};

enum : int {
    IDOK = 1,
};

struct CMessageBoxCall {
    QString strText;
    unsigned nType = MB_OK;
    QString strDetail; // extra explanation a Linux user needs (device path, reason)
};

int AfxMessageBox(const QString& strText, unsigned nType = MB_OK, const QString& strDetail = {});

using MessageBoxHook = std::function<int(const CMessageBoxCall&)>;
// Replaces the real box (empty hook restores it). Returns the previous hook.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);
