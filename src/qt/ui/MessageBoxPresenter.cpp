#include "ui/MessageBoxPresenter.h"

#include "platform/AppTitle.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QTextEdit>

namespace
{
constexpr int kDetailWidth = 480;

int ShowMessageBox(const CMessageBoxCall& call)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QString::fromLatin1(kAppTitle));
    // Port names, paths and system reasons are data, never markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(call.strText);
    box.setIcon((call.nType & MB_ICONHAND) ? QMessageBox::Critical : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    if (!call.strDetail.isEmpty()) {
        box.setDetailedText(call.strDetail);
        // Advice with commands in it is read whole: wrapped, in a wider pane.
        if (auto* pDetail = box.findChild<QTextEdit*>()) {
            pDetail->setLineWrapMode(QTextEdit::WidgetWidth);
            pDetail->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            pDetail->setMinimumWidth(kDetailWidth);
        }
    }
    box.exec();
    return IDOK;
}
} // namespace

void InstallMessageBoxPresenter()
{
    SetMessageBoxHook(ShowMessageBox);
}
