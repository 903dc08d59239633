#include "extended.h"

#include "wide.h"

#include <optional>
#include <utility>

namespace zentorix {
namespace {

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

// The NaN result of an operation with a NaN operand, as the x87 chooses it:
// a signaling NaN is invalid and made quiet; of two NaNs a quiet one wins
// over a signaling one, and otherwise the larger significand.
Extended PropagateNaN(Extended left, const Operand& l, Extended right, const Operand& r, Conditions& raised)
{
    const bool leftNaN = l.kind == Kind::NaN;
    const bool rightNaN = r.kind == Kind::NaN;
    if ((leftNaN && IsSignaling(left)) || (rightNaN && IsSignaling(right)))
        raised |= kInvalid;
    if (!rightNaN)
        return Quiet(left);
    if (!leftNaN)
        return Quiet(right);
    if (IsSignaling(left) != IsSignaling(right))
        return IsSignaling(left) ? Quiet(right) : Quiet(left);
    if (left.Significand() != right.Significand())
        return Quiet(left.Significand() > right.Significand() ? left : right);
    return Quiet(left.IsNegative() ? right : left);
}

// The result of an operation of two operands when either is not a number:
// the default NaN for an unsupported encoding, else the NaN propagated.
[[gnu::always_inline]] inline std::optional<Extended> NaNResult(
    Extended left, const Operand& l, Extended right, const Operand& r, Conditions& raised)
{
    if (l.kind == Kind::Unsupported || r.kind == Kind::Unsupported) {
        raised |= kInvalid;
        return kIndefinite;
    }
    if (l.kind == Kind::NaN || r.kind == Kind::NaN)
        return PropagateNaN(left, l, right, r, raised);
    return std::nullopt;
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

Extended RoundAndPack(
    bool negative, int exponent, std::uint64_t significand, std::uint64_t below, Conditions& raised)
{
    const Rounded rounded = Round<64, kTopExponent>(exponent, significand, below, raised);
    if (rounded.exponent >= kTopExponent)
        return Infinity(negative);
    return Extended::FromBits(
        static_cast<std::uint16_t>((negative ? 0x8000 : 0) | rounded.exponent), rounded.significand);
}

// A finite operand as it stands, normalised (a pseudo-denormal becomes normal).
Extended Pack(const Operand& value, Conditions& raised)
{
    return RoundAndPack(value.negative, value.exponent, value.significand, 0, raised);
}

// Denormal operands raise kDenormal once the operation has no NaN to return.
void NoteDenormals(const Operand& l, const Operand& r, Conditions& raised)
{
    if (l.denormal || r.denormal)
        raised |= kDenormal;
}

Extended AddSigned(Extended left, Extended right, bool subtract, Conditions& raised)
{
    Operand l = Read(left);
    Operand r = Read(right);
    if (const std::optional<Extended> nan = NaNResult(left, l, right, r, raised))
        return *nan;
    NoteDenormals(l, r, raised);
    r.negative ^= subtract;

    if (l.kind == Kind::Infinity || r.kind == Kind::Infinity) {
        if (l.kind == Kind::Infinity && r.kind == Kind::Infinity && l.negative != r.negative) {
            raised |= kInvalid;
            return kIndefinite;
        }
        return Infinity(l.kind == Kind::Infinity ? l.negative : r.negative);
    }
    if (r.kind == Kind::Zero) {
        if (l.kind == Kind::Zero)
            return Zero(l.negative && r.negative);  // +0 unless both are −0
        return Pack(l, raised);
    }
    if (l.kind == Kind::Zero)
        return Pack(r, raised);

    // The larger magnitude first: its sign is the result's.
    if (l.exponent < r.exponent || (l.exponent == r.exponent && l.significand < r.significand))
        std::swap(l, r);
    const wide::Pair small = ShiftRightSticky({r.significand, 0}, l.exponent - r.exponent);
    int exponent = l.exponent;
    if (l.negative == r.negative) {
        wide::Pair sum{l.significand + small.high, small.low};
        if (sum.high < l.significand) {  // carried out of the significand
            sum = ShiftRightSticky(sum, 1);
            sum.high |= kIntegerBit;
            ++exponent;
        }
        return RoundAndPack(l.negative, exponent, sum.high, sum.low, raised);
    }
    // Subtraction of the smaller magnitude. When it cancels more than one bit
    // the exponents differed by at most one, so nothing was lost in `small`.
    wide::Pair difference{l.significand - small.high - (small.low != 0 ? 1 : 0), 0 - small.low};
    if (difference.high == 0 && difference.low == 0)
        return Zero(false);  // x − x is +0 when rounding to nearest
    const int shift
        = difference.high != 0 ? std::countl_zero(difference.high) : 64 + std::countl_zero(difference.low);
    if (shift >= 64) {
        difference = {difference.low << (shift - 64), 0};
    } else if (shift > 0) {
        difference = {(difference.high << shift) | (difference.low >> (64 - shift)), difference.low << shift};
    }
    return RoundAndPack(l.negative, exponent - shift, difference.high, difference.low, raised);
}

}  // namespace

Extended Add(Extended left, Extended right, Conditions& raised) noexcept
{
    return AddSigned(left, right, false, raised);
}

Extended Subtract(Extended left, Extended right, Conditions& raised) noexcept
{
    return AddSigned(left, right, true, raised);
}

Extended Multiply(Extended left, Extended right, Conditions& raised) noexcept
{
    const Operand l = Read(left);
    const Operand r = Read(right);
    if (const std::optional<Extended> nan = NaNResult(left, l, right, r, raised))
        return *nan;
    const bool negative = l.negative != r.negative;
    if (l.kind == Kind::Infinity || r.kind == Kind::Infinity) {
        if (l.kind == Kind::Zero || r.kind == Kind::Zero) {
            raised |= kInvalid;
            return kIndefinite;
        }
        NoteDenormals(l, r, raised);
        return Infinity(negative);
    }
    NoteDenormals(l, r, raised);
    if (l.kind == Kind::Zero || r.kind == Kind::Zero)
        return Zero(negative);

    // The product of two significands in [2^63, 2^64) lies in [2^126, 2^128).
    wide::Pair product = wide::Product(l.significand, r.significand);
    int exponent = l.exponent + r.exponent - kBias + 1;
    if ((product.high & kIntegerBit) == 0) {
        product = {(product.high << 1) | (product.low >> 63), product.low << 1};
        --exponent;
    }
    return RoundAndPack(negative, exponent, product.high, product.low, raised);
}

Extended Divide(Extended dividend, Extended divisor, Conditions& raised) noexcept
{
    const Operand l = Read(dividend);
    const Operand r = Read(divisor);
    if (const std::optional<Extended> nan = NaNResult(dividend, l, divisor, r, raised))
        return *nan;
    const bool negative = l.negative != r.negative;
    if ((l.kind == Kind::Infinity && r.kind == Kind::Infinity)
        || (l.kind == Kind::Zero && r.kind == Kind::Zero)) {
        raised |= kInvalid;
        return kIndefinite;
    }
    if (r.kind == Kind::Zero && l.kind != Kind::Infinity) {
        raised |= kZeroDivide;  // ahead of a denormal dividend, as on the x87
        return Infinity(negative);
    }
    NoteDenormals(l, r, raised);
    if (l.kind == Kind::Infinity)
        return Infinity(negative);
    if (l.kind == Kind::Zero || r.kind == Kind::Infinity)
        return Zero(negative);

    // One division of the dividend's significand, shifted up a word, by the
    // divisor's gives the 64 significant bits; the remainder decides the rest.
    int exponent = l.exponent - r.exponent + kBias;
    std::uint64_t significand;
    std::uint64_t below;
    if (l.significand >= r.significand) {
        // The quotient lies in [1, 2): 2^64 plus the quotient of the excess.
        const wide::Division q = wide::Quotient(l.significand - r.significand, 0, r.significand);
        significand = kIntegerBit | (q.quotient >> 1);
        below = ((q.quotient & 1) != 0 ? kHalf : 0) | (q.remainder != 0 ? 1 : 0);
    } else {
        // The quotient lies in [1/2, 1); the next bit is 2·remainder ≥ divisor.
        const wide::Division q = wide::Quotient(l.significand, 0, r.significand);
        significand = q.quotient;
        --exponent;
        if (q.remainder >= r.significand - q.remainder)
            below = kHalf | (q.remainder - (r.significand - q.remainder) != 0 ? 1 : 0);
        else
            below = q.remainder != 0 ? 1 : 0;
    }
    return RoundAndPack(negative, exponent, significand, below, raised);
}

Extended RoundToWhole(Extended value, Conditions& raised) noexcept
{
    const Operand v = Read(value);
    switch (v.kind) {
    case Kind::Unsupported:
        raised |= kInvalid;
        return kIndefinite;
    case Kind::NaN:
        if (IsSignaling(value))
            raised |= kInvalid;
        return Quiet(value);
    case Kind::Zero:
    case Kind::Infinity:
        return value;
    case Kind::Finite:
        break;
    }
    if (v.denormal)
        raised |= kDenormal;
    const int fractionBits = kBias + 63 - v.exponent;
    if (fractionBits <= 0)
        return Pack(v, raised);  // already whole
    std::uint64_t whole = 0;
    std::uint64_t below = v.significand;  // for fractionBits 64: all of it is fraction
    if (fractionBits < 64) {
        whole = v.significand >> fractionBits;
        below = v.significand << (64 - fractionBits);
    } else if (fractionBits > 64) {
        below = 1;  // below one half: only whether it is nonzero counts
    }
    if (below != 0)
        raised |= kInexact;
    if (RoundsUp(whole, below))
        ++whole;
    return Extended::FromWhole(whole, v.negative);
}

double StoreToDouble(Extended value, Conditions& raised) noexcept
{
    const Operand v = Read(value);
    const std::uint64_t sign = v.negative ? std::uint64_t{1} << 63 : 0;
    constexpr std::uint64_t kInfinityBits = std::uint64_t{0x7FF} << 52;
    switch (v.kind) {
    case Kind::Unsupported:
        raised |= kInvalid;
        return std::bit_cast<double>(std::uint64_t{0xFFF8000000000000});
    case Kind::NaN:
        if (IsSignaling(value))
            raised |= kInvalid;
        // The top 52 bits below the integer bit, made quiet.
        return std::bit_cast<double>(
            sign | kInfinityBits | ((value.Significand() & ~kIntegerBit) >> 11) | (std::uint64_t{1} << 51));
    case Kind::Infinity:
        return std::bit_cast<double>(sign | kInfinityBits);
    case Kind::Zero:
        return std::bit_cast<double>(sign);
    case Kind::Finite:
        break;
    }

    // The double's biased exponent, which may be out of its range.
    const Rounded rounded = Round<53, 0x7FF>(v.exponent - kBias + 1023, v.significand, 0, raised);
    if (rounded.exponent >= 0x7FF)
        return std::bit_cast<double>(sign | kInfinityBits);
    // The significand's top bit is the exponent field's lowest: set, it
    // encodes exponent 1, so a subnormal and the smallest normal pack alike.
    const std::uint64_t field
        = rounded.exponent > 1 ? static_cast<std::uint64_t>(rounded.exponent - 1) << 52 : 0;
    return std::bit_cast<double>(sign | (field + rounded.significand));
}

Ordering Compare(Extended left, Extended right, Conditions& raised) noexcept
{
    const Operand l = Read(left);
    const Operand r = Read(right);
    if (l.kind == Kind::Unsupported || r.kind == Kind::Unsupported || l.kind == Kind::NaN
        || r.kind == Kind::NaN) {
        raised |= kInvalid;
        return Ordering::Unordered;
    }
    NoteDenormals(l, r, raised);
    // Order the magnitudes as (rank, exponent, significand), then apply the signs.
    const auto rank = [](const Operand& o) {
        return o.kind == Kind::Zero ? 0 : o.kind == Kind::Finite ? 1 : 2;
    };
    const auto magnitude = [&](const Operand& operand) {
        return std::pair{rank(operand), std::pair{operand.exponent, operand.significand}};
    };
    if (l.kind == Kind::Zero && r.kind == Kind::Zero)
        return Ordering::Equal;
    if (l.negative != r.negative)
        return l.negative ? Ordering::Less : Ordering::Greater;
    const auto a = magnitude(l);
    const auto b = magnitude(r);
    if (a == b)
        return Ordering::Equal;
    return (a < b) != l.negative ? Ordering::Less : Ordering::Greater;
}

}  // namespace zentorix
