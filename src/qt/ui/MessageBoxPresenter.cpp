#include "qt/ui/MessageBoxPresenter.h"

#include "core/dialog/Texts.h"

#include <QMessageBox>
#include <QTextEdit>

namespace
{
constexpr int kDetailWidth = 480;
} // namespace

void ShowMessageBox(QWidget* pParent, const CMessageBoxCall& call)
{
    QMessageBox box(pParent);
    box.setWindowTitle(QString::fromUtf8(kAppTitle));
    // Port names, paths and system reasons are data, never markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(call.strText));
    box.setIcon(call.eIcon == EIcon::Stop ? QMessageBox::Critical : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    if (!call.strDetail.empty()) {
        box.setDetailedText(QString::fromStdString(call.strDetail));
        // Advice with commands in it is read whole: wrapped, in a wider pane.
        if (auto* pDetail = box.findChild<QTextEdit*>()) {
            pDetail->setLineWrapMode(QTextEdit::WidgetWidth);
            pDetail->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            pDetail->setMinimumWidth(kDetailWidth);
        }
    }
    box.exec();
}
