#include "extended.h"

#include "extendedformat.h"

#include <bit>
#include <utility>

namespace zentorix {

using namespace format;

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
