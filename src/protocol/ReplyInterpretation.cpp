// The adapter's replies: bytes gathered into lines up to the carriage return,
// each line recognised by the tokens it contains.

#include "app/RT3180Dlg.h"
#include "app/Resource.h"
#include "app/Texts.h"
#include "controls/LedIndicator.h"
#include "platform/Clock.h"
#include "platform/RegisteredMessage.h"
#include "protocol/Commands.h"
#include "settings/SettingLists.h"

#include <QComboBox>

namespace
{

constexpr unsigned char kCarriageReturn = 13;

// The tokens, searched for anywhere in the lower-cased line.
const QString kTokenAccepted = QStringLiteral("accepted");
const QString kTokenRT3180 = QStringLiteral("rt3180");
const QString kTokenPKN61 = QStringLiteral("pkn61");
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

// The recalled value: the line after as many characters as its token has,
// counted from the start of the line.
QString ValueText(const QString& strLine, const QString& strToken)
{
    return strLine.mid(strToken.size());
}

int ResolutionIndex(const QString& strValue, int nIndex)
{
    const char* const kTexts[] = {"400", "1000", "2000", "5000"};
    for (int i = 0; i < 4; ++i) {
        if (strValue.contains(QLatin1String(kTexts[i])))
            nIndex = i;
    }
    return nIndex;
}

int IdleIndex(const QString& strValue, int nIndex)
{
    if (!strValue.contains(u'0'))
        return nIndex;
    for (int i = 1; i <= 7; ++i) {
        if (strValue.contains(QString::number(i * 10)))
            return i;
    }
    return 0;
}

// Matched against the percent texts whatever the family shows.
int CurrentIndex(const QString& strValue, int nIndex)
{
    if (strValue.contains(QLatin1String("10")))
        nIndex = strValue.contains(QLatin1String("100")) ? 9 : 0;
    for (int i = 1; i <= 8; ++i) {
        if (strValue.contains(QString::number((i + 1) * 10)))
            nIndex = i;
    }
    return nIndex;
}

} // namespace

bool CRT3180Dlg::event(QEvent* pEvent)
{
    if (pEvent->type() == PROC_KOLV_MSG) {
        OnReceiveByte(0, static_cast<CReceivedByteEvent*>(pEvent)->Byte());
        return true;
    }
    return QDialog::event(pEvent);
}

long CRT3180Dlg::OnReceiveByte(unsigned /*wParam*/, unsigned lParam)
{
    m_ledRx->SetLedState(1);
    Sleep(1);
    m_ledRx->SetLedState(0);

    const auto byte = static_cast<unsigned char>(lParam);
    if (byte != kCarriageReturn) {
        m_strRxLine.append(QChar(byte));
        return 0;
    }
    OnReplyLine();
    return 0;
}

void CRT3180Dlg::OnReplyLine()
{
    const QString strReply = m_strRxLine;
    m_strRxLine = AsciiLower(m_strRxLine);
    const QString& strLine = m_strRxLine;

    if (strLine.contains(kTokenAccepted)) {
        KillReplyTimer();
        SetDlgItemTextNow(IDC_STATUS, m_strAcceptedText);
    }
    const std::pair<const QString&, int> families[] = {{kTokenRT3180, 1}, {kTokenPKN61, 0}};
    for (const auto& [strToken, nFamily] : families) {
        if (!strLine.contains(strToken))
            continue;
        SetDriveFamily(nFamily);
        m_strAcceptedText = QString::fromLatin1(nFamily ? kAcceptedRT3180 : kAcceptedPKN6172);
        KillReplyTimer();
        SetDlgItemTextNow(IDC_REPLY, TrimReply(strReply));
        SetDlgItemTextNow(IDC_STATUS, m_strAcceptedText);
    }
    if (m_bRecallPending) {
        if (strLine.contains(kTokenResolution)) {
            KillReplyTimer();
            SetCurSel(*m_cbResolution, ResolutionIndex(ValueText(strLine, kTokenResolution),
                                                       m_cbResolution->currentIndex()));
            SetDlgItemTextNow(IDC_STATUS, m_strAcceptedText);
        }
        if (strLine.contains(kTokenCurrent)) {
            KillReplyTimer();
            if (strLine.contains(kTokenIdleCurrent)) {
                SetCurSel(*m_cbIdle, IdleIndex(ValueText(strLine, kTokenIdleCurrent),
                                               m_cbIdle->currentIndex()));
            } else {
                SetCurSel(*m_cbCurrent, CurrentIndex(ValueText(strLine, kTokenCurrent),
                                                     m_cbCurrent->currentIndex()));
            }
            SetDlgItemTextNow(IDC_STATUS, m_strAcceptedText);
        }
    }
    m_strRxLine.clear();
}
