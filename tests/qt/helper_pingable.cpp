// "helper_pingable idle|apply DEVICE [--log FILE]": shows the main dialog in the program's
// application object and connects it to DEVICE. idle then prints "CONNECTED"
// and stays so until the dialog is closed; apply prints "WINDOW id" (the
// dialog's X window) as it presses Apply, whose first command comes after a
// wait, and "DONE" when Apply has ended.

#include "core/dialog/RT3180Dlg.h"
#include "posix/SettingsPortStore.h"
#include "qt/app/DialogWindow.h"
#include "qt/app/RT3180App.h"

#include <QTimer>
#include <cstdio>

int main(int argc, char** argv)
{
    CRT3180App app(argc, argv);
    if (argc < 3 || !CSettingsPortStore().Save(argv[2]))
        return 2;
    if (argc == 5 && QByteArray(argv[3]) == "--log")
        app.StartWireLog(QString::fromLocal8Bit(argv[4]));
    CDialogWindow dlg;
    dlg.Create();
    dlg.show();
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each line as it is printed
    QObject::connect(&dlg, &QDialog::finished, &app, &QApplication::quit);
    QTimer::singleShot(200, &dlg, [&] {
        dlg.Dlg().OnConnect();
        if (QByteArray(argv[1]) == "idle")
            return void(std::puts("CONNECTED"));
        dlg.Dlg().OnSelChangeSetting();
        std::printf("WINDOW %llu\n", qulonglong(dlg.winId()));
        dlg.Dlg().OnApply();
        std::puts("DONE");
        QApplication::quit();
    });
    return app.exec();
}
