// RealToText of any 8-byte pattern: only digits, a sign, the decimal mark and
// "E" (or INF/NAN), at most 22 characters, and TextToReal reads a finite one
// back within a relative 1E-14. Of any 10-byte extended pattern after it: no
// fault flag left behind.
#include "calc/fpu.h"
#include "calc/numtext.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zentorix;
    if (size < 8)
        return 0;
    SetFloatingPointEnvironment();
    DecimalMark = size > 8 && (data[8] & 1) != 0 ? ',' : '.';
    double value;
    std::memcpy(&value, data, sizeof value);
    if (size >= 19) {
        long double extended = 0.0L;
        std::memcpy(&extended, data + 9, 10);
        RealToText(extended);
        std::uint16_t status;
        asm volatile("fnstsw %0" : "=am"(status));
        if ((status & kFaultFlags) != 0)
            std::abort();
    }
    const std::string text = RealToText(value);
    if (!std::isfinite(value)) {
        if (text != "NAN" && text != "INF" && text != "-INF")
            std::abort();
        return 0;
    }
    if (text.empty() || text.size() > 22
        || text.find_first_not_of(std::string("0123456789+-E") + DecimalMark) != std::string::npos)
        std::abort();
    const long double back = TextToReal(text);
    const long double error = std::fabs(back - static_cast<long double>(value));
    if (error > 1e-14L * std::fabs(static_cast<long double>(value)))
        std::abort();
    return 0;
}
