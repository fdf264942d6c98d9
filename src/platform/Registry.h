#pragma once

#include <QString>

// The current user's registry, stood in for by files in the per-user
// configuration folder. The key SOFTWARE\<A>\<B> is the file <A>/<B>.conf there
// (the place and [General] layout of Qt's settings for organisation A and
// application B); a key exists exactly when its file exists, and its values
// are the "name=text" lines of the [General] section. Every call goes to the
// file, so changes by other processes are seen at once. A file that cannot be
// read or parsed holds no values and is never written over.

struct CRegKeyObject;
using HKEY = CRegKeyObject*;
using LSTATUS = long;

extern const HKEY HKEY_CURRENT_USER;

enum : LSTATUS {
    ERROR_SUCCESS = 0,
    ERROR_FILE_NOT_FOUND = 2,
    ERROR_ACCESS_DENIED = 5,
    ERROR_INVALID_HANDLE = 6,
    ERROR_INVALID_DATA = 13,
    ERROR_WRITE_FAULT = 29,
};

// Opens an existing key of HKEY_CURRENT_USER.
LSTATUS RegOpenKeyEx(HKEY hKey, const QString& strSubKey, HKEY* phkResult);
// Opens the key, creating it (an empty file) when it does not exist.
LSTATUS RegCreateKeyEx(HKEY hKey, const QString& strSubKey, HKEY* phkResult);
// Values are text only.
LSTATUS RegQueryValueEx(HKEY hKey, const QString& strValueName, QString* pstrData);
// Replaces the file atomically with the value set.
LSTATUS RegSetValueEx(HKEY hKey, const QString& strValueName, const QString& strData);
LSTATUS RegCloseKey(HKEY hKey);
