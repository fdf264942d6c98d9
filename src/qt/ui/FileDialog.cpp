#include "qt/ui/FileDialog.h"

#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace
{
// Qt reads the patterns from the parentheses at the end of the entry, so the
// entry must end there.
QString QtNameFilter(const CFileFilter& filter)
{
    const QString strText = QString::fromStdString(filter.strText).trimmed();
    const QString strPattern = QString::fromStdString(filter.strPattern);
    if (strText.endsWith(QLatin1Char('(') + strPattern + QLatin1Char(')')))
        return strText;
    return strText + QStringLiteral(" (") + strPattern + QLatin1Char(')');
}
// The dialog's own boxes (replace this file?) name the file the user picked:
// data, never markup.
class CPlainTextBoxes : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        if (pEvent->type() == QEvent::ChildPolished) {
            if (auto* pBox = qobject_cast<QMessageBox*>(static_cast<QChildEvent*>(pEvent)->child()))
                pBox->setTextFormat(Qt::PlainText);
        }
        return QObject::eventFilter(pWatched, pEvent);
    }
};
} // namespace

std::optional<std::string> DoFileDialog(QWidget* pParent, const CFileDialogCall& call)
{
    QFileDialog dialog(pParent);
    CPlainTextBoxes plainBoxes;
    dialog.installEventFilter(&plainBoxes);
    // A name that does not exist may be typed into the Open dialog too.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(call.bOpenFileDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !call.bOverwritePrompt);
    dialog.setDefaultSuffix(QString::fromStdString(call.strDefExt));
    QStringList nameFilters;
    for (const CFileFilter& filter : call.filters)
        nameFilters.append(QtNameFilter(filter));
    dialog.setNameFilters(nameFilters);
    const QFileInfo initial(QString::fromStdString(call.strFileName));
    dialog.setDirectory(initial.path());
    dialog.selectFile(initial.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst().toStdString();
}
