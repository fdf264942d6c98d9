// Shows the main dialog connected to a pseudo-terminal, with the window's
// pump as the program has it, and presses Apply. While Apply waits before
// its first command it prints "WINDOW id" (the dialog's X window); when
// Apply has ended, "DONE".

#include "app/RT3180Dlg.h"
#include "port/StoredPort.h"
#include "ui/Resource.h"
#include "ui/WindowPump.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    InstallWindowPump();
    const int nMaster = posix_openpt(O_RDWR | O_NOCTTY);
    if (nMaster < 0 || grantpt(nMaster) != 0 || unlockpt(nMaster) != 0 ||
        !SaveStoredPort(QString::fromLocal8Bit(ptsname(nMaster))))
        return 2;

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
    QTimer::singleShot(200, &dlg, [&] {
        dlg.OnConnect();
        dlg.OnSelChangeSetting();
        dlg.OnApply();
        std::printf("DONE\n");
        std::fflush(stdout);
        QApplication::quit();
    });
    return app.exec();
}
