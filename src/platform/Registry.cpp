#include "platform/Registry.h"

#include "platform/ConfigHome.h"
#include "platform/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>

struct CRegKeyObject {
    QString strFile; // empty for the root
};

namespace
{

CRegKeyObject s_currentUser;

// A store file is a few lines; anything far larger is not one.
constexpr qint64 kMaxStoreSize = 1 << 20;

// SOFTWARE\A\B -> <config home>/A/B.conf; empty when the path has no such form.
QString KeyFile(const QString& strSubKey)
{
    QStringList parts = strSubKey.split(QLatin1Char('\\'));
    if (parts.size() < 2 || parts.takeFirst().compare(u"SOFTWARE", Qt::CaseInsensitive) != 0)
        return {};
    for (const QString& strPart : parts) {
        if (strPart.isEmpty() || strPart == u"." || strPart == u".." ||
            strPart.contains(QLatin1Char('/')))
            return {};
    }
    return UserConfigHome() + QLatin1Char('/') + parts.join(QLatin1Char('/')) +
           QStringLiteral(".conf");
}

// The text of a value as written after '='. A quoted value may hold escaped
// quotes and backslashes; false for a quote that is not closed.
bool DecodeValue(const QString& strRaw, QString* pstrValue)
{
    if (!strRaw.startsWith(QLatin1Char('"'))) {
        *pstrValue = strRaw;
        return true;
    }
    QString strValue;
    for (qsizetype i = 1; i < strRaw.size(); ++i) {
        const QChar ch = strRaw.at(i);
        if (ch == u'"') {
            *pstrValue = strValue;
            return i == strRaw.size() - 1;
        }
        if (ch == u'\\' && i + 1 < strRaw.size()) {
            const QChar next = strRaw.at(++i);
            strValue += next == u'n' ? QChar(u'\n') : next == u't' ? QChar(u'\t') : next;
        } else {
            strValue += ch;
        }
    }
    return false;
}

// Plain text stays as it is; anything else is quoted so that Qt's own
// settings reader gets the same string back.
QString EncodeValue(const QString& strValue)
{
    bool bPlain = true;
    for (const QChar ch : strValue) {
        if (!(ch.isLetterOrNumber() && ch.unicode() < 0x80) && !QStringView(u"_:/.+-").contains(ch))
            bPlain = false;
    }
    if (bPlain)
        return strValue;
    QString strQuoted = QStringLiteral("\"");
    for (const QChar ch : strValue) {
        if (ch == u'"' || ch == u'\\')
            strQuoted += QLatin1Char('\\');
        if (ch == u'\n')
            strQuoted += QStringLiteral("\\n");
        else if (ch == u'\t')
            strQuoted += QStringLiteral("\\t");
        else
            strQuoted += ch;
    }
    return strQuoted + QLatin1Char('"');
}

// One entry line split at its first '='.
bool SplitEntry(const QString& strLine, QString* pstrKey, QString* pstrValue)
{
    const qsizetype nEqual = strLine.indexOf(QLatin1Char('='));
    if (nEqual <= 0)
        return false;
    *pstrKey = strLine.left(nEqual).trimmed();
    return !pstrKey->isEmpty() && DecodeValue(strLine.mid(nEqual + 1).trimmed(), pstrValue);
}

bool IsSkipped(const QString& strLine)
{
    return strLine.isEmpty() || strLine.startsWith(QLatin1Char(';')) ||
           strLine.startsWith(QLatin1Char('#'));
}

bool IsSection(const QString& strLine)
{
    return strLine.startsWith(QLatin1Char('[')) && strLine.endsWith(QLatin1Char(']'));
}

// The lines of a store file, as read, so that a write changes only the line
// of the value it sets. False when the text is not a settings file.
bool SplitLines(const QByteArray& bytes, QStringList* pLines)
{
    if (bytes.contains('\0'))
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString strText = decoder.decode(bytes);
    if (decoder.hasError())
        return false;
    *pLines = strText.split(QLatin1Char('\n'));
    for (const QString& strRawLine : *pLines) {
        const QString strLine = strRawLine.trimmed();
        QString strKey, strValue;
        if (!IsSkipped(strLine) && !(IsSection(strLine) && strLine.size() > 2) &&
            !SplitEntry(strLine, &strKey, &strValue))
            return false;
    }
    return true;
}

// Where a value of the [General] section is (entries before the first
// section header belong to it too) and where a new one would go.
struct CValuePlace {
    qsizetype nLine = -1;     // line of the value; -1 when missing
    qsizetype nInsertAt = -1; // after the last entry of [General]; -1: no such header
    QString strValue;
};

CValuePlace FindValue(const QStringList& lines, const QString& strName)
{
    CValuePlace place;
    bool bGeneral = true;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString strLine = lines.at(i).trimmed();
        if (IsSkipped(strLine))
            continue;
        if (IsSection(strLine)) {
            bGeneral = strLine.mid(1, strLine.size() - 2).trimmed() == u"General";
            if (bGeneral)
                place.nInsertAt = i + 1;
            continue;
        }
        if (!bGeneral)
            continue;
        if (place.nInsertAt >= 0)
            place.nInsertAt = i + 1;
        QString strKey, strValue;
        if (place.nLine < 0 && SplitEntry(strLine, &strKey, &strValue) && strKey == strName) {
            place.nLine = i;
            place.strValue = strValue;
        }
    }
    return place;
}

