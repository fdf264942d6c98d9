#include "protocol/Commands.h"

QByteArray SettingCommand(const QByteArray& prefix, int nCode)
{
    return (prefix + QByteArray::number(nCode)).left(prefix.size() + 1);
}
