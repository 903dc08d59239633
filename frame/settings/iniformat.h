// The INI format, read as a stream: a file's lines split and classified for
// one section and one key, the key's value found, or the edit that sets it
// worked out, as profile.h describes the format. Nothing is written here, and
// memory stays bounded whatever the lines.
#pragma once

#include "frame/settings/safereplace.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zentorix {

// The key's value in `text`, or nothing when it is missing.
std::optional<std::string> ValueInText(std::string_view text, std::string_view section, std::string_view key);

// The same for the first `size` bytes of the file open as `fd` (its size when
// opened: a file that keeps growing is read as it was); false when a read
// fails.
bool ValueInFile(int fd, std::uint64_t size, std::string_view section, std::string_view key,
    std::optional<std::string>& value);

// What sets the key to `value`: its first occurrence in the first section of
// that name replaced; otherwise the key added after that section's last
// entry, or a new section at the end.
Edit EditForText(
    std::string_view text, std::string_view section, std::string_view key, std::string_view value);
bool EditForFile(int fd, std::uint64_t size, std::string_view section, std::string_view key,
    std::string_view value, Edit& edit);

}  // namespace zentorix
