// "helper_pingable idle|apply DEVICE [--log FILE]": shows the main dialog in the program's
// application object and connects it to DEVICE. idle then prints "CONNECTED"
// and stays so until the dialog is closed; apply presses Apply, prints
// "WINDOW id" (the dialog's X window) while Apply waits before its first
// command, and "DONE" when Apply has ended.

#include "app/RT3180App.h"
#include "app/RT3180Dlg.h"
#include "port/StoredPort.h"

#include <QTimer>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    CRT3180App app(argc, argv);
    if (argc < 3 || !SaveStoredPort(QString::fromLocal8Bit(argv[2])))
        return 2;
    const bool bIdle = std::strcmp(argv[1], "idle") == 0;
    CRT3180Dlg dlg;
    dlg.Create();
    dlg.show();
    auto say = [](const QByteArray& line) {
        std::printf("%s\n", line.constData());
        std::fflush(stdout);
    };
    bool bAnnounced = false;
    QObject::connect(&dlg.Drive(), &CDriveProtocol::txLampChanged, [&](int nState) {
        if (nState && !bAnnounced && !dlg.Drive().IsRecallPending()) {
            bAnnounced = true;
            say("WINDOW " + QByteArray::number(qulonglong(dlg.winId())));
        }
    });
    QObject::connect(&dlg, &QDialog::finished, &app, &QApplication::quit);
    QTimer::singleShot(200, &dlg, [&] {
        dlg.OnConnect();
        if (bIdle)
            return say("CONNECTED");
        dlg.OnSelChangeSetting();
        dlg.OnApply();
        say("DONE");
        QApplication::quit();
    });
    return app.exec();
}
