#pragma once

#include <QString>
#include <functional>

// Message boxes of the program. The core raises them here; the window shows
// them modally with the program's title (see ui/MessageBoxPresenter.h), a
// program without a window prints them, and tests record and answer them.

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

// Shows the box through the hook in place; without one it goes to standard error.
int AfxMessageBox(const QString& strText, unsigned nType = MB_OK, const QString& strDetail = {});

using MessageBoxHook = std::function<int(const CMessageBoxCall&)>;
// Puts a presenter in place (empty hook: standard error). Returns the previous one.
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);
