#pragma once

// What the Qt-based tests share: a configuration folder of their own, a
// pseudo-terminal, whole files, and a child process's next line.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

// A fresh, empty per-user configuration folder, the test's until the next one.
class CTempConfigHome
{
public:
    CTempConfigHome() { qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit()); }
    QString Path() const { return m_dir.path(); }
    QString FilePath(const QString& strName) const { return m_dir.filePath(strName); }

private:
    QTemporaryDir m_dir;
};

// A pseudo-terminal whose master side we hold; the program opens Path().
class CPty
{
public:
    CPty() : m_nMaster(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC))
    {
        char name[128] = {};
        if (m_nMaster >= 0 && grantpt(m_nMaster) == 0 && unlockpt(m_nMaster) == 0 &&
            ptsname_r(m_nMaster, name, sizeof name) == 0)
            m_strPath = QString::fromLocal8Bit(name);
    }
    ~CPty() { close(m_nMaster); }
    // It owns its descriptor: a copy would close it twice.
    CPty(const CPty&) = delete;
    CPty& operator=(const CPty&) = delete;

    QString Path() const { return m_strPath; }
    std::string PathText() const { return m_strPath.toStdString(); }
    bool IsValid() const { return m_nMaster >= 0 && !m_strPath.isEmpty(); }

protected:
    int m_nMaster = -1;
    QString m_strPath;
};

// The whole of a regular file, or "<none>" (also for a FIFO, which would block).
inline QByteArray ReadFile(const QString& strPath)
{
    QFile file(strPath);
    return QFileInfo(file).isFile() && file.open(QIODevice::ReadOnly) ? file.readAll()
                                                                      : QByteArray("<none>");
}

// A new file with that content, in a folder made if need be.
inline bool WriteFile(const QString& strPath, const QByteArray& content)
{
    QFile file(strPath);
    return QDir().mkpath(QFileInfo(file).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(content) == content.size();
}

// Standard output of a process up to the end of its next line (30 s at most).
inline QByteArray ReadLine(QProcess& process)
{
    QByteArray data;
    while (!data.contains('\n') && process.waitForReadyRead(30000))
        data += process.readAllStandardOutput();
    return data;
}
