#include "TestSupport.h"

#include "PortLink.h"

#include <QDir>
#include <QTest>

QStringList CMessageBoxRecorder::Texts() const
{
    QStringList texts;
    for (const CMessageBoxCall& call : m_calls)
        texts.append(call.strText);
    return texts;
}

void LinkCom1(const QString& strTarget)
{
    std::string strError;
    QVERIFY2(CreatePortLink(PortLinkPath("COM1"), strTarget.toStdString(), strError),
             strError.c_str());
}

std::vector<CSimLogEntry> SimCommands(const CAdapterSim& sim)
{
    std::vector<CSimLogEntry> commands;
    for (const CSimLogEntry& entry : sim.Log())
        if (entry.eKind == CSimLogEntry::EKind::Command)
            commands.push_back(entry);
    return commands;
}

QByteArray ReadFile(const QString& strPath)
{
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

bool WriteFile(const QString& strPath, const QByteArray& content)
{
    QFile file(strPath);
    return QDir().mkpath(QFileInfo(file).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(content) == content.size();
}

QByteArray ReadLine(QProcess& process)
{
    QByteArray data;
    while (!data.contains('\n') && process.waitForReadyRead(30000))
        data += process.readAllStandardOutput();
    return data;
}