LSTATUS ReadLines(HKEY hKey, QStringList* pLines)
{
    if (!hKey || hKey->strFile.isEmpty())
        return ERROR_INVALID_HANDLE;
    QFile file(hKey->strFile);
    if (!file.open(QIODevice::ReadOnly))
        return ERROR_ACCESS_DENIED;
    const QByteArray bytes = file.read(kMaxStoreSize + 1);
    if (file.error() != QFileDevice::NoError)
        return ERROR_ACCESS_DENIED;
    if (bytes.size() > kMaxStoreSize || !SplitLines(bytes, pLines))
        return ERROR_INVALID_DATA;
    return ERROR_SUCCESS;
}

LSTATUS OpenKey(HKEY hKey, const QString& strSubKey, HKEY* phkResult, bool bCreate)
{
    if (hKey != HKEY_CURRENT_USER || !phkResult)
        return ERROR_INVALID_HANDLE;
    const QString strFile = KeyFile(strSubKey);
    if (strFile.isEmpty())
        return ERROR_FILE_NOT_FOUND;
    if (!QFileInfo::exists(strFile)) {
        if (!bCreate)
            return ERROR_FILE_NOT_FOUND;
        if (!QDir().mkpath(QFileInfo(strFile).path()) || !WriteWholeFile(strFile, {}))
            return ERROR_ACCESS_DENIED;
    }
    *phkResult = new CRegKeyObject{strFile};
    return ERROR_SUCCESS;
}

} // namespace

const HKEY HKEY_CURRENT_USER = &s_currentUser;

LSTATUS RegOpenKeyEx(HKEY hKey, const QString& strSubKey, HKEY* phkResult)
{
    return OpenKey(hKey, strSubKey, phkResult, false);
}

LSTATUS RegCreateKeyEx(HKEY hKey, const QString& strSubKey, HKEY* phkResult)
{
    return OpenKey(hKey, strSubKey, phkResult, true);
}

LSTATUS RegQueryValueEx(HKEY hKey, const QString& strValueName, QString* pstrData)
{
    QStringList lines;
    if (const LSTATUS nStatus = ReadLines(hKey, &lines); nStatus != ERROR_SUCCESS)
        return nStatus;
    const CValuePlace place = FindValue(lines, strValueName);
    if (place.nLine < 0)
        return ERROR_FILE_NOT_FOUND;
    if (pstrData)
        *pstrData = place.strValue;
    return ERROR_SUCCESS;
}

LSTATUS RegSetValueEx(HKEY hKey, const QString& strValueName, const QString& strData)
{
    // A file that cannot be read or parsed is left as it is.
    QStringList lines;
    if (const LSTATUS nStatus = ReadLines(hKey, &lines); nStatus != ERROR_SUCCESS)
        return nStatus;
    if (strValueName.isEmpty() || strValueName.contains(QLatin1Char('=')) ||
        strValueName.trimmed() != strValueName)
        return ERROR_INVALID_DATA;

    const QString strEntry = strValueName + QLatin1Char('=') + EncodeValue(strData);
    const CValuePlace place = FindValue(lines, strValueName);
    if (place.nLine >= 0) {
        lines[place.nLine] = strEntry;
    } else if (place.nInsertAt >= 0) {
        lines.insert(place.nInsertAt, strEntry);
    } else {
        const bool bOtherText = !lines.join(QString()).trimmed().isEmpty();
        lines.insert(0, QStringLiteral("[General]"));
        lines.insert(1, strEntry);
        if (bOtherText)
            lines.insert(2, QString());
    }
    return WriteWholeFile(hKey->strFile, lines.join(QLatin1Char('\n')).toUtf8())
               ? ERROR_SUCCESS
               : ERROR_WRITE_FAULT;
}

LSTATUS RegCloseKey(HKEY hKey)
{
    if (!hKey || hKey == HKEY_CURRENT_USER)
        return ERROR_INVALID_HANDLE;
    delete hKey;
    return ERROR_SUCCESS;
}
