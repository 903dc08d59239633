// Zentorix's own INI (profile) files: "[section]" lines, each followed by
// "key=value" lines. No Qt.
//
// Reading: a missing file, section or key reads as nothing; names match
// without regard to ASCII case; blanks and tabs around names and values and
// the CR of a CRLF are dropped; the first of a doubled section or key counts;
// a UTF-8 byte-order mark is passed over; only a regular file is read; a value
// is cut to 2047 bytes.
//
// Writing sets the first occurrence of the key in place, or adds what is
// missing, and keeps every other byte of the file. Where it can, it writes a
// temporary file beside the target (unnamed, or with a short name) and
// renames it over the target, so the file is always either the old one or the
// new one, with the old one's ACL and extended attributes; where that would
// change the file's owner, group or attributes, or the folder cannot be
// written but the file can, or the name cannot be replaced (a file
// bind-mounted on its own), it rewrites the file in place. A short read is
// read on; a save that could not keep every byte says it failed.
//
// Symbolic links are followed, but in a sticky, world-writable folder only
// those of this user or of the folder's owner. Files of any size are read and
// written a block at a time: memory stays bounded.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zentorix {

// The longest value read: what a 2048-byte buffer holds.
inline constexpr std::size_t kLongestValue = 2047;

std::optional<std::string> ReadProfileValue(
    const std::string& file, std::string_view section, std::string_view key);

// The key's value in a file's contents, by the same rules (no file access).
std::optional<std::string> ProfileValueIn(
    std::string_view contents, std::string_view section, std::string_view key);

// The file's new contents with the key set (pure: no file access).
std::string WithProfileValue(
    std::string_view contents, std::string_view section, std::string_view key, std::string_view value);

// False when the file cannot be written: it exists but is not a regular file,
// it has no write bit (whoever runs the program), this user may not write it,
// or it does not exist and its folder cannot be written. The file is then
// left as it was.
bool WriteProfileValue(
    const std::string& file, std::string_view section, std::string_view key, std::string_view value);

}  // namespace zentorix
