#pragma once

#include "core/dialog/DialogTemplate.h"

#include <QFont>
#include <QHash>
#include <span>

class CAboutDlg;
class QAction;
class QMenu;
class QMenuBar;
class QWidget;

// The dialog font: the template's size in the desktop's sans-serif face,
// which stands in for the template's Windows face.
QFont DialogFont(const CDialogTemplate& dlg);

// Makes pClient the dialog's client area: the dialog font, the template's
// size, and the controls in template order, which is also the tab order.
// Each control with an id other than IDC_STATIC is entered in controls.
void CreateTemplateControls(QWidget* pClient, const CDialogTemplate& dlg,
                            QHash<int, QWidget*>& controls);

// The menu bar's pop-ups and commands from a menu table, each command entered
// in items by its id. The Port menu's devices go before pOtherPort.
struct CMenuBarParts {
    QMenu* pPortMenu = nullptr;
    QAction* pOtherPort = nullptr;
};
CMenuBarParts CreateMenuBar(QMenuBar* pMenuBar, std::span<const CMenuItem> menu,
                            QHash<int, QAction*>& items);

// The About box with its title and controls from its template.
void CreateAboutBox(CAboutDlg& dlg);
