#pragma once

#include <optional>
#include <string>

// The port remembered for the current user (the registry value "Port" on
// Windows, a settings file elsewhere). Every read goes to the store, so
// another program's change is seen at once; reading never creates it.
class IPortStore
{
public:
    virtual ~IPortStore() = default;

    // Nothing when nothing has been stored yet; otherwise the stored value,
    // empty when the store holds no usable one.
    virtual std::optional<std::string> Load() = 0;
    // False when it cannot be written; a store that is not ours is never
    // written over.
    virtual bool Save(const std::string& strPort) = 0;
};

// False, leaving strPort as it is, when nothing has been stored yet.
// Otherwise strPort is the stored port, or "COM2:" when the store holds no
// usable value.
bool LoadStoredPort(IPortStore& store, std::string& strPort);
