#include "core/settings/SettingLists.h"

const CDriveFamily& DriveFamily(EDriveFamily eFamily)
{
    for (const CDriveFamily& family : kDriveFamilies) {
        if (family.eFamily == eFamily)
            return family;
    }
    return kDriveFamilies.back();
}

std::span<const CSettingEntry> SettingList(ESetting eSetting, EDriveFamily eFamily)
{
    switch (eSetting) {
    case ESetting::Resolution:
        return kResolutionList;
    case ESetting::Current:
        return DriveFamily(eFamily).currentList;
    case ESetting::Idle:
        break;
    }
    return kIdleList;
}

int PositionOf(std::span<const CSettingEntry> list, std::string_view strText)
{
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (strText == list[i].pszText)
            return static_cast<int>(i);
    }
    return -1;
}

int ItemCode(std::span<const CSettingEntry> list, int nPosition)
{
    if (nPosition < 0 || static_cast<std::size_t>(nPosition) >= list.size())
        return -1;
    return list[static_cast<std::size_t>(nPosition)].nCode;
}
