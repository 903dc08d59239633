// 128-bit products and quotients of 64-bit words, for the extended format's
// significands. Where the compiler has a 128-bit integer (64-bit targets) it
// is used; elsewhere (armhf) the same results come from 32-bit halves.
#pragma once

#include <cstdint>

namespace zentorix::wide {

struct Pair {
    std::uint64_t high = 0;
    std::uint64_t low = 0;
};

struct Division {
    std::uint64_t quotient = 0;
    std::uint64_t remainder = 0;
};

constexpr Pair PortableProduct(std::uint64_t a, std::uint64_t b)
{
    const std::uint64_t a0 = a & 0xFFFFFFFF, a1 = a >> 32;
    const std::uint64_t b0 = b & 0xFFFFFFFF, b1 = b >> 32;
    const std::uint64_t low = a0 * b0;
    const std::uint64_t middle1 = a1 * b0 + (low >> 32);  // cannot overflow
    const std::uint64_t middle2 = a0 * b1 + (middle1 & 0xFFFFFFFF);
    return {a1 * b1 + (middle1 >> 32) + (middle2 >> 32), (middle2 << 32) | (low & 0xFFFFFFFF)};
}

// (high·2^64 + low) / divisor, for a divisor with its top bit set and
// high < divisor, so that the quotient fits one word: two steps of schoolbook
// division in base 2^32, each estimate corrected at most twice.
constexpr Division PortableQuotient(std::uint64_t high, std::uint64_t low, std::uint64_t divisor)
{
    constexpr std::uint64_t kBase = std::uint64_t{1} << 32;
    const std::uint64_t d1 = divisor >> 32, d0 = divisor & 0xFFFFFFFF;
    const std::uint64_t n1 = low >> 32, n0 = low & 0xFFFFFFFF;

    std::uint64_t q1 = high / d1;
    std::uint64_t rest = high - q1 * d1;
    while (q1 >= kBase || q1 * d0 > (rest << 32) + n1) {
        --q1;
        rest += d1;
        if (rest >= kBase)
            break;
    }
    const std::uint64_t middle = (high << 32) + n1 - q1 * divisor;  // below the divisor

    std::uint64_t q0 = middle / d1;
    rest = middle - q0 * d1;
    while (q0 >= kBase || q0 * d0 > (rest << 32) + n0) {
        --q0;
        rest += d1;
        if (rest >= kBase)
            break;
    }
    return {(q1 << 32) + q0, (middle << 32) + n0 - q0 * divisor};
}

#if defined(__SIZEOF_INT128__)
__extension__ using Unsigned128 = unsigned __int128;

inline Pair Product(std::uint64_t a, std::uint64_t b)
{
    const Unsigned128 product = static_cast<Unsigned128>(a) * b;
    return {static_cast<std::uint64_t>(product >> 64), static_cast<std::uint64_t>(product)};
}

inline Division Quotient(std::uint64_t high, std::uint64_t low, std::uint64_t divisor)
{
    const Unsigned128 dividend = (static_cast<Unsigned128>(high) << 64) | low;
    const auto quotient = static_cast<std::uint64_t>(dividend / divisor);
    return {quotient, low - quotient * divisor};
}
#else
constexpr Pair Product(std::uint64_t a, std::uint64_t b)
{
    return PortableProduct(a, b);
}

constexpr Division Quotient(std::uint64_t high, std::uint64_t low, std::uint64_t divisor)
{
    return PortableQuotient(high, low, divisor);
}
#endif

}  // namespace zentorix::wide
