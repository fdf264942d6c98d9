#include "platform/MessageBox.h"

#include <cstdio>

namespace
{
MessageBoxHook& Hook()
{
    static MessageBoxHook s_hook;
    return s_hook;
}
} // namespace

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook)
{
    MessageBoxHook old = std::move(Hook());
    Hook() = std::move(hook);
    return old;
}

int AfxMessageBox(const QString& strText, unsigned nType, const QString& strDetail)
{
    const CMessageBoxCall call{strText, nType, strDetail};
    if (Hook())
        return Hook()(call);
    std::fprintf(stderr, "%s\n", qPrintable(strText));
    if (!strDetail.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(strDetail));
    return IDOK;
}
