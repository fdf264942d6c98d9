#include "CliSupport.h"

#include "PortLink.h"

#include <QDir>
#include <QTest>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

CSilentPty::CSilentPty() : m_nMaster(posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC))
{
    char name[128] = {};
    if (m_nMaster >= 0 && grantpt(m_nMaster) == 0 && unlockpt(m_nMaster) == 0 &&
        ptsname_r(m_nMaster, name, sizeof name) == 0)
        m_strPath = QString::fromLocal8Bit(name);
}

CSilentPty::~CSilentPty()
{
    if (m_nMaster >= 0)
        close(m_nMaster);
}

CPortHolder::CPortHolder(const QString& strPath)
    : m_nFd(open(QFile::encodeName(strPath), O_RDWR | O_NOCTTY | O_CLOEXEC))
{
    m_bHolding = m_nFd >= 0 && flock(m_nFd, LOCK_EX | LOCK_NB) == 0;
}

CPortHolder::~CPortHolder()
{
    if (m_nFd >= 0)
        close(m_nFd);
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
