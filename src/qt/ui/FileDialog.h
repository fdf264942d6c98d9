#pragma once

#include "core/dialog/DlgWindow.h"

#include <optional>
#include <string>

class QWidget;

// The common Open and Save dialog, modal over pParent: the full path the
// user chose, nothing when cancelled.
std::optional<std::string> DoFileDialog(QWidget* pParent, const CFileDialogCall& call);
