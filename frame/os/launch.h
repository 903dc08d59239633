// Starting programs the desktop way: looked up on PATH, detached from this
// program, their exit status reported through a pipe. No Qt.
#pragma once

#include <string>
#include <vector>

namespace zentorix {

// "file://" and the path's bytes, each one outside the unreserved set (and
// "/") percent-encoded: any folder name, UTF-8 or not, reaches the viewer as
// the same path.
std::string FileUrl(const std::string& path);

// Starts `command` (its program looked up on PATH) without waiting for it and
// without tying its life to this program's. Returns a pipe's read end, which
// gets one byte when the program has ended (not zero when it exited with
// status 0) or end of file when that could not be told; -1 when nothing
// could be started.
int StartDetached(const std::vector<std::string>& command);

}  // namespace zentorix
