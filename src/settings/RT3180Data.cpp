#include "settings/RT3180Data.h"

#include "platform/Archive.h"

void CRT3180Data::Serialize(CArchive& ar)
{
    if (ar.IsLoading())
        ar >> m_nIdle >> m_nCurrent >> m_nResolution;
    else
        ar << m_nIdle << m_nCurrent << m_nResolution;
}
