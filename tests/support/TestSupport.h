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
    CTempConfigHome();
    ~CTempConfigHome();
    QString Path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldValue;
    bool m_bHadValue;
};

// Records every message box instead of showing it, and answers OK.
class CMessageBoxRecorder
{
public:
    CMessageBoxRecorder();
    ~CMessageBoxRecorder();
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

// Standard output of a process up to the end of its next line (30 s at most).
QByteArray ReadLine(QProcess& process);
