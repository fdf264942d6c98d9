#pragma once

#include "TestSupport.h"

class CRT3180Dlg;
class QComboBox;

// The text of a control of the dialog (edit line, label, button caption, group
// title or a list's selected item), and a click on a push button, as a user
// would see and do them.
QString DlgItemText(const CRT3180Dlg& dlg, int nID);
void ClickDlgItem(const CRT3180Dlg& dlg, int nID);
// A setting list of the dialog, by its template id.
QComboBox* List(const CRT3180Dlg& dlg, int nID);
// Connects the dialog to a device as the user's Connect does (the device is
// stored as the port first), without waiting out the command pauses.
bool ConnectTo(CRT3180Dlg& dlg, const QString& strDevice);
