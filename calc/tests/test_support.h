// Helpers shared by the numeric core's tests.
#pragma once

#include "calc/numtext.h"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>

namespace zentorix::test {

// Sets DecimalMark for one scope and restores it afterwards.
class MarkScope {
public:
    explicit MarkScope(char mark) : saved_(DecimalMark) { DecimalMark = mark; }
    ~MarkScope() { DecimalMark = saved_; }
    MarkScope(const MarkScope&) = delete;
    MarkScope& operator=(const MarkScope&) = delete;

private:
    char saved_;
};

inline double DoubleFromBits(std::uint64_t bits)
{
    return std::bit_cast<double>(bits);
}

inline std::uint64_t BitsOfDouble(double value)
{
    return std::bit_cast<std::uint64_t>(value);
}

// The 80 bits of an extended value as 20 upper-case hex digits:
// sign and exponent first, then the significand with its integer bit.
inline std::string ExtendedHex(Extended value)
{
    char text[21];
    std::snprintf(text, sizeof text, "%04X%016llX", value.SignExponent(),
        static_cast<unsigned long long>(value.Significand()));
    return text;
}

}  // namespace zentorix::test
