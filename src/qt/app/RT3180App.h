#pragma once

#include <QApplication>

// The application object: it runs the one dialog and ends when it closes.
class CRT3180App : public QApplication
{
    Q_OBJECT

public:
    CRT3180App(int& argc, char** argv);
    ~CRT3180App() override;

    // Opens the byte log that "--log FILE" asks for (nothing when empty);
    // a box says when it cannot be written.
    static void StartWireLog(const QString& strFile);

    // Runs the main dialog modally; returns false, the process then ends.
    bool InitInstance();

private:
    // SIGTERM, SIGINT, SIGHUP: the dialog's closing path, as on Exit, once
    // a sequence under way has stopped before its next command.
    void CatchStopSignals();
    void OnStopSignal();
    void CloseWhenIdle();

    int m_nSignalPipe[2] = {-1, -1};
    bool m_bStopRequested = false;
};
