// Whether the desktop's opener has a program for a kind of file. No Qt.
#pragma once

#include <string>

namespace zentorix {

// True when Debian's xdg-open, taking its desktop-neutral way, would hand a
// file of `mimeType` to a program (not to the browser): the type's default
// as `xdg-mime query default` finds it (the "[Default Applications]" of the
// mimeapps.list files, then defaults.list and mimeinfo.cache, then the
// desktop entries that name the type), and a desktop entry by that name
// where xdg-open looks for it.
//
// Bounded whatever the desktop folders hold: only regular files, opened
// without waiting, a mebibyte at most each; a limit on the files, folder
// entries, depth and folders read, and on the time taken. Beyond a limit
// the answer is false.
bool HasApplicationFor(const std::string& mimeType);

}  // namespace zentorix
