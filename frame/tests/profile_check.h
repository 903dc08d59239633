// The property of every settings write, shared by the tests and the fuzz
// target: besides the key's own line, no byte of the file changed.
#pragma once

#include <string>
#include <string_view>

namespace zentorix::test {

// Whether `after` is `before` with at most the bytes of one line replaced
// (or bytes added at one place).
inline bool AtMostOneLineChanged(std::string_view before, std::string_view after)
{
    std::size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix
        && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    return before.substr(prefix, before.size() - prefix - suffix).find('\n') == std::string_view::npos;
}

}  // namespace zentorix::test
