// The About box.

#include "controls/AboutDlg.h"

#include "controls/LinkLabel.h"
#include "platform/MessageBox.h"
#include "ui/DialogTemplate.h"
#include "ui/DialogUnits.h"
#include "ui/Resource.h"

#include <QPushButton>

namespace
{

// Template of the About box, 230 x 61 dialog units.
constexpr QSize kAboutSize(230, 61);
const CTemplateItem kAboutTemplate[] = {
    {IDC_STATIC, EKind::Icon, ":/rt3180.ico", QRect(11, 17, 21, 20), nullptr},
    {IDC_STATIC, EKind::Static, kAboutVersion, QRect(40, 10, 119, 8), nullptr},
    {IDOK, EKind::DefPushButton, kAboutOK, QRect(173, 7, 50, 14), nullptr},
    {IDC_WEB_LINK, EKind::Link, kMakerURL, QRect(40, 42, 119, 8), nullptr},
};

} // namespace

CAboutDlg::CAboutDlg(QWidget* pParent)
    : QDialog(pParent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QString::fromLatin1(kAboutTitle));
    setFont(DialogFont());
    setFixedSize(CDialogUnits(font()).MapDialogSize(kAboutSize));
    CreateTemplateControls(this, kAboutTemplate, m_controls);
    m_link = static_cast<CLinkLabel*>(GetDlgItem(IDC_WEB_LINK));
    connect(static_cast<QPushButton*>(GetDlgItem(IDOK)), &QPushButton::clicked, this,
            &QDialog::accept);
    OnInitDialog();
}

bool CAboutDlg::OnInitDialog()
{
    m_link->SetURL(QString::fromLatin1(kMakerURL));
    return true;
}
