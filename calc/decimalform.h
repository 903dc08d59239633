// The decimal digits of an extended value, as RealToText shows them.
#pragma once

#include "extended.h"

#include <cstdint>

namespace zentorix {

constexpr std::int16_t kInfinityExponent = 32767;
constexpr std::int16_t kNaNExponent = -32768;

// A finite non-zero value is 0.d1d2d3… × 10^DecimalExponent, with the digits
// in DigitChars (at most 18, NUL-terminated, no trailing "0" after rounding).
// Zero has no digits; infinity and not-a-number are marked by the exponent.
struct DecimalForm {
    std::int16_t DecimalExponent = 0;
    bool IsNegative = false;  // always false for zero and not-a-number
    char DigitChars[21] = {};
};

// The digits of `value` rounded to `precision` significant digits (1 to 17):
// the value is scaled to an 18-digit whole number in extended arithmetic and
// the rounding decides on the single digit after the last one kept.
DecimalForm ToDecimalForm(Extended value, int precision);

}  // namespace zentorix
