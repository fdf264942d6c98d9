#pragma once

#include <string>

// The per-user configuration folder: $XDG_CONFIG_HOME, or ~/.config when it
// is unset, empty or not absolute. Read anew on every call.
std::string UserConfigHome();
