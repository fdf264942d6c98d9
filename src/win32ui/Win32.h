#pragma once

// The core's ids come first: windows.h defines IDOK and IDCANCEL as macros of
// the same values, which would otherwise rewrite the core's enumeration.
#include "core/dialog/Resource.h"

#include <windows.h>

// The core's window interface has functions of these names; the wide
// functions are called by their own names here.
#undef GetDlgItemText
#undef MessageBox
#undef SetDlgItemText
