// Multiplication of an extended value by a power of ten, from three tables.
#pragma once

#include "extended.h"

#include <cstdint>
#include <iterator>

namespace zentorix {

// y × 10^n in extended arithmetic: |n| = a + 32·b + 512·c, and y is multiplied
// (n > 0) or divided (n < 0) by 10^a, then 10^(32·b), then 10^(512·c), each
// step rounded to extended. The last two steps are skipped when b or c is 0.
// |n| ≥ 5120 gives +infinity for n > 0 and zero for n < 0, whatever y is.
// The conditions of the steps are added to `raised`.
namespace pow10 {
#include "pow10_tables.inc"
static_assert(std::size(kPow10Units) == 32);
static_assert(std::size(kPow10Thirtytwos) == 15);
static_assert(std::size(kPow10FiveTwelves) == 9);
}  // namespace pow10

inline Extended ScaleByPowerOfTen(Extended y, std::int64_t n, Conditions& raised)
{
    if (n == 0)
        return y;
    if (n >= 5120)
        return Extended::FromBits(0x7FFF, std::uint64_t{1} << 63);
    if (n <= -5120)
        return Extended();

    const auto magnitude = static_cast<unsigned>(n < 0 ? -n : n);
    const unsigned a = magnitude % 32;
    const unsigned b = magnitude / 32 % 16;
    const unsigned c = magnitude / 512;
    const auto step = n > 0 ? Multiply : Divide;
    y = step(y, pow10::kPow10Units[a], raised);
    if (b != 0)
        y = step(y, pow10::kPow10Thirtytwos[b - 1], raised);
    if (c != 0)
        y = step(y, pow10::kPow10FiveTwelves[c - 1], raised);
    return y;
}

}  // namespace zentorix
