// Shows the main dialog connected to a pseudo-terminal, in the program's
// application object, and presses Apply. While Apply waits before its first
// command it prints "WINDOW id" (the dialog's X window); when Apply has
// ended, "DONE". "helper_pingable idle|apply DEVICE" connects to DEVICE; idle
// prints "CONNECTED" and stays so until the dialog is closed.

#include "app/RT3180App.h"
#include "app/RT3180Dlg.h"
#include "port/StoredPort.h"
#include "ui/Resource.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>

int main(int argc, char** argv)
{
    CRT3180App app(argc, argv);
    const bool bIdle = argc > 1 && std::strcmp(argv[1], "idle") == 0;
    if (argc > 2) {
        if (!SaveStoredPort(QString::fromLocal8Bit(argv[2])))
            return 2;
    } else {
        const int nMaster = posix_openpt(O_RDWR | O_NOCTTY);
        if (nMaster < 0 || grantpt(nMaster) != 0 || unlockpt(nMaster) != 0 ||
            !SaveStoredPort(QString::fromLocal8Bit(ptsname(nMaster))))
            return 2;
    }

    CRT3180Dlg dlg;
    dlg.Create();
    dlg.show();
    bool bAnnounced = false;
    QObject::connect(&dlg.Drive(), &CDriveProtocol::txLampChanged, [&](int nState) {
        if (!nState || bAnnounced || dlg.Drive().IsRecallPending())
            return;
        bAnnounced = true;
        std::printf("WINDOW %llu\n", static_cast<unsigned long long>(dlg.winId()));
        std::fflush(stdout);
    });
    QObject::connect(&dlg, &QDialog::finished, &app, &QApplication::quit);
    QTimer::singleShot(200, &dlg, [&] {
        dlg.OnConnect();
        if (bIdle) {
            std::printf("CONNECTED\n");
            std::fflush(stdout);
            return;
        }
        dlg.OnSelChangeSetting();
        dlg.OnApply();
        std::printf("DONE\n");
        std::fflush(stdout);
        QApplication::quit();
    });
    return app.exec();
}
