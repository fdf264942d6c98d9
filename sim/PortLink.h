#pragma once

#include <string>

// The utility resolves a port name "COMn" to the link
// ${XDG_CONFIG_HOME:-$HOME/.config}/KOLV/ports/comn; these put the simulator there.

// The link for a port name ("COM1", any case, one trailing ':' allowed);
// empty when the name is no such port or no configuration folder is known.
std::string PortLinkPath(const std::string& strPortName);

// Points the link at the terminal, replacing an earlier link (never a file
// that is not one). False with a reason when it cannot.
bool CreatePortLink(const std::string& strLink, const std::string& strTarget,
                    std::string& strError);

// Removes the link only while it still points at the terminal, so a
// simulator started later on the same port keeps its link.
void RemovePortLink(const std::string& strLink, const std::string& strTarget);
