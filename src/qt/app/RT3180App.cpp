#include "qt/app/RT3180App.h"

#include "Version.h"
#include "core/dialog/RT3180Dlg.h"
#include "core/dialog/Texts.h"
#include "core/serial/WireLog.h"
#include "qt/app/DialogWindow.h"
#include "qt/ui/MessageBoxPresenter.h"
#include "qt/ui/PumpClock.h"

#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

CRT3180App::CRT3180App(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("RT3180"));
    setApplicationVersion(QString::fromLatin1(kVersion));
    setDesktopFileName(QStringLiteral("rt3180"));
    CatchStopSignals();
}

CRT3180App::~CRT3180App()
{
    for (const int nSignal : {SIGTERM, SIGINT, SIGHUP})
        std::signal(nSignal, SIG_DFL);
    for (const int nFd : m_nSignalPipe) {
        if (nFd >= 0)
            close(nFd);
    }
    CWireLog::Close();
}

namespace
{
int s_nSignalWrite = -1;

void OnSignal(int)
{
    const int nSavedErrno = errno;
    const char ch = 0;
    [[maybe_unused]] const ssize_t n = write(s_nSignalWrite, &ch, 1);
    errno = nSavedErrno;
}
} // namespace

void CRT3180App::CatchStopSignals()
{
    // Only a write is safe in a handler: the rest happens in the event loop.
    if (pipe2(m_nSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    s_nSignalWrite = m_nSignalPipe[1];
    auto* pNotifier = new QSocketNotifier(m_nSignalPipe[0], QSocketNotifier::Read, this);
    connect(pNotifier, &QSocketNotifier::activated, this, &CRT3180App::OnStopSignal);
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    action.sa_flags = SA_RESTART;
    for (const int nSignal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(nSignal, &action, nullptr);
}

void CRT3180App::OnStopSignal()
{
    char buffer[16];
    while (read(m_nSignalPipe[0], buffer, sizeof buffer) > 0) {
    }
    StopWindowWaits();
    CloseWhenIdle();
}

void CRT3180App::CloseWhenIdle()
{
    // The sequence's handler returns first, and a box or file dialog is
    // answered with Cancel; the dialog then closes from its own event loop.
    QWidget* pModal = activeModalWidget();
    bool bBusy = pModal && !qobject_cast<CDialogWindow*>(pModal);
    if (bBusy)
        pModal->close();
    for (QWidget* pWidget : topLevelWidgets()) {
        if (auto* pDlg = qobject_cast<CDialogWindow*>(pWidget))
            bBusy = bBusy || pDlg->IsInSequence();
    }
    if (bBusy) {
        QTimer::singleShot(1, this, &CRT3180App::CloseWhenIdle);
        return;
    }
    m_bStopRequested = true; // before the dialog: it is not shown at all
    for (QWidget* pWidget : topLevelWidgets()) {
        if (auto* pDlg = qobject_cast<CDialogWindow*>(pWidget))
            pDlg->Dlg().OnCancel();
    }
}

void CRT3180App::StartWireLog(const QString& strFile)
{
    std::string strReason;
    if (!strFile.isEmpty() && !CWireLog::Open(strFile.toStdString(), &strReason))
        ShowMessageBox(nullptr,
                       {kTextLogNotWritten, EIcon::Stop, strFile.toStdString() + ": " + strReason});
}

bool CRT3180App::InitInstance()
{
    if (m_bStopRequested)
        return false;
    CDialogWindow dlg;
    dlg.DoModal();
    return false;
}
