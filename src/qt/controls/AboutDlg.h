#pragma once

#include "Version.h"

#include <QDialog>
#include <QHash>

class CLinkLabel;

// Texts of the About box, exactly as shown.
inline constexpr const char* kAboutTitle = "About RT3180";
inline constexpr const char* kAboutVersion = "RT3180 Version " RT3180_VERSION_SHORT;
inline constexpr const char* kAboutOK = "OK";
// The maker's web site: the link's caption and the address it opens.
inline constexpr const char* kMakerURL = "https://www.example.com/rt3180";

// The About box: icon, version line, OK and the link to the maker's site.
// Made for one showing; each opening builds a fresh one.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* pParent = nullptr);

    int DoModal() { return exec(); }
    QWidget* GetDlgItem(int nID) const { return m_controls.value(nID, nullptr); }

    CLinkLabel* m_link = nullptr;

protected:
    bool OnInitDialog();

private:
    QHash<int, QWidget*> m_controls;
};
