#pragma once

#include "core/dialog/DlgWindow.h"

class QWidget;

// A message box of the program, modal over pParent, titled with the
// program's name; its text and details are plain text.
void ShowMessageBox(QWidget* pParent, const CMessageBoxCall& call);
