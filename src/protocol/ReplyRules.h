#pragma once

#include <QList>
#include <QString>

// A setting line of a recall: seen (it answers, and refreshes the status),
// and the list position its value selects (-1: the selection stays).
struct CSettingLine {
    bool bSeen = false;
    int nIndex = -1;
};

// What one reply line says. Each test stands on its own, so a line may say
// several things; they are acted on in the order of the members.
struct CReplyResult {
    bool bAccepted = false;
    QList<int> families; // positions in kDriveFamilies, in table order
    CSettingLine resolution;
    CSettingLine current; // a "current:" line without "idle current:"
    CSettingLine idle;
};

// The rules for one received line (without its carriage return). Tokens are
// searched for anywhere in the lower-cased line; the setting lines count
// only while a recall is pending.
CReplyResult InterpretReply(const QString& strLine, bool bRecallPending);

// The line as the reply line shows it: tabs, blanks, line feeds and
// carriage returns trimmed from both ends.
QString TrimReply(const QString& str);
