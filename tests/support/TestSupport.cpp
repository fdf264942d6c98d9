#include "TestSupport.h"

#include "app/RT3180Dlg.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

CTempConfigHome::CTempConfigHome()
    : m_oldValue(qgetenv("XDG_CONFIG_HOME")),
      m_bHadValue(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
{
    qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
}

CTempConfigHome::~CTempConfigHome()
{
    if (m_bHadValue)
        qputenv("XDG_CONFIG_HOME", m_oldValue);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

CMessageBoxRecorder::CMessageBoxRecorder()
{
    m_previous = SetMessageBoxHook([this](const CMessageBoxCall& call) {
        m_calls.append(call);
        return IDOK;
    });
}

CMessageBoxRecorder::~CMessageBoxRecorder()
{
    SetMessageBoxHook(std::move(m_previous));
}

QStringList CMessageBoxRecorder::Texts() const
{
    QStringList texts;
    for (const CMessageBoxCall& call : m_calls)
        texts.append(call.strText);
    return texts;
}

QString DlgItemText(const CRT3180Dlg& dlg, int nID)
{
    QWidget* pControl = dlg.GetDlgItem(nID);
    if (auto* pEdit = qobject_cast<QLineEdit*>(pControl))
        return pEdit->text();
    if (auto* pLabel = qobject_cast<QLabel*>(pControl))
        return pLabel->text();
    if (auto* pGroup = qobject_cast<QGroupBox*>(pControl))
        return pGroup->title();
    return static_cast<QAbstractButton*>(pControl)->text();
}

void ClickDlgItem(const CRT3180Dlg& dlg, int nID)
{
    static_cast<QAbstractButton*>(dlg.GetDlgItem(nID))->click();
}
