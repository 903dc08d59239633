// Writing the key into any file's contents: the key then reads back with the
// value written, and only the key's own line changed (or nothing, when the
// key was added).
#include "frame/settings/profile.h"
#include "frame/tests/profile_check.h"

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
    if (!test::AtMostOneLineChanged(contents, after))
        std::abort();
    return 0;
}
