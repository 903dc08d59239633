// The file beside the executable: same name, another extension.
#pragma once

#include "frame/os/codepage.h"

#include <string>
#include <string_view>

namespace zentorix {

// `path` with its extension replaced by `extension` (given with its dot), or
// with `extension` appended when it has none. The extension is what follows
// the last ".", unless a "/", "\" or ":" comes after that dot. In a double-byte
// code page a delimiter byte that is the second byte of a character is skipped.
std::string ReplaceExtension(
    std::string_view path, std::string_view extension, CodePage page = ProcessCharset().page);

// The folder that holds `path`: what comes before its last "/" ("/" for a
// file in the root, "." for a bare name).
std::string FolderOf(const std::string& path);

}  // namespace zentorix
