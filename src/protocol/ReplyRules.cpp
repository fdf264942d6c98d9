// The adapter's reply lines, each recognised by the tokens it contains.

#include "protocol/ReplyRules.h"

#include "settings/SettingLists.h"

namespace
{

// The tokens, searched for anywhere in the lower-cased line (the family
// tokens are in the family table).
const QString kTokenAccepted = QStringLiteral("accepted");
const QString kTokenResolution = QStringLiteral("resolution:");
const QString kTokenCurrent = QStringLiteral("current:");
const QString kTokenIdleCurrent = QStringLiteral("idle current:");

// Only ASCII letters change case; other bytes stay as received.
QString AsciiLower(const QString& str)
{
    QString strLower = str;
    for (QChar& ch : strLower) {
        if (ch >= u'A' && ch <= u'Z')
            ch = QChar(ch.unicode() + ('a' - 'A'));
    }
    return strLower;
}

// The recalled value: the line after as many characters as its token has,
// counted from the start of the line.
QString ValueText(const QString& strLine, const QString& strToken)
{
    return strLine.mid(strToken.size());
}

// Each test on its own: a later hit overrides an earlier one.
int ResolutionIndex(const QString& strValue)
{
    int nIndex = -1;
    const char* const kTexts[] = {"400", "1000", "2000", "5000"};
    for (int i = 0; i < 4; ++i) {
        if (strValue.contains(QLatin1String(kTexts[i])))
            nIndex = i;
    }
    return nIndex;
}

// The first hit counts; a value with a '0' but no hit is "0".
int IdleIndex(const QString& strValue)
{
    if (!strValue.contains(u'0'))
        return -1;
    for (int i = 1; i <= 7; ++i) {
        if (strValue.contains(QString::number(i * 10)))
            return i;
    }
    return 0;
}

// Matched against the percent texts whatever the family shows.
int CurrentIndex(const QString& strValue)
{
    int nIndex = -1;
    if (strValue.contains(QLatin1String("10")))
        nIndex = strValue.contains(QLatin1String("100")) ? 9 : 0;
    for (int i = 1; i <= 8; ++i) {
        if (strValue.contains(QString::number((i + 1) * 10)))
            nIndex = i;
    }
    return nIndex;
}

} // namespace

CReplyResult InterpretReply(const QString& strReceived, bool bRecallPending)
{
    const QString strLine = AsciiLower(strReceived);
    CReplyResult result;
    result.bAccepted = strLine.contains(kTokenAccepted);
    for (int i = 0; i < int(kDriveFamilies.size()); ++i) {
        if (strLine.contains(QLatin1String(kDriveFamilies[i].pszToken)))
            result.families.append(i);
    }
    if (!bRecallPending)
        return result;
    if (strLine.contains(kTokenResolution))
        result.resolution = {true, ResolutionIndex(ValueText(strLine, kTokenResolution))};
    if (strLine.contains(kTokenIdleCurrent))
        result.idle = {true, IdleIndex(ValueText(strLine, kTokenIdleCurrent))};
    else if (strLine.contains(kTokenCurrent))
        result.current = {true, CurrentIndex(ValueText(strLine, kTokenCurrent))};
    return result;
}

QString TrimReply(const QString& str)
{
    auto isTrimmed = [](QChar ch) {
        return ch == u'\t' || ch == u' ' || ch == u'\n' || ch == u'\r';
    };
    qsizetype nBegin = 0;
    qsizetype nEnd = str.size();
    while (nBegin < nEnd && isTrimmed(str[nBegin]))
        ++nBegin;
    while (nEnd > nBegin && isTrimmed(str[nEnd - 1]))
        --nEnd;
    return str.mid(nBegin, nEnd - nBegin);
}
