#include "platform/MessageBox.h"

#include "platform/AppTitle.h"

#include <QApplication>
#include <QMessageBox>

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

    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QString::fromLatin1(kAppTitle));
    box.setText(strText);
    box.setIcon((nType & MB_ICONHAND) ? QMessageBox::Critical : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    if (!strDetail.isEmpty())
        box.setDetailedText(strDetail);
    box.exec();
    return IDOK;
}
