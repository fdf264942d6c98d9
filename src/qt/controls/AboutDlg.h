#pragma once

#include <QDialog>
#include <QHash>

class CLinkLabel;

// The About box: icon, version line, OK and the link to the maker's site,
// its controls made from the template by the window's builder
// (qt/ui/DialogTemplate.h). Made for one showing; each opening builds a fresh one.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* pParent = nullptr);

    int DoModal() { return exec(); }
    QHash<int, QWidget*>& Controls() { return m_controls; }
    QWidget* GetDlgItem(int nID) const { return m_controls.value(nID, nullptr); }
    // Once the controls exist: OK ends the box, the link gets its address.
    bool OnInitDialog();

    CLinkLabel* m_link = nullptr;

private:
    QHash<int, QWidget*> m_controls;
};
