#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <optional>

// The common Open and Save dialogs. Shown modally over the active window;
// tests put a hook in place that records the call and answers it instead.

struct CFileFilter {
    QString strText;    // the entry as the user reads it
    QString strPattern; // the names it lists
};

struct CFileDialogCall {
    bool bOpenFileDialog = true;
    QString strFileName;        // initial name, with its folder
    QList<CFileFilter> filters; // the first one is selected
    QString strDefExt;          // added to a name typed without an extension
    bool bOverwritePrompt = false;
};

// The full path the user chose; nothing when the dialog was cancelled.
std::optional<QString> DoFileDialog(const CFileDialogCall& call);

using FileDialogHook = std::function<std::optional<QString>(const CFileDialogCall&)>;
// Replaces the real dialog (empty hook restores it). Returns the previous hook.
FileDialogHook SetFileDialogHook(FileDialogHook hook);
