#include "core/protocol/Commands.h"

#include "core/settings/SettingLists.h"

std::string SettingCommand(std::string_view prefix, int nCode)
{
    return (std::string(prefix) + std::to_string(nCode)).substr(0, prefix.size() + 1);
}

namespace
{
std::string SettingBytes(std::string_view prefix, ESetting eSetting, const CApplySettings& settings)
{
    return SettingCommand(prefix, ItemCode(SettingList(eSetting, settings.eCurrentList),
                                           settings.positions[eSetting]));
}
} // namespace

std::string CommandBytes(ECommand eCommand, const CApplySettings& settings, bool bTestOn)
{
    switch (eCommand) {
    case ECommand::Query:
        return std::string(kCmdQuery);
    case ECommand::Settings:
        return std::string(kCmdSettings);
    case ECommand::Resolution:
        return SettingBytes(kCmdResolution, ESetting::Resolution, settings);
    case ECommand::Current:
        return SettingBytes(kCmdCurrent, ESetting::Current, settings);
    case ECommand::Idle:
        return SettingBytes(kCmdIdle, ESetting::Idle, settings);
    case ECommand::TestToggle:
        // A test that is on is switched off, and the other way round.
        return std::string(bTestOn ? kCmdTestOff : kCmdTestOn);
    }
    return {};
}
