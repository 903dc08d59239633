// TextToReal on any bytes, with either decimal mark (the first byte picks it):
// a number or EConvertError quoting the text; the x87 unit as it was either way.
#include "calc/failures.h"
#include "calc/fpu.h"
#include "calc/numtext.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::uint16_t StatusWord()
{
    std::uint16_t status;
    asm volatile("fnstsw %0" : "=am"(status));
    return status;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zentorix;
    if (size == 0)
        return 0;
    SetFloatingPointEnvironment();
    DecimalMark = (data[0] & 1) != 0 ? ',' : '.';
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    try {
        TextToReal(text);
    } catch (const EConvertError& failure) {
        if (failure.Message() != "'" + text + "' is not a valid floating point value")
            std::abort();  // a failure must quote the text
    }
    if (CurrentControlWord() != kControlWord || (StatusWord() & kFaultFlags) != 0)
        std::abort();  // the environment must be as it was
    return 0;
}
