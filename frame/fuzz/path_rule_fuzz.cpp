// The path rule and the full-stop rule over any bytes in every code page: the
// settings file stays in the executable's folder, and a message gains at most
// a full stop.
#include "frame/errors.h"
#include "frame/os/codepage.h"
#include "frame/os/pathrule.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zentorix;
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (const CodePage page :
        {CodePage::Utf8, CodePage::SingleByte, CodePage::Gbk, CodePage::Big5, CodePage::ShiftJis}) {
        const std::string result = ReplaceExtension(text, ".ini", page);
        const std::size_t folder = text.rfind('/') + 1;  // 0 without a slash
        if (result.compare(0, folder, text, 0, folder) != 0 || result.find('/', folder) != std::string::npos
            || result.size() < 4 || result.compare(result.size() - 4, 4, ".ini") != 0)
            std::abort();  // another folder, or no ".ini"
        const std::string stopped = WithFullStop(text, page);
        if (stopped != text && stopped != text + ".")
            std::abort();
    }
    return 0;
}
