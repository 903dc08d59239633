// RealToText of any 8-byte pattern: only digits, a sign, the decimal mark and
// "E" (or INF/NAN), at most 22 characters, and TextToReal reads a finite one
// back within a relative 1E-14. Of any 10-byte extended pattern after it:
// nothing left in the calculator's unit.
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
    DecimalMark = size > 8 && (data[8] & 1) != 0 ? ',' : '.';
    double value;
    std::memcpy(&value, data, sizeof value);
    if (size >= 19) {
        std::uint64_t significand;
        std::uint16_t signExponent;
        std::memcpy(&significand, data + 9, 8);
        std::memcpy(&signExponent, data + 17, 2);
        RealToText(Extended::FromBits(signExponent, significand));
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
    // |back − value| ≤ 1E-14 × |value|, computed in extended.
    Conditions raised = 0;
    const Extended error = Subtract(TextToReal(text), value, raised).Magnitude();
    const Extended bound = Multiply(Extended(value).Magnitude(), 1e-14, raised);
    if (Compare(error, bound, raised) == Ordering::Greater)
        std::abort();
    return 0;
}
