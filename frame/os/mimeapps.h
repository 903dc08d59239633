// Which kinds of file the desktop has a program for, found the freedesktop
// way: the mimeapps.list defaults and associations, and the MimeType= of the
// installed desktop entries, in the XDG config and data folders.
#pragma once

#include <string>
#include <vector>

namespace zentorix {

// True when a usable desktop entry is the default for, or is associated with,
// any of `mimeTypes` (and that association is not removed). What xdg-open and
// the desktops' own launchers would open such a file with.
bool HasApplicationFor(const std::vector<std::string>& mimeTypes);

}  // namespace zentorix
