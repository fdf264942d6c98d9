#pragma once

#include <QFont>
#include <QHash>
#include <QRect>
#include <span>

class QWidget;

// One control of a dialog template, as the resource script lists it.
enum class EKind {
    ComboBox,
    PushButton,
    DefPushButton,
    GroupBox,
    Static,
    Icon,
    LedButton,
    Link,
    Edit
};

struct CTemplateItem {
    int nID;
    EKind kind;
    const char* pszCaption; // for an icon, its resource
    QRect rc;               // x, y, width, height in dialog units
    const char* pszAccessibleName;
};

// The font of the program's dialogs: a sans-serif face at 8 points.
QFont DialogFont();

// Creates the controls on pParent in template order, which is also the tab
// order, with rectangles mapped by pParent's font. Each control with an id
// other than IDC_STATIC is entered in controls.
void CreateTemplateControls(QWidget* pParent, std::span<const CTemplateItem> items,
                            QHash<int, QWidget*>& controls);
