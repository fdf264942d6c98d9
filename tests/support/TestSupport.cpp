#include "TestSupport.h"

#include "PortLink.h"

#include <QTest>

CTempConfigHome::CTempConfigHome()
    : m_oldValue(qgetenv("XDG_CONFIG_HOME")),
      m_bHadValue(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
{
    qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
}

CTempConfigHome::~CTempConfigHome()
{
    if (m_bHadValue)
        qputenv("XDG_CONFIG_HOME", m_oldValue);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

CMessageBoxRecorder::CMessageBoxRecorder()
{
    m_previous = SetMessageBoxHook([this](const CMessageBoxCall& call) {
        m_calls.append(call);
        return IDOK;
    });
}

CMessageBoxRecorder::~CMessageBoxRecorder()
{
    SetMessageBoxHook(std::move(m_previous));
}

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

QByteArray ReadLine(QProcess& process)
{
    QByteArray data;
    while (!data.contains('\n') && process.waitForReadyRead(30000))
        data += process.readAllStandardOutput();
    return data;
}
