// Renders the program's windows to PNG files, for the README and for looking
// at the layout: rt3180-snapshot OUTPUT_DIR
#include "app/RT3180Dlg.h"
#include "controls/AboutDlg.h"
#include "controls/LedIndicator.h"
#include "ui/Resource.h"

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

    CRT3180Dlg dlg;
    dlg.Create();
    bool ok = Save(dlg, out, "dialog.png");

    // Sending: TX lit, RX unlit.
    auto* pTx = static_cast<CLedIndicator*>(dlg.GetDlgItem(IDC_TX_LED));
    pTx->SetLedState(1);
    ok = Save(dlg, out, "dialog-leds.png") && ok;
    pTx->SetLedState(0);

    // The settings as a connection shows them.
    dlg.ShowSettings(true);
    ok = Save(dlg, out, "dialog-settings.png") && ok;

    CAboutDlg about;
    ok = Save(about, out, "about.png") && ok;
    return ok ? 0 : 1;
}
