#include "decimalform.h"

#include "scale.h"

#include <algorithm>
#include <bit>
#include <cstring>

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

// Round to a whole number in the current rounding mode (nearest, ties to even).
long double RoundToWhole(long double y)
{
    asm("frndint" : "+t"(y));
    return y;
}

// Writes the decimal digits of `n` (not 0) and a NUL; returns the digit count.
int WriteDigits(std::uint64_t n, char* out)
{
    char reversed[20];
    int count = 0;
    for (; n != 0; n /= 10)
        reversed[count++] = static_cast<char>('0' + n % 10);
    std::reverse_copy(reversed, reversed + count, out);
    out[count] = '\0';
    return count;
}

}  // namespace

DecimalForm ToDecimalForm(long double value, int precision)
{
    precision = std::clamp(precision, 1, 17);
    DecimalForm form;

    // Step 1-2: the special values, read from the bits of the extended format.
    unsigned char bytes[sizeof(long double)];
    std::memcpy(bytes, &value, sizeof bytes);
    std::uint64_t significand;
    std::uint16_t signAndExponent;
    std::memcpy(&significand, bytes, 8);
    std::memcpy(&signAndExponent, bytes + 8, 2);
    const bool negative = (signAndExponent & 0x8000) != 0;
    const int biased = signAndExponent & 0x7FFF;
    const bool integerBit = (significand >> 63) != 0;
    if (biased == 0x7FFF) {
        if ((significand << 1) == 0) {
            form.DecimalExponent = kInfinityExponent;
            form.IsNegative = negative;
        } else {
            form.DecimalExponent = kNaNExponent;
        }
        return form;
    }
    if (significand == 0)
        return form;
    if (biased != 0 && !integerBit) {  // an unnormal: the x87 rejects it as an operand
        form.DecimalExponent = kNaNExponent;
        return form;
    }

    // Step 3: |value| = m × 2^e with 1 ≤ m < 2; estimate E from e × log10(2).
    const int e = biased != 0 ? biased - 16383 : (63 - std::countl_zero(significand)) - 16445;
    int exponent = ((e * 19728) >> 16) + 1;

    // Steps 4-5: scale to an 18-digit whole number. The estimate can be one
    // too low (Y reaches 10^18) or, for some tiny doubles, one too high
    // (Y stays below 10^17); either is corrected once.
    long double y = RoundToWhole(ScaleByPowerOfTen(negative ? -value : value, 18 - exponent));
    if (y >= 1e18L) {
        y = RoundToWhole(y / 10.0L);
        ++exponent;
    } else if (y < 1e17L) {
        y *= 10.0L;  // exact: a whole number below 10^17
        --exponent;
    }
    const auto digits18 = static_cast<std::uint64_t>(y);

    // Step 7: keep `precision` digits, deciding on the next one alone.
    std::uint64_t kept = digits18 / kPow10[17 - precision];
    const unsigned decider = static_cast<unsigned>(kept % 10);
    kept /= 10;
    if (decider >= 5)
        ++kept;
    if (kept == kPow10[precision]) {  // the carry ran past the first digit
        kept = 1;
        ++exponent;
    }
    while (kept != 0 && kept % 10 == 0)
        kept /= 10;

    form.DecimalExponent = static_cast<std::int16_t>(exponent);
    if (kept == 0)
        return form;
    form.IsNegative = negative;
    WriteDigits(kept, form.DigitChars);
    return form;
}

}  // namespace zentorix
