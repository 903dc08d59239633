// Safe replacement of a file's bytes: a temporary file renamed over the old
// one where the old owner and group can pass to it, a rewrite in place of the
// very file that was checked where they cannot. Links are resolved by the
// kernel's rule for sticky, world-writable folders. No Qt.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>

namespace zentorix {

// What a write does to a file: the bytes [from, to) become `text`.
struct Edit {
    std::uint64_t from = 0;
    std::uint64_t to = 0;
    std::string text;
};

// The file that `path` names once symbolic links are followed; it may not
// exist yet. Nothing for a loop of links or a link that may not be followed:
// in a sticky, world-writable folder (/tmp) only links of this user or of
// the folder's owner are, as the kernel's protected_symlinks rule has it.
std::optional<std::string> ResolveLinks(std::string path);

// The file open for reading (and writing, with O_RDWR) when it is a regular
// file (a FIFO is not waited for, a link not followed), with its status; -1
// otherwise.
int OpenRegular(const std::string& path, struct stat& status, int access = O_RDONLY);

// Whether the edit would leave the bytes of the file open as `fd` as they are.
bool Unchanged(int fd, const Edit& edit);

// kRewriteInstead: nothing written, but a rewrite in place may do (the old
// owner, group or extended attributes cannot pass to a new file, or the name
// cannot be replaced: a bind-mounted file).
enum class Replaced { kDone, kRewriteInstead, kFailed };

// Writes the new contents (the bytes of `old`, `size` long, with the edit; or
// the edit's text alone when `old` is -1) to a temporary file beside `target`
// and renames it over `target`: a reader sees the old file or the new one,
// never a part. The old file's owner, group, mode (`status`), ACL and other
// extended attributes pass to the new one; where they cannot, nothing is
// written.
Replaced ReplaceFile(
    const std::string& target, int old, const struct stat* status, std::uint64_t size, const Edit& edit);

// Rewrites the file open as `fd`, the very file that was read and checked
// (its owner, group, mode and links untouched): the edit's text and the bytes
// after it go to their new place, the file takes its new length and reaches
// the disk. Where the bytes after the edit fit in memory (the edit of a
// settings file is a flag's value, or a key added), all of it is one write.
// The kernel finishes a write once begun only within a page, so for a file
// of a settings file's size a kill leaves the old file or the new one (one
// that shrinks can still keep its old last bytes if killed between that write
// and the cut); a longer write, or a tail moved a block at a time, can be
// left part-way.
bool RewriteInPlace(int fd, std::uint64_t size, const Edit& edit);

}  // namespace zentorix
