#include "calc/scale.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace zentorix {
namespace {

struct Nearest {
    std::uint64_t significand;
    int exponent;  // of the significand's top bit
    bool operator==(const Nearest&) const = default;
};

// 10^k rounded to a 64-bit significand (nearest, ties to even), computed with
// exact multi-word integers: an implementation independent of the tables.
Nearest NearestPowerOfTen(int k)
{
    std::vector<std::uint32_t> words{1};  // little-endian base 2^32
    for (int i = 0; i < k; ++i) {
        std::uint64_t carry = 0;
        for (auto& word : words) {
            const std::uint64_t product = std::uint64_t{word} * 10 + carry;
            word = static_cast<std::uint32_t>(product);
            carry = product >> 32;
        }
        if (carry != 0)
            words.push_back(static_cast<std::uint32_t>(carry));
    }
    const int length = static_cast<int>(words.size() * 32) - std::countl_zero(words.back());
    const auto bit = [&](int i) { return (words[static_cast<std::size_t>(i / 32)] >> (i % 32)) & 1u; };

    std::uint64_t significand = 0;
    const int lowest = length - 64;
    for (int i = length - 1; i >= std::max(lowest, 0); --i)
        significand = (significand << 1) | bit(i);
    if (lowest < 0)
        return {significand << -lowest, length - 1};

    const bool round = lowest > 0 && bit(lowest - 1);
    bool sticky = false;
    for (int i = 0; i < lowest - 1; ++i)
        sticky = sticky || bit(i);
    int exponent = length - 1;
    if (round && (sticky || (significand & 1))) {
        if (++significand == 0) {
            significand = std::uint64_t{1} << 63;
            ++exponent;
        }
    }
    return {significand, exponent};
}

Nearest Decompose(Extended value)
{
    return {value.Significand(), (value.SignExponent() & 0x7FFF) - 16383};
}

TEST(ScaleByPowerOfTen, EveryTableEntryIsTheNearestExtended)
{
    std::vector<int> powers;
    for (int a = 0; a < 32; ++a)
        powers.push_back(a);
    for (int b = 1; b < 16; ++b)
        powers.push_back(32 * b);
    for (int c = 1; c < 10; ++c)
        powers.push_back(512 * c);
    for (const int k : powers) {
        SCOPED_TRACE(k);
        // Scaling 1 by a single entry's power returns that entry unchanged.
        Conditions raised = 0;
        EXPECT_EQ(Decompose(ScaleByPowerOfTen(1.0, k, raised)), NearestPowerOfTen(k));
    }
}

TEST(ScaleByPowerOfTen, Limits)
{
    const Extended infinity = Extended::FromBits(0x7FFF, std::uint64_t{1} << 63);
    const struct {
        const char* name;
        Extended y;
        std::int64_t n;
        Extended expected;
    } cases[] = {
        {"n = 0 returns y", 0.1, 0, 0.1},
        {"largest n", 1.0, 5119, infinity},
        {"n = 5120 is infinity", 0.0, 5120, infinity},
        {"even for a negative y", -3.0, 6000, infinity},
        {"n = -5120 is zero", 5.0, -5120, 0.0},
        {"whole numbers are exact", 3.0, 20, 3e20},
        {"division for n < 0", 25.0, -6, Extended::FromBits(0x3FEF, 0xD1B71758E219652C)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Conditions raised = 0;
        const Extended result = ScaleByPowerOfTen(c.y, c.n, raised);
        EXPECT_EQ(result.SignExponent(), c.expected.SignExponent());
        EXPECT_EQ(result.Significand(), c.expected.Significand());
    }
}

}  // namespace
}  // namespace zentorix
