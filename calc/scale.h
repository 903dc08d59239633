// Multiplication of an extended value by a power of ten, from three tables.
#pragma once

#include <cstdint>
#include <iterator>
#include <limits>

namespace zentorix {

// y × 10^n in extended arithmetic: |n| = a + 32·b + 512·c, and y is multiplied
// (n > 0) or divided (n < 0) by 10^a, then 10^(32·b), then 10^(512·c), each
// step rounded to extended. The last two steps are skipped when b or c is 0.
// |n| ≥ 5120 gives +infinity for n > 0 and zero for n < 0, whatever y is.
namespace pow10 {
#include "pow10_tables.inc"
static_assert(std::size(kPow10Units) == 32);
static_assert(std::size(kPow10Thirtytwos) == 15);
static_assert(std::size(kPow10FiveTwelves) == 9);
}  // namespace pow10

inline long double ScaleByPowerOfTen(long double y, std::int64_t n)
{
    if (n == 0)
        return y;
    if (n >= 5120)
        return std::numeric_limits<long double>::infinity();
    if (n <= -5120)
        return 0.0L;

    const auto magnitude = static_cast<unsigned>(n < 0 ? -n : n);
    const unsigned a = magnitude % 32;
    const unsigned b = magnitude / 32 % 16;
    const unsigned c = magnitude / 512;
    if (n > 0) {
        y *= pow10::kPow10Units[a];
        if (b != 0)
            y *= pow10::kPow10Thirtytwos[b - 1];
        if (c != 0)
            y *= pow10::kPow10FiveTwelves[c - 1];
    } else {
        y /= pow10::kPow10Units[a];
        if (b != 0)
            y /= pow10::kPow10Thirtytwos[b - 1];
        if (c != 0)
            y /= pow10::kPow10FiveTwelves[c - 1];
    }
    return y;
}

}  // namespace zentorix
