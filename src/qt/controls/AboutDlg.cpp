// The About box.

#include "qt/controls/AboutDlg.h"

#include "core/dialog/Resource.h"
#include "core/dialog/Texts.h"
#include "qt/controls/LinkLabel.h"

#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* pParent)
    : QDialog(pParent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
}

bool CAboutDlg::OnInitDialog()
{
    if (auto* pOK = qobject_cast<QPushButton*>(GetDlgItem(IDOK)))
        connect(pOK, &QPushButton::clicked, this, &QDialog::accept);
    m_link = qobject_cast<CLinkLabel*>(GetDlgItem(IDC_WEB_LINK));
    if (m_link)
        m_link->SetURL(QString::fromUtf8(kMakerURL));
    return true;
}
