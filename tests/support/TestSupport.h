#pragma once

#include "platform/MessageBox.h"

#include <QList>
#include <QTemporaryDir>

// A fresh, empty per-user configuration folder for the life of the object.
class CTempConfigHome
{
public:
    CTempConfigHome();
    ~CTempConfigHome();
    QString Path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldValue;
    bool m_bHadValue;
};

// Records every message box instead of showing it, and answers OK.
class CMessageBoxRecorder
{
public:
    CMessageBoxRecorder();
    ~CMessageBoxRecorder();
    const QList<CMessageBoxCall>& Calls() const { return m_calls; }
    QStringList Texts() const;

private:
    QList<CMessageBoxCall> m_calls;
    MessageBoxHook m_previous;
};

class CRT3180Dlg;
// The text of a control of the dialog (edit line or button caption), and a
// click on a push button, as a user would see and do them.
QString DlgItemText(const CRT3180Dlg& dlg, int nID);
void ClickDlgItem(const CRT3180Dlg& dlg, int nID);
