#pragma once

// Shows the program's message boxes as modal boxes over the active window,
// titled with the program's name. The window program puts it in place at start.
void InstallMessageBoxPresenter();
