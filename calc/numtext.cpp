#include "numtext.h"

#include "decimalform.h"
#include "failures.h"
#include "fpu.h"
#include "scale.h"

#include <cstdint>
#include <cstring>
#include <langinfo.h>
#include <locale.h>

namespace zentorix {

char DecimalMark = '.';

char ReadDecimalMark() noexcept
{
    const locale_t locale = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr))
        return '.';
    const char* radix = nl_langinfo_l(RADIXCHAR, locale);
    const char mark = (radix != nullptr && radix[0] != '\0' && radix[1] == '\0') ? radix[0] : '.';
    freelocale(locale);
    return mark;
}

void RefreshDecimalMark() noexcept
{
    DecimalMark = ReadDecimalMark();
}

// ---------------------------------------------------------------------------
// RealToText

namespace {

char* WriteExponent(int exponent, char* out)
{
    if (exponent < 0) {
        *out++ = '-';
        exponent = -exponent;
    }
    char reversed[8];
    int count = 0;
    do {
        reversed[count++] = static_cast<char>('0' + exponent % 10);
        exponent /= 10;
    } while (exponent != 0);
    while (count != 0)
        *out++ = reversed[--count];
    return out;
}

}  // namespace

std::string RealToText(long double value)
{
    const char mark = DecimalMark;
    const DecimalForm form = ToDecimalForm(value, 15);
    if (form.DecimalExponent == kInfinityExponent)
        return form.IsNegative ? "-INF" : "INF";
    if (form.DecimalExponent == kNaNExponent)
        return "NAN";

    const char* digits = form.DigitChars;
    const int count = static_cast<int>(std::strlen(digits));
    if (count == 0)
        return "0";  // zero of either sign

    char buffer[64];
    char* out = buffer;
    if (form.IsNegative)
        *out++ = '-';
    const int exponent = form.DecimalExponent;
    if (exponent > 15 || exponent < -3) {
        *out++ = digits[0];
        if (count > 1) {
            *out++ = mark;
            out = std::copy(digits + 1, digits + count, out);
        }
        *out++ = 'E';
        out = WriteExponent(exponent - 1, out);
    } else if (exponent > 0) {
        const int whole = std::min(exponent, count);
        out = std::copy(digits, digits + whole, out);
        out = std::fill_n(out, exponent - whole, '0');
        if (count > exponent) {
            *out++ = mark;
            out = std::copy(digits + exponent, digits + count, out);
        }
    } else {
        *out++ = '0';
        *out++ = mark;
        out = std::fill_n(out, -exponent, '0');
        out = std::copy(digits, digits + count, out);
    }
    return std::string(buffer, out);
}

// ---------------------------------------------------------------------------
// TextToReal

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A = A × 10 + digit, each step rounded to extended. While A fits in 64 bits
// every step is exact in extended, so a whole-number accumulator gives the
// same value faster; it hands over to extended arithmetic when it would not fit.
class Accumulator {
public:
    explicit Accumulator(long double zero) : extended_(zero) { }

    void Take(unsigned digit)
    {
        if (exact_) {
            if (whole_ <= kWholeLimit) {
                whole_ = whole_ * 10 + digit;
                return;
            }
            extended_ += static_cast<long double>(whole_);
            exact_ = false;
        }
        extended_ *= 10;
        extended_ += static_cast<long double>(digit);
    }

    long double Value() const { return exact_ ? extended_ + static_cast<long double>(whole_) : extended_; }

private:
    static constexpr std::uint64_t kWholeLimit = (UINT64_MAX - 9) / 10;
    std::uint64_t whole_ = 0;
    long double extended_;  // starts as the zero that cleared the flags
    bool exact_ = true;
};

[[noreturn]] void FailConversion(std::string_view text)
{
    asm volatile("fnclex");
    std::string message;
    message.reserve(text.size() + 40);
    message += '\'';
    message += text;
    message += "' is not a valid floating point value";
    throw EConvertError(std::move(message));
}

}  // namespace

long double TextToReal(std::string_view text)
{
    const char mark = DecimalMark;
    // The accumulator starts from this zero, so no arithmetic can be moved
    // ahead of the flag clearing. Every condition stays masked throughout.
    long double zero;
    asm volatile("fnclex\n\t"
                 "fldz"
                 : "=t"(zero));

    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end && *p == ' ')
        ++p;
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }

    Accumulator accumulator(zero);
    bool consumed = false;
    for (; p != end && IsDigit(*p); ++p) {
        accumulator.Take(static_cast<unsigned>(*p - '0'));
        consumed = true;
    }
    std::int64_t fractionDigits = 0;
    if (p != end && *p == mark) {
        consumed = true;
        for (++p; p != end && IsDigit(*p); ++p) {
            accumulator.Take(static_cast<unsigned>(*p - '0'));
            ++fractionDigits;
        }
    }
    if (!consumed)
        FailConversion(text);

    std::int64_t exponent = 0;
    if (p != end && (*p == 'E' || *p == 'e')) {
        ++p;
        bool negativeExponent = false;
        if (p != end && (*p == '+' || *p == '-')) {
            negativeExponent = *p == '-';
            ++p;
        }
        // Digits stop right after the one that makes the exponent reach 500:
        // a longer exponent leaves a digit unread and so fails below.
        int digits = 0;
        while (p != end && IsDigit(*p)) {
            digits = digits * 10 + (*p++ - '0');
            if (digits >= 500)
                break;
        }
        exponent = negativeExponent ? -digits : digits;
    }
    while (p != end && *p == ' ')
        ++p;
    if (p != end)
        FailConversion(text);

    long double value = ScaleByPowerOfTen(accumulator.Value(), exponent - fractionDigits);
    if (negative)
        value = -value;

    std::uint16_t status;
    asm volatile("fnstsw %0\n\t"
                 "fnclex"
                 : "=a"(status)
                 : "f"(value));
    if (status & (kInvalidFlag | kOverflowFlag))
        FailConversion(text);
    return value;
}

// ---------------------------------------------------------------------------
// TrimText

std::string TrimText(std::string_view text)
{
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first != last && blank(text[first]))
        ++first;
    while (last != first && blank(text[last - 1]))
        --last;
    return std::string(text.substr(first, last - first));
}

}  // namespace zentorix
