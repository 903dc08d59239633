// The software extended arithmetic against the x87 instructions, bit for bit
// (results and conditions), on operands built for the hard cases and on a
// stream of random ones; and one digest of that stream, so that a machine
// without an x87 shows it computes the same.
#include "calc/extended.h"
#include "calc/wide.h"
#include "differential.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace zentorix {
namespace {

using test::Describe;
using test::Of;
using test::Result;
using test::Results;
using test::Software;
#ifdef ZENTORIX_HAVE_X87
using test::Hardware;
#endif

// splitmix64: the same stream on every machine.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) { }
    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EB;
        return z ^ (z >> 31);
    }
    unsigned Below(unsigned n) { return static_cast<unsigned>(Next() % n); }

private:
    std::uint64_t state_;
};

constexpr std::uint64_t kTop = std::uint64_t{1} << 63;

// A significand shaped to reach the rounding's hard cases: ties and near-ties
// at 64 and at 53 bits, runs of ones that carry, few bits that multiply exactly.
std::uint64_t Significand(Random& random)
{
    std::uint64_t s = random.Next();
    switch (random.Below(8)) {
    case 0:
        return s & ~((std::uint64_t{1} << random.Below(64)) - 1);  // trailing zeros
    case 1:
        return s | ((std::uint64_t{1} << random.Below(64)) - 1);  // trailing ones
    case 2:
        return (s & ~std::uint64_t{0x7FF}) | 0x400 | random.Below(2);  // half a double's last bit
    case 3:
        return (s & ~std::uint64_t{0x7FF}) | (0x3FF + random.Below(3));
    case 4:
        return ~std::uint64_t{0} << random.Below(64);  // ones, then zeros
    default:
        return s;
    }
}

Extended RandomOperand(Random& random, int nearExponent)
{
    const std::uint16_t sign = random.Below(2) != 0 ? 0x8000 : 0;
    switch (random.Below(20)) {
    case 0:
        return Extended::FromBits(sign, 0);
    case 1:
        return Extended::FromBits(sign | 0x7FFF, kTop);
    case 2:  // quiet or signaling NaN
        return Extended::FromBits(sign | 0x7FFF, kTop | (random.Next() >> 1) | 1);
    case 3:  // denormal
        return Extended::FromBits(sign, Significand(random) >> (1 + random.Below(63)));
    case 4:
        return Extended(std::bit_cast<double>(random.Next()));
    default:
        break;
    }
    int exponent;
    switch (random.Below(6)) {
    case 0:  // near the double range's ends
        exponent = 16383 + (random.Below(2) != 0 ? 1024 : -1022) + static_cast<int>(random.Below(120)) - 70;
        break;
    case 1:  // near the extended range's ends
        exponent = random.Below(2) != 0 ? 1 + static_cast<int>(random.Below(80))
                                        : 0x7FFE - static_cast<int>(random.Below(80));
        break;
    case 2:
        exponent = 1 + static_cast<int>(random.Below(0x7FFE));
        break;
    default:  // near the other operand, where additions round and cancel
        exponent = nearExponent + static_cast<int>(random.Below(141)) - 70;
        break;
    }
    exponent = std::max(1, std::min(exponent, 0x7FFE));
    return Extended::FromBits(static_cast<std::uint16_t>(sign | exponent), kTop | Significand(random));
}

#ifdef ZENTORIX_HAVE_X87
// Compares every operation on one pair; returns how many differed.
int CompareWithX87(Extended a, Extended b, std::int64_t integer)
{
    const Results soft = Software(a, b, integer);
    const Results hard = Hardware(a, b, integer);
    int differences = 0;
    for (std::size_t i = 0; i < soft.size(); ++i) {
        if (soft[i] == hard[i])
            continue;
        ++differences;
        ADD_FAILURE() << test::kOperations[i] << " of " << Describe(Of(a, 0)) << " and " << Describe(Of(b, 0))
                      << " (integer " << integer << "): software " << Describe(soft[i]) << ", x87 "
                      << Describe(hard[i]);
    }
    return differences;
}
#endif

