// Hands a file or a web address to the desktop, as the shell's "open" verb
// does: the user's viewer or browser opens it.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zentorix {

// What is asked of the desktop: to open a file (or web address) with its own
// viewer, or to show a page in the web browser.
enum class Verb { kOpen, kBrowse };

// `target` is a web address ("scheme://...") or a file path, in the system's
// code page. The call returns at once. For a file, `failed` runs later, from
// the main loop, when no launcher could be run or the launcher reports
// failure; a web address is handed to the desktop and its result not looked
// at.
void ShellOpen(const std::string& target, std::function<void()> failed = {});
void ShellBrowse(const std::string& file, std::function<void()> failed);

// Replaces the desktop by `service` (tests record the requests); an empty
// service restores the desktop. Returns the previous service.
using ShellService = std::function<void(Verb, const std::string& target, std::function<void()> failed)>;
ShellService ReplaceShellService(ShellService service);

// Runs `command` (its program looked up on PATH) without waiting for it and
// without tying its life to this program's. `done` runs later, from the main
// loop, with true when the program ran and exited with status 0.
void RunLauncher(const std::vector<std::string>& command, std::function<void(bool)> done);

}  // namespace zentorix
