#include "settings/SettingLists.h"

const CDriveFamily& DriveFamily(int nFlag)
{
    for (const CDriveFamily& family : kDriveFamilies) {
        if ((family.nFlag != 0) == (nFlag != 0))
            return family;
    }
    return kDriveFamilies.back();
}
