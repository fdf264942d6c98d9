#pragma once

#include "core/dialog/DialogTemplate.h"
#include "win32ui/Win32.h"

#include <span>
#include <string>
#include <vector>

// The system classes by ordinal, as a template names them.
inline constexpr WORD kButtonClass = 0x0080;
inline constexpr WORD kEditClass = 0x0081;
inline constexpr WORD kStaticClass = 0x0082;
inline constexpr WORD kComboBoxClass = 0x0085;

// One control of a dialog built in memory.
struct CDlgItemSpec {
    int nID;
    WORD nClass;   // the system class's ordinal (0x0080 button ... 0x0085 combo box)
    DWORD dwStyle; // besides WS_CHILD | WS_VISIBLE
    std::string strCaption;
    WORD nIconID; // an icon static's picture; its caption is then unused
    CDlgRect rc;
};

// The controls of one of the core's dialogs, with the styles of their kinds.
std::vector<CDlgItemSpec> TemplateItems(const CDialogTemplate& dlg);

// A DLGTEMPLATEEX in memory for DialogBoxIndirectParamW: Windows lays the
// dialog out in the dialog units of its font. The menu is set at run time.
std::vector<WORD> BuildDialogTemplate(const std::string& strTitle, int cx, int cy,
                                      const std::string& strFont, int nPointSize,
                                      std::span<const CDlgItemSpec> items, DWORD dwStyle,
                                      DWORD dwExStyle);
std::vector<WORD> BuildDialogTemplate(const CDialogTemplate& dlg, DWORD dwStyle, DWORD dwExStyle);

inline const DLGTEMPLATE* AsTemplate(const std::vector<WORD>& words)
{
    return reinterpret_cast<const DLGTEMPLATE*>(words.data());
}