// Operands at every edge, paired with each other.
std::vector<Extended> EdgeOperands()
{
    std::vector<Extended> edges;
    for (const std::uint16_t sign : {std::uint16_t{0}, std::uint16_t{0x8000}}) {
        const auto add = [&](int exponent, std::uint64_t significand) {
            edges.push_back(Extended::FromBits(static_cast<std::uint16_t>(sign | exponent), significand));
        };
        add(0, 0);  // zero
        add(0, 1);  // smallest denormal
        add(0, kTop - 1);  // largest denormal
        add(0, kTop | 5);  // pseudo-denormal
        add(1, kTop);  // smallest normal
        add(0x7FFE, ~std::uint64_t{0});  // largest finite
        add(0x7FFF, kTop);  // infinity
        add(0x7FFF, 0xC000000000000000);  // quiet NaN
        add(0x7FFF, 0xC000000000000001);
        add(0x7FFF, kTop | 1);  // signaling NaN
        add(0x7FFF, kTop | 2);
        add(0x7FFF, 0);  // pseudo-infinity
        add(0x7FFF, 0x4000000000000000);  // pseudo-NaN
        add(16383, 0x4000000000000000);  // unnormal
        add(16383, 0);  // pseudo-zero
        for (const int e : {16383, 16383 + 1, 16383 + 62, 16383 + 63, 16383 + 64, 16383 - 1, 16383 - 2,
                 16383 + 1023, 16383 + 1024, 16383 - 1022, 16383 - 1023, 16383 - 1074, 16383 - 1075,
                 16383 - 1076, 8191, 24574, 2, 0x7FFD}) {
            add(e, kTop);
            add(e, kTop | 1);
            add(e, ~std::uint64_t{0});
            add(e, kTop | 0x400);  // a double's halfway point
            add(e, kTop | 0xC00);
            add(e, 0xC000000000000000);
        }
    }
    for (const double d : {1.0, 3.0, 10.0, 0.1, 1e18, std::numeric_limits<double>::max(),
             std::numeric_limits<double>::min(), std::numeric_limits<double>::denorm_min()}) {
        edges.push_back(Extended(d));
        edges.push_back(Extended(-d));
    }
    return edges;
}

// Every pair of edge operands, then `randomPairs` pairs from a fixed stream:
// every operation on each. ZENTORIX_DIFFERENTIAL_RUNS sets how many random
// pairs the x87 comparison takes (a long run: 10000000).
template <typename Visit> void ForEachPair(int randomPairs, Visit&& visit)
{
    const std::vector<Extended> edges = EdgeOperands();
    for (std::size_t i = 0; i < edges.size(); ++i)
        for (std::size_t j = 0; j < edges.size(); ++j)
            if (!visit(edges[i], edges[j], static_cast<std::int64_t>(i * 0x9E3779B97F4A7C15 >> j % 64)))
                return;
    Random random(20241208);
    for (int i = 0; i < randomPairs; ++i) {
        const Extended a = RandomOperand(random, 16383);
        const Extended b = RandomOperand(random, a.SignExponent() & 0x7FFF);
        const auto integer = static_cast<std::int64_t>(random.Next() >> random.Below(64));
        if (!visit(a, b, random.Below(2) != 0 ? integer : -integer))
            return;
    }
}

constexpr int kDigestPairs = 100000;

#ifdef ZENTORIX_HAVE_X87
TEST(Extended, EveryOperationIsTheX87s)
{
    const char* const runs = std::getenv("ZENTORIX_DIFFERENTIAL_RUNS");
    const int count = runs != nullptr ? std::atoi(runs) : 300000;
    int differences = 0;
    ForEachPair(count, [&](Extended a, Extended b, std::int64_t integer) {
        differences += CompareWithX87(a, b, integer);
        return differences < 20;
    });
    EXPECT_EQ(differences, 0);
}
#endif

// The same pairs on any machine give the x87's results: on x86 the test
// above checks them one by one; this digest is theirs.
TEST(Extended, DigestOfThePairsIsTheX87s)
{
    std::uint64_t digest = 0xCBF29CE484222325;  // FNV-1a
    const auto fold = [&](std::uint64_t word) {
        for (int i = 0; i < 8; ++i) {
            digest ^= (word >> (8 * i)) & 0xFF;
            digest *= 0x100000001B3;
        }
    };
    ForEachPair(kDigestPairs, [&](Extended a, Extended b, std::int64_t integer) {
        for (const Result& r : Software(a, b, integer)) {
            fold(r.significand);
            fold(std::uint64_t{r.signExponent} << 8 | r.raised);
        }
        return true;
    });
    EXPECT_EQ(digest, 0x5314ACCD34F16A7AULL) << std::hex << digest;
}

// The 32-bit targets' word arithmetic against the compiler's 128-bit integers.
#if defined(__SIZEOF_INT128__)
TEST(Wide, PortableProductsAndQuotients)
{
    Random random(7);
    for (int i = 0; i < 200000; ++i) {
        const std::uint64_t a = Significand(random) >> random.Below(4);
        const std::uint64_t b = Significand(random) >> random.Below(4);
        const wide::Pair product = wide::PortableProduct(a, b);
        const wide::Pair expected = wide::Product(a, b);
        ASSERT_EQ(product.high, expected.high) << a << " " << b;
        ASSERT_EQ(product.low, expected.low) << a << " " << b;

        const std::uint64_t divisor = kTop | b;
        const std::uint64_t high = a % divisor;
        const wide::Division q = wide::PortableQuotient(high, b, divisor);
        const wide::Division r = wide::Quotient(high, b, divisor);
        ASSERT_EQ(q.quotient, r.quotient) << high << " " << b << " " << divisor;
        ASSERT_EQ(q.remainder, r.remainder) << high << " " << b << " " << divisor;
    }
}
#endif

}  // namespace
}  // namespace zentorix
