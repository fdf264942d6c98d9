#include "ui/MessageBoxPresenter.h"

#include "platform/AppTitle.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace
{
int ShowMessageBox(const CMessageBoxCall& call)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QString::fromLatin1(kAppTitle));
    // Port names, paths and system reasons are data, never markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(call.strText);
    box.setIcon((call.nType & MB_ICONHAND) ? QMessageBox::Critical : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    if (!call.strDetail.isEmpty())
        box.setDetailedText(call.strDetail);
    box.exec();
    return IDOK;
}
} // namespace

void InstallMessageBoxPresenter()
{
    SetMessageBoxHook(ShowMessageBox);
}
