#include "protocol/Commands.h"

QByteArray SettingCommand(const QByteArray& prefix, int nCode)
{
    return (prefix + QByteArray::number(nCode)).left(prefix.size() + 1);
}

QByteArray CommandBytes(ECommand eCommand, const CSettingCodes& codes, bool bTestOn)
{
    switch (eCommand) {
    case ECommand::Query:
        return kCmdQuery;
    case ECommand::Settings:
        return kCmdSettings;
    case ECommand::Resolution:
        return SettingCommand(kCmdResolution, codes.nResolution);
    case ECommand::Current:
        return SettingCommand(kCmdCurrent, codes.nCurrent);
    case ECommand::Idle:
        return SettingCommand(kCmdIdle, codes.nIdle);
    case ECommand::TestToggle:
        // A test that is on is switched off, and the other way round.
        return bTestOn ? kCmdTestOff : kCmdTestOn;
    }
    return {};
}
