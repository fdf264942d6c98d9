#include "core/settings/RT3180Data.h"

std::int32_t& CRT3180Data::operator[](ESetting eSetting)
{
    switch (eSetting) {
    case ESetting::Resolution:
        return m_nResolution;
    case ESetting::Current:
        return m_nCurrent;
    case ESetting::Idle:
        break;
    }
    return m_nIdle;
}

std::int32_t CRT3180Data::operator[](ESetting eSetting) const
{
    return const_cast<CRT3180Data&>(*this)[eSetting];
}
