// Dialog templates in memory, in the layout a resource compiler gives them.

#include "win32ui/DialogTemplate.h"

#include "win32ui/Utf16.h"

#include <cstdlib>

namespace
{
class CTemplateWriter
{
public:
    void Word(WORD n) { m_words.push_back(n); }
    void Dword(DWORD n)
    {
        Word(LOWORD(n));
        Word(HIWORD(n));
    }
    void Text(const std::string& str)
    {
        for (wchar_t ch : Widen(str))
            Word(static_cast<WORD>(ch));
        Word(0);
    }
    void Ordinal(WORD n)
    {
        Word(0xFFFF);
        Word(n);
    }
    // Every item starts on a DWORD boundary.
    void AlignDword()
    {
        if (m_words.size() % 2)
            Word(0);
    }
    std::vector<WORD> Take() { return std::move(m_words); }

private:
    std::vector<WORD> m_words;
};

void Rect(CTemplateWriter& out, const CDlgRect& rc)
{
    for (int n : {rc.x, rc.y, rc.cx, rc.cy})
        out.Word(static_cast<WORD>(static_cast<short>(n)));
}
} // namespace

std::vector<CDlgItemSpec> TemplateItems(const CDialogTemplate& dlg)
{
    std::vector<CDlgItemSpec> items;
    for (const CTemplateItem& item : dlg.items) {
        CDlgItemSpec control{item.nID, kStaticClass, 0, item.pszCaption, 0, item.rc};
        switch (item.eKind) {
        case EKind::ComboBox:
            control.nClass = kComboBoxClass;
            control.dwStyle = CBS_DROPDOWNLIST | WS_VSCROLL;
            break;
        case EKind::PushButton:
            control.nClass = kButtonClass;
            control.dwStyle = BS_PUSHBUTTON;
            break;
        case EKind::DefPushButton:
            control.nClass = kButtonClass;
            control.dwStyle = BS_DEFPUSHBUTTON;
            break;
        case EKind::GroupBox:
            control.nClass = kButtonClass;
            control.dwStyle = BS_GROUPBOX;
            break;
        case EKind::Static:
            control.dwStyle = SS_LEFT;
            break;
        case EKind::Icon:
            control.dwStyle = SS_ICON;
            control.nIconID = static_cast<WORD>(std::atoi(item.pszCaption));
            break;
        case EKind::LedButton:
            control.nClass = kButtonClass;
            control.dwStyle = BS_OWNERDRAW;
            break;
        case EKind::Link:
            // Mouse input reaches a static only with SS_NOTIFY.
            control.dwStyle = SS_LEFT | SS_NOTIFY;
            break;
        case EKind::Edit:
            control.nClass = kEditClass;
            control.dwStyle = ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | WS_BORDER;
            break;
        }
        if (IsTabStop(item.eKind))
            control.dwStyle |= WS_TABSTOP;
        if (StartsGroup(item.eKind))
            control.dwStyle |= WS_GROUP;
        items.push_back(control);
    }
    return items;
}

std::vector<WORD> BuildDialogTemplate(const std::string& strTitle, int cx, int cy,
                                      const std::string& strFont, int nPointSize,
                                      std::span<const CDlgItemSpec> items, DWORD dwStyle,
                                      DWORD dwExStyle)
{
    CTemplateWriter out;
    out.Word(1);      // dlgVer
    out.Word(0xFFFF); // signature: DLGTEMPLATEEX
    out.Dword(0);     // helpID
    out.Dword(dwExStyle);
    out.Dword(dwStyle | DS_SETFONT);
    out.Word(static_cast<WORD>(items.size()));
    Rect(out, {0, 0, cx, cy});
    out.Word(0); // no menu
    out.Word(0); // the dialog class
    out.Text(strTitle);
    out.Word(static_cast<WORD>(nPointSize));
    out.Word(FW_NORMAL);
    out.Word(MAKEWORD(FALSE, DEFAULT_CHARSET)); // italic, charset
    out.Text(strFont);
    for (const CDlgItemSpec& item : items) {
        out.AlignDword();
        out.Dword(0); // helpID
        out.Dword(0); // exStyle
        out.Dword(item.dwStyle | WS_CHILD | WS_VISIBLE);
        Rect(out, item.rc);
        out.Dword(static_cast<DWORD>(item.nID));
        out.Ordinal(item.nClass);
        if (item.nIconID)
            out.Ordinal(item.nIconID);
        else
            out.Text(item.strCaption);
        out.Word(0); // no creation data
    }
    return out.Take();
}

std::vector<WORD> BuildDialogTemplate(const CDialogTemplate& dlg, DWORD dwStyle, DWORD dwExStyle)
{
    const std::vector<CDlgItemSpec> items = TemplateItems(dlg);
    return BuildDialogTemplate(dlg.pszTitle, dlg.cx, dlg.cy, dlg.pszFont, dlg.nPointSize, items,
                               dwStyle, dwExStyle);
}
