#include "decimalform.h"

#include "extendedformat.h"
#include "littleword.h"
#include "scale.h"

#include <algorithm>
#include <bit>

namespace zentorix {
namespace {

constexpr std::uint64_t kPow10[] = {
    1ULL,
    10ULL,
    100ULL,
    1000ULL,
    10000ULL,
    100000ULL,
    1000000ULL,
    10000000ULL,
    100000000ULL,
    1000000000ULL,
    10000000000ULL,
    100000000000ULL,
    1000000000000ULL,
    10000000000000ULL,
    100000000000000ULL,
    1000000000000000ULL,
    10000000000000000ULL,
    100000000000000000ULL,
    1000000000000000000ULL,
};

// The whole number nearest to `y` (ties to even), which must lie below 2^64.
std::uint64_t RoundToUint64(Extended y)
{
    Conditions ignored = 0;
    const format::Operand whole = format::Read(RoundToWhole(y, ignored));
    if (whole.kind != format::Kind::Finite)
        return 0;
    return whole.significand >> (format::kBias + 63 - whole.exponent);
}

// The eight digits of `n` (below 10^8) as characters in one word, the first
// in the lowest byte. The number is split into halves, quarters and digits
// lane by lane within the word, each division by a constant a multiplication
// and a shift that is exact in the lane's range. (calc_bench, RealToChars,
// typed / printed / random bits: 80 / 71 / 97 ns writing one digit at a time,
// 58 / 70 / 94 ns with two digits at a time from a table, 57 / 66 / 87 ns so.)
std::uint64_t EightDigitChars(std::uint32_t n)
{
    // Two 4-digit lanes of 32 bits, the leading half first.
    std::uint64_t x = n / 10000 | std::uint64_t{n % 10000} << 32;
    // v / 100 = v × 10486 >> 20 for v < 10^4: two 2-digit lanes of 16 bits in each.
    const std::uint64_t hundreds = (x * 10486 >> 20) & 0x0000007F0000007F;
    x = hundreds | (x - hundreds * 100) << 16;
    // v / 10 = v × 103 >> 10 for v < 100: one digit in each byte.
    const std::uint64_t tens = (x * 103 >> 10) & 0x000F000F000F000F;
    x = tens | (x - tens * 10) << 8;
    return x | 0x3030303030303030;
}

// How many "0" characters end the eight in `word`.
int TrailingZeroChars(std::uint64_t word)
{
    word ^= 0x3030303030303030;  // "0" bytes become 0; the last character is the top byte
    return word == 0 ? 8 : std::countl_zero(word) / 8;
}

// `word` with only its first `count` characters (0 to 8); the others become NUL.
std::uint64_t FirstChars(std::uint64_t word, int count)
{
    return count >= 8 ? word : word & ((std::uint64_t{1} << (8 * count)) - 1);
}

// Writes the `count` digits of `n` (below 10^count, count at most 17) without
// their trailing zeros at `out`, whose bytes from the 17th on are NUL.
//
// The digits are built as two words of eight characters, shifted to drop the
// leading zeros, masked to drop the trailing ones, and stored whole.
void WriteDigitsWithoutTrailingZeros(std::uint64_t n, int count, char* out)
{
    const std::uint64_t rest = n % kPow10[16];
    std::uint64_t first = EightDigitChars(static_cast<std::uint32_t>(rest / kPow10[8]));
    std::uint64_t second = EightDigitChars(static_cast<std::uint32_t>(rest % kPow10[8]));
    int zeros = TrailingZeroChars(second);
    if (zeros == 8)
        zeros += TrailingZeroChars(first);
    if (count == 17) {  // a seventeenth digit goes in front of the sixteen
        *out++ = static_cast<char>('0' + n / kPow10[16]);
        count = 16;
    }

    const int dropped = 16 - count;  // leading "0" characters
    if (dropped >= 8) {
        first = second >> (8 * (dropped - 8));
        second = 0;
    } else if (dropped > 0) {
        first = (first >> (8 * dropped)) | (second << (64 - 8 * dropped));
        second >>= 8 * dropped;
    }
    const int left = std::max(count - zeros, 0);  // 0 only after a seventeenth digit
    first = FirstChars(first, std::min(left, 8));
    second = FirstChars(second, std::max(left - 8, 0));
    StoreLittleWord(first, out);
    StoreLittleWord(second, out + 8);
}

// The special values, as the operations read them: true, with `form` filled
// in, for zero, an infinity, a NaN or an encoding the x87 does not support
// (shown as a NaN, the result it gives for one).
bool IsSpecial(Extended value, DecimalForm& form)
{
    switch (format::Read(value).kind) {
    case format::Kind::Finite:
        return false;
    case format::Kind::Zero:
        return true;
    case format::Kind::Infinity:
        form.DecimalExponent = kInfinityExponent;
        form.IsNegative = value.IsNegative();
        return true;
    case format::Kind::NaN:
    case format::Kind::Unsupported:
        form.DecimalExponent = kNaNExponent;
        return true;
    }
    return true;
}

// The decimal exponent E of a finite `value` (value = 0.d1d2… × 10^E),
// estimated from its binary exponent: exact, or one too low or too high.
int EstimateDecimalExponent(Extended value)
{
    // |value| = m × 2^e with 1 ≤ m < 2, and log10(2) ≈ 19728 / 2^16.
    const int e = format::Read(value).exponent - format::kBias;
    return ((e * 19728) >> 16) + 1;
}

// |value| as an 18-digit whole number, rounded to nearest, ties to even;
// `exponent`, the estimate, is corrected once where it was off.
std::uint64_t EighteenDigits(Extended value, int& exponent)
{
    Conditions ignored = 0;
    const Extended y = ScaleByPowerOfTen(value.Magnitude(), 18 - exponent, ignored);
    // In whole numbers from here, Y < 2 × 10^18 < 2^63 once rounded: the
    // extended quotient Y / 10 lies within 1/128 of the exact one, so
    // rounding it to a whole number gives the exact quotient rounded to
    // nearest, ties to even.
    std::uint64_t digits = RoundToUint64(y);
    if (digits >= kPow10[18]) {  // the estimate was one too low
        const std::uint64_t quotient = digits / 10;
        const std::uint64_t remainder = digits % 10;
        digits = quotient + (remainder > 5 || (remainder == 5 && (quotient & 1) != 0));
        ++exponent;
    } else if (digits < kPow10[17]) {  // one too high, for some tiny doubles
        digits *= 10;
        --exponent;
    }
    return digits;
}

// The first `precision` of 18 digits, rounded half up on the next digit
// alone; a carry past the first digit moves `exponent` up.
std::uint64_t KeepDigits(std::uint64_t digits18, int precision, int& exponent)
{
    // The program's precision divides by a constant, which compiles to a
    // multiplication (calc_bench, RealToChars, random bits: 101 ns dividing
    // by a power of ten from the table, 87 ns so).
    std::uint64_t kept = precision == 15 ? digits18 / 100 : digits18 / kPow10[17 - precision];
    const unsigned decider = static_cast<unsigned>(kept % 10);
    kept /= 10;
    if (decider >= 5)
        ++kept;
    if (kept == kPow10[precision]) {
        kept = kPow10[precision - 1];
        ++exponent;
    }
    return kept;
}

}  // namespace

DecimalForm ToDecimalForm(Extended value, int precision)
{
    precision = std::clamp(precision, 1, 17);
    DecimalForm form;
    if (IsSpecial(value, form))
        return form;
    int exponent = EstimateDecimalExponent(value);
    const std::uint64_t kept = KeepDigits(EighteenDigits(value, exponent), precision, exponent);
    form.DecimalExponent = static_cast<std::int16_t>(exponent);
    if (kept == 0)
        return form;
    form.IsNegative = value.IsNegative();
    int count = precision;
    while (count > 1 && kept < kPow10[count - 1])  // never, once Y has 18 digits
        --count;
    WriteDigitsWithoutTrailingZeros(kept, count, form.DigitChars);
    return form;
}

}  // namespace zentorix
