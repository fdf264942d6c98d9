#include "app/RT3180App.h"

#include "Version.h"
#include "app/RT3180Dlg.h"
#include "platform/MessageBox.h"
#include "serial/WireLog.h"
#include "ui/MessageBoxPresenter.h"
#include "ui/WindowPump.h"

#include <QStringList>

CRT3180App::CRT3180App(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("RT3180"));
    setApplicationVersion(QString::fromLatin1(kVersion));
    setDesktopFileName(QStringLiteral("rt3180"));
    InstallMessageBoxPresenter();
    InstallWindowPump();
    StartWireLog(arguments());
}

CRT3180App::~CRT3180App()
{
    CWireLog::Close();
}

void CRT3180App::StartWireLog(const QStringList& args)
{
    // "--log FILE" or "--log=FILE": every byte on the link, for a bug report.
    QString strFile;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--log") && i + 1 < args.size())
            strFile = args[i + 1];
        else if (args[i].startsWith(QLatin1String("--log=")))
            strFile = args[i].mid(6);
    }
    QString strReason;
    if (!strFile.isEmpty() && !CWireLog::Open(strFile, &strReason))
        AfxMessageBox(QStringLiteral("The log cannot be written."), MB_OK | MB_ICONSTOP,
                      strFile + QStringLiteral(": ") + strReason);
}

bool CRT3180App::InitInstance()
{
    CRT3180Dlg dlg;
    dlg.DoModal();
    return false;
}
