#pragma once

// What the command line's test needs around the program it runs: a fresh
// configuration folder, the port link, files, and a terminal nobody answers on.

#include "AdapterSim.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <vector>

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

// A pseudo-terminal whose master side we hold and never answer on.
class CSilentPty
{
public:
    CSilentPty();
    ~CSilentPty();
    CSilentPty(const CSilentPty&) = delete;
    CSilentPty& operator=(const CSilentPty&) = delete;
    QString Path() const { return m_strPath; }

private:
    int m_nMaster = -1;
    QString m_strPath;
};

// Holds a device as another program holding the port would (an exclusive lock).
class CPortHolder
{
public:
    explicit CPortHolder(const QString& strPath);
    ~CPortHolder();
    CPortHolder(const CPortHolder&) = delete;
    CPortHolder& operator=(const CPortHolder&) = delete;
    bool IsHolding() const { return m_bHolding; }

private:
    int m_nFd = -1;
    bool m_bHolding = false;
};

// Maps the port name COM1 to a device, as the user's link would.
void LinkCom1(const QString& strTarget);

// The commands the simulated drive has taken so far, in order.
std::vector<CSimLogEntry> SimCommands(const CAdapterSim& sim);

// The whole of a file, or "<none>" when it cannot be read.
QByteArray ReadFile(const QString& strPath);
// A new file with that content, in a folder made if need be.
bool WriteFile(const QString& strPath, const QByteArray& content);

// Standard output of a process up to the end of its next line (30 s at most).
QByteArray ReadLine(QProcess& process);
