// Hands a file or a web address to the desktop, as the shell's "open" verb
// does: the user's viewer or browser opens it. The result is not looked at.
#pragma once

#include <functional>
#include <string>

namespace zentorix {

// `target` is a web address ("scheme://...") or a file path, in the
// system's code page.
void ShellOpen(const std::string& target);

// Replaces the desktop by `service` (tests record the requests); an empty
// service restores the desktop. Returns the previous service.
using ShellService = std::function<void(const std::string&)>;
ShellService ReplaceShellService(ShellService service);

}  // namespace zentorix
