#pragma once

// What the window's tests share: a configuration folder of their own and a
// child process's next line.

#include <QProcess>
#include <QTemporaryDir>

// A fresh, empty per-user configuration folder for the life of the object.
class CTempConfigHome
{
public:
    CTempConfigHome() { qputenv(kName, m_dir.path().toLocal8Bit()); }
    ~CTempConfigHome() { m_bHadValue ? qputenv(kName, m_oldValue) : qunsetenv(kName); }
    QString Path() const { return m_dir.path(); }

private:
    static constexpr const char* kName = "XDG_CONFIG_HOME";
    QTemporaryDir m_dir;
    QByteArray m_oldValue = qgetenv(kName);
    bool m_bHadValue = qEnvironmentVariableIsSet(kName);
};

// Standard output of a process up to the end of its next line (30 s at most).
inline QByteArray ReadLine(QProcess& process)
{
    QByteArray data;
    while (!data.contains('\n') && process.waitForReadyRead(30000))
        data += process.readAllStandardOutput();
    return data;
}
