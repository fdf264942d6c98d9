#pragma once

#include <QApplication>

// The application object: it runs the one dialog and ends when it closes.
class CRT3180App : public QApplication
{
    Q_OBJECT

public:
    CRT3180App(int& argc, char** argv);

    // Runs the main dialog modally; returns false, the process then ends.
    bool InitInstance();
};
