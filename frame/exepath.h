// Where the running executable is: the settings and help files lie beside it.
#pragma once

#include <string>

namespace zentorix {

// The executable's real path as bytes, whatever its length.
std::string ExecutablePath();

// Tests put the executable elsewhere; an empty path restores the real one.
void OverrideExecutablePath(std::string path);

}  // namespace zentorix
