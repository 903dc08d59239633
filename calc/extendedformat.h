// The extended format as the operations see it: what an encoding means, and
// the one rounding step every result takes. Private to the numeric core
// (extended.cpp, extendedconvert.cpp, decimalform.cpp).
#pragma once

#include "extended.h"
#include "wide.h"

namespace zentorix::format {

using namespace condition;

constexpr int kBias = 16383;
constexpr int kTopExponent = 0x7FFF;  // infinities and NaNs
constexpr std::uint64_t kIntegerBit = std::uint64_t{1} << 63;
constexpr std::uint64_t kQuietBit = std::uint64_t{1} << 62;
constexpr std::uint64_t kHalf = std::uint64_t{1} << 63;  // of the word below the last kept bit

// The x87's default NaN, the result of an invalid operation.
constexpr Extended kIndefinite = Extended::FromBits(0xFFFF, 0xC000000000000000);

// ---------------------------------------------------------------------------
// Reading an operand. This is the one place that decides what an encoding
// means, including those the x87 calls unsupported:
// - a pseudo-denormal (exponent 0, integer bit set) is a denormal whose value
//   is that of exponent 1, as the x87 reads it;
// - an unnormal (exponent 1 to 7FFE, integer bit clear, pseudo-zero too), a
//   pseudo-infinity and a pseudo-NaN (exponent 7FFF, integer bit clear) are
//   invalid operands: the result is the default NaN and `kInvalid` is raised.
// None of them comes from a double or a text.

enum class Kind { Zero, Finite, Infinity, NaN, Unsupported };

struct Operand {
    Kind kind;
    bool negative;
    bool denormal;
    // Finite: the value is significand × 2^(exponent − kBias − 63), with the
    // significand's top bit set; the exponent is below 1 for a denormal.
    int exponent;
    std::uint64_t significand;
};

constexpr Operand Read(Extended value)
{
    const bool negative = value.IsNegative();
    const int biased = value.SignExponent() & 0x7FFF;
    const std::uint64_t significand = value.Significand();
    if (biased == kTopExponent) {
        if ((significand & kIntegerBit) == 0)
            return {Kind::Unsupported, negative, false, 0, 0};
        return {(significand << 1) == 0 ? Kind::Infinity : Kind::NaN, negative, false, biased, significand};
    }
    if (biased == 0) {
        if (significand == 0)
            return {Kind::Zero, negative, false, 0, 0};
        const int shift = std::countl_zero(significand);
        return {Kind::Finite, negative, true, 1 - shift, significand << shift};
    }
    if ((significand & kIntegerBit) == 0)
        return {Kind::Unsupported, negative, false, 0, 0};
    return {Kind::Finite, negative, false, biased, significand};
}

constexpr bool IsSignaling(Extended value)
{
    return (value.Significand() & kQuietBit) == 0;
}

constexpr Extended Quiet(Extended value)
{
    return Extended::FromBits(value.SignExponent(), value.Significand() | kQuietBit);
}

constexpr Extended Infinity(bool negative)
{
    return Extended::FromBits(negative ? 0xFFFF : 0x7FFF, kIntegerBit);
}

constexpr Extended Zero(bool negative)
{
    return Extended::FromBits(negative ? 0x8000 : 0, 0);
}

// ---------------------------------------------------------------------------
// Rounding. A result in the making is a significand with its top bit set, the
// word of bits below it (the first of them worth half the last significand
// bit, any other set bit making the rest nonzero) and an exponent that may lie
// outside the format's range.

// (high, low) shifted right by `count`, every bit shifted out kept in the
// lowest bit of `low`.
constexpr wide::Pair ShiftRightSticky(wide::Pair value, int count)
{
    if (count == 0)
        return value;
    if (count < 64) {
        const bool lost = (value.low << (64 - count)) != 0;
        return {value.high >> count, (value.high << (64 - count)) | (value.low >> count) | (lost ? 1 : 0)};
    }
    if (count < 128) {
        const std::uint64_t out = count == 64 ? 0 : value.high << (128 - count);
        const bool lost = out != 0 || value.low != 0;
        return {0, (count == 64 ? value.high : value.high >> (count - 64)) | (lost ? 1 : 0)};
    }
    return {0, (value.high | value.low) != 0 ? std::uint64_t{1} : 0};
}

constexpr bool RoundsUp(std::uint64_t kept, std::uint64_t below)
{
    return below > kHalf || (below == kHalf && (kept & 1) != 0);
}

// A result rounded to `kBits` significant bits: the significand holds them at
// its bottom, and the exponent is the target format's biased one, from 0 for
// a subnormal (or zero) to `kTop` and beyond for an overflow.
struct Rounded {
    int exponent;
    std::uint64_t significand;
};

// Rounds a result in the making (its exponent biased as in the target format,
// which may lie outside its range) to the extended format (kBits 64, kTop
// 7FFF) or a double (53, 7FF). Tiny is decided as the x87 does: after
// rounding to kBits as if the exponent had no lower bound. A subnormal result
// that rounds up into the smallest normal has its top bit set and exponent 1.
template <int kBits, int kTop>
[[gnu::always_inline]] inline Rounded Round(
    int exponent, std::uint64_t significand, std::uint64_t below, Conditions& raised)
{
    constexpr std::uint64_t kTopBit = std::uint64_t{1} << (kBits - 1);
    constexpr std::uint64_t kAllOnes = (kTopBit << 1) - 1;  // wraps for 64 bits
    std::uint64_t kept = significand >> (64 - kBits);
    if constexpr (kBits < 64)
        below = (significand << kBits) | (below != 0 ? 1 : 0);
    if (exponent <= 0) {
        const bool tiny = exponent < 0 || !RoundsUp(kept, below) || kept != kAllOnes;
        const wide::Pair shifted = ShiftRightSticky({kept, below}, 1 - exponent);
        kept = shifted.high;
        below = shifted.low;
        if (below != 0)
            raised |= tiny ? kInexact | kUnderflow : kInexact;
        if (RoundsUp(kept, below))
            ++kept;  // the top bit set now means the smallest normal
        return {(kept & kTopBit) != 0 ? 1 : 0, kept};
    }
    if (below != 0)
        raised |= kInexact;
    if (RoundsUp(kept, below) && ++kept == (kTopBit << 1)) {
        kept = kTopBit;
        ++exponent;
    }
    if (exponent >= kTop)
        raised |= kOverflow | kInexact;
    return {exponent, kept};
}

inline Extended RoundAndPack(
    bool negative, int exponent, std::uint64_t significand, std::uint64_t below, Conditions& raised)
{
    const Rounded rounded = Round<64, kTopExponent>(exponent, significand, below, raised);
    if (rounded.exponent >= kTopExponent)
        return Infinity(negative);
    return Extended::FromBits(
        static_cast<std::uint16_t>((negative ? 0x8000 : 0) | rounded.exponent), rounded.significand);
}

// A finite operand as it stands, normalised (a pseudo-denormal becomes normal).
inline Extended Pack(const Operand& value, Conditions& raised)
{
    return RoundAndPack(value.negative, value.exponent, value.significand, 0, raised);
}

// Denormal operands raise kDenormal once the operation has no NaN to return.
inline void NoteDenormals(const Operand& l, const Operand& r, Conditions& raised)
{
    if (l.denormal || r.denormal)
        raised |= kDenormal;
}

}  // namespace zentorix::format
