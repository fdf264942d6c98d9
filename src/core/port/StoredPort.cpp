#include "core/port/StoredPort.h"

#include "core/port/PortNames.h"

bool LoadStoredPort(IPortStore& store, std::string& strPort)
{
    const std::optional<std::string> stored = store.Load();
    if (!stored)
        return false;
    strPort = stored->empty() ? std::string(kPortWithoutValue) : *stored;
    return true;
}
