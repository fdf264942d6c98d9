// Renders the program's windows to PNG files, for the README and for looking
// at the layout: rt3180-snapshot OUTPUT_DIR
#include "app/RT3180Dlg.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));

    CRT3180Dlg dlg;
    dlg.Create();
    dlg.show();
    QApplication::processEvents();
    bool ok = dlg.grab().save(out.filePath(QStringLiteral("dialog.png")));

    dlg.ShowSettings(true);
    QApplication::processEvents();
    ok = dlg.grab().save(out.filePath(QStringLiteral("dialog-connected.png"))) && ok;
    return ok ? 0 : 1;
}
