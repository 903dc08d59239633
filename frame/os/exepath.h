// Where the running executable is: the settings and help files lie beside it.
#pragma once

#include <string>

namespace zentorix {

// The executable's real path as bytes, whatever its length; empty when it
// cannot be read. Read once, at the first call (start-up makes it), and held
// for the run: a package upgrade may replace the running file, and the link
// would then name another path.
const std::string& ExecutablePath();

// Tests put the executable elsewhere; an empty path restores the real one.
void OverrideExecutablePath(std::string path);

}  // namespace zentorix
