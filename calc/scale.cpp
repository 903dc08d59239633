#include "scale.h"

#include <iterator>
#include <limits>

namespace zentorix {
namespace {

#include "pow10_tables.inc"

static_assert(std::size(kPow10Units) == 32);
static_assert(std::size(kPow10Thirtytwos) == 15);
static_assert(std::size(kPow10FiveTwelves) == 9);

}  // namespace

long double ScaleByPowerOfTen(long double y, std::int64_t n)
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
        y *= kPow10Units[a];
        if (b != 0)
            y *= kPow10Thirtytwos[b - 1];
        if (c != 0)
            y *= kPow10FiveTwelves[c - 1];
    } else {
        y /= kPow10Units[a];
        if (b != 0)
            y /= kPow10Thirtytwos[b - 1];
        if (c != 0)
            y /= kPow10FiveTwelves[c - 1];
    }
    return y;
}

}  // namespace zentorix
