// Writing the key into any file's contents: the key then reads back with the
// value written, and only the key's own line changed (or nothing, when the
// key was added).
#include "frame/profile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zentorix;
    const std::string contents(reinterpret_cast<const char*>(data), size);
    const std::string value = size % 2 == 0 ? "0" : "1";
    const std::string after = WithProfileValue(contents, "Setting", "bChinese", value);
    if (ProfileValueIn(after, "Setting", "bChinese") != value)
        std::abort();
    std::size_t prefix = 0;
    while (prefix < contents.size() && prefix < after.size() && contents[prefix] == after[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < contents.size() - prefix && suffix < after.size() - prefix
        && contents[contents.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    if (contents.substr(prefix, contents.size() - prefix - suffix).find('\n') != std::string::npos)
        std::abort();  // more than one line changed
    return 0;
}
