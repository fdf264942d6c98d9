#pragma once

#include "AdapterSim.h"
#include "platform/MessageBox.h"

#include <QList>
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

// Records every message box instead of showing it, and answers OK.
class CMessageBoxRecorder
{
public:
    CMessageBoxRecorder()
        : m_previous(SetMessageBoxHook([this](const CMessageBoxCall& call) {
              m_calls.append(call);
              return IDOK;
          }))
    {
    }
    ~CMessageBoxRecorder() { SetMessageBoxHook(std::move(m_previous)); }
    const QList<CMessageBoxCall>& Calls() const { return m_calls; }
    QStringList Texts() const;

private:
    QList<CMessageBoxCall> m_calls;
    MessageBoxHook m_previous;
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
