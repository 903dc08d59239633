// The 80-bit extended format of the number rules, in software, so that every
// machine computes the same digits: a sign, a 15-bit biased exponent and a
// 64-bit significand whose top bit is the explicit integer bit, as the x87
// unit holds them.
//
// The operations are those of the x87 at precision 64, rounding to nearest
// (ties to even), with every condition masked: each gives the masked result
// and adds the conditions it raised to `raised`. Whether a condition is a
// fault is the caller's question (see fpu.h).
#pragma once

#include <bit>
#include <cstdint>

namespace zentorix {

// Conditions, as the low bits of the x87 status word.
using Conditions = std::uint8_t;
namespace condition {
constexpr Conditions kInvalid = 0x01;
constexpr Conditions kDenormal = 0x02;  // an operand was denormal
constexpr Conditions kZeroDivide = 0x04;
constexpr Conditions kOverflow = 0x08;
constexpr Conditions kUnderflow = 0x10;  // tiny and inexact
constexpr Conditions kInexact = 0x20;
constexpr Conditions kAll = 0x3F;
}  // namespace condition

class Extended {
public:
    constexpr Extended() noexcept = default;  // +0

    // Exact: every double is an extended value. Callers pass doubles.
    constexpr Extended(double value) noexcept;  // NOLINT(google-explicit-constructor)

    static constexpr Extended FromBits(std::uint16_t signExponent, std::uint64_t significand) noexcept
    {
        Extended value;
        value.signExponent_ = signExponent;
        value.significand_ = significand;
        return value;
    }

    // Exact, as the x87 loads a 64-bit integer; the unsigned form takes the
    // whole numbers an accumulator of digits holds.
    static constexpr Extended FromInteger(std::int64_t value) noexcept;
    static constexpr Extended FromWhole(std::uint64_t value, bool negative = false) noexcept;

    constexpr std::uint16_t SignExponent() const noexcept { return signExponent_; }
    constexpr std::uint64_t Significand() const noexcept { return significand_; }

    constexpr bool IsNegative() const noexcept { return (signExponent_ & 0x8000) != 0; }
    // The sign changed or dropped, raising nothing (fchs, fabs).
    constexpr Extended Negated() const noexcept { return FromBits(signExponent_ ^ 0x8000, significand_); }
    constexpr Extended Magnitude() const noexcept { return FromBits(signExponent_ & 0x7FFF, significand_); }

private:
    std::uint64_t significand_ = 0;
    std::uint16_t signExponent_ = 0;
};

Extended Add(Extended left, Extended right, Conditions& raised) noexcept;
Extended Subtract(Extended left, Extended right, Conditions& raised) noexcept;
Extended Multiply(Extended left, Extended right, Conditions& raised) noexcept;
Extended Divide(Extended dividend, Extended divisor, Conditions& raised) noexcept;
// The nearest whole number, ties to even (frndint).
Extended RoundToWhole(Extended value, Conditions& raised) noexcept;
// Rounded to double (nearest, ties to even; subnormal where tiny), as a
// store to memory does.
double StoreToDouble(Extended value, Conditions& raised) noexcept;

enum class Ordering { Less, Equal, Greater, Unordered };
// As fcom: a NaN operand is unordered and invalid.
Ordering Compare(Extended left, Extended right, Conditions& raised) noexcept;

// ---------------------------------------------------------------------------

constexpr Extended::Extended(double value) noexcept
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const auto sign = static_cast<std::uint16_t>((bits >> 63) != 0 ? 0x8000 : 0);
    const auto exponent = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t fraction = bits & 0xFFFFFFFFFFFFF;
    if (exponent == 0x7FF) {
        // Infinity, or a NaN made quiet as the x87 loads it.
        signExponent_ = sign | 0x7FFF;
        significand_
            = (std::uint64_t{1} << 63) | (fraction << 11) | (fraction != 0 ? std::uint64_t{1} << 62 : 0);
    } else if (exponent != 0) {
        signExponent_ = static_cast<std::uint16_t>(sign | (exponent - 1023 + 16383));
        significand_ = (std::uint64_t{1} << 63) | (fraction << 11);
    } else if (fraction != 0) {  // a subnormal double is a normal extended value
        const int shift = std::countl_zero(fraction);
        signExponent_ = static_cast<std::uint16_t>(sign | (16383 + 63 - 1074 - shift));
        significand_ = fraction << shift;
    } else {
        signExponent_ = sign;
    }
}

constexpr Extended Extended::FromWhole(std::uint64_t value, bool negative) noexcept
{
    const std::uint16_t sign = negative ? 0x8000 : 0;
    if (value == 0)
        return FromBits(sign, 0);
    const int shift = std::countl_zero(value);
    return FromBits(static_cast<std::uint16_t>(sign | (16383 + 63 - shift)), value << shift);
}

constexpr Extended Extended::FromInteger(std::int64_t value) noexcept
{
    // fild gives +0 for 0.
    const bool negative = value < 0;
    const std::uint64_t magnitude
        = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    return FromWhole(magnitude, negative);
}

}  // namespace zentorix
