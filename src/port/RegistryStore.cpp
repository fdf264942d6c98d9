#include "port/RegistryStore.h"

QString CRegistryStore::ReadString(HKEY hKey, const QString& strValueName) const
{
    QString strText;
    if (RegQueryValueEx(hKey, strValueName, &strText) != ERROR_SUCCESS)
        return {};
    const qsizetype nNul = strText.indexOf(QChar(u'\0'));
    return nNul < 0 ? strText : strText.left(nNul);
}

bool CRegistryStore::WriteString(HKEY hKey, const QString& strValueName, const QString& strText)
{
    return RegSetValueEx(hKey, strValueName, strText) == ERROR_SUCCESS;
}
