#include "app/RT3180App.h"

#include "Version.h"
#include "app/RT3180Dlg.h"
#include "ui/MessageBoxPresenter.h"
#include "ui/WindowPump.h"

CRT3180App::CRT3180App(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("RT3180"));
    setApplicationVersion(QString::fromLatin1(kVersion));
    setDesktopFileName(QStringLiteral("rt3180"));
    InstallMessageBoxPresenter();
    InstallWindowPump();
}

bool CRT3180App::InitInstance()
{
    CRT3180Dlg dlg;
    dlg.DoModal();
    return false;
}
