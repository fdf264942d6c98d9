// Renders the program's windows to PNG files, for the README and for looking
// at the layout: rt3180-snapshot OUTPUT_DIR

#include "core/dialog/RT3180Dlg.h"
#include "core/dialog/Resource.h"
#include "qt/app/DialogWindow.h"
#include "qt/controls/AboutDlg.h"
#include "qt/ui/DialogTemplate.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>

namespace
{
bool Save(QWidget& window, const QDir& out, const char* pszName)
{
    window.show();
    QApplication::processEvents();
    return window.grab().save(out.filePath(QString::fromLatin1(pszName)));
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));

    CDialogWindow dlg;
    dlg.Create();
    bool ok = Save(dlg, out, "dialog.png");

    // Sending: TX lit, RX unlit.
    dlg.SetLedState(IDC_TX_LED, true);
    ok = Save(dlg, out, "dialog-leds.png") && ok;
    dlg.SetLedState(IDC_TX_LED, false);

    // The settings as a connection shows them.
    dlg.Dlg().ShowSettings(true);
    ok = Save(dlg, out, "dialog-settings.png") && ok;

    CAboutDlg about;
    CreateAboutBox(about);
    ok = Save(about, out, "about.png") && ok;
    return ok ? 0 : 1;
}
