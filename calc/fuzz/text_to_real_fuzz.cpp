// TextToReal on any bytes, with either decimal mark (the first byte picks it):
// a number or EConvertError quoting the text, the calculator's unit untouched
// either way; and on x86 the same value, or the same failure, as the reading
// done step by step on the x87.
#include "calc/failures.h"
#include "calc/fpu.h"
#include "calc/numtext.h"
#include "calc/scale.h"
#include "calc/tests/x87.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

#ifdef ZENTORIX_HAVE_X87
// The same reading on the x87 itself: digits accumulated as
// A × 10 + digit, then scaled by the powers of ten from the same tables.
std::optional<long double> ReadOnX87(const std::string& text, char mark)
{
    using zentorix::x87::Load;
    const std::uint16_t control = zentorix::x87::kAllMasked;
    asm volatile("fninit\n\tfldcw %0" : : "m"(control));
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    volatile long double a = 0.0L;
    bool consumed = false;
    long long fraction = 0;
    for (bool afterMark = false;; ++i) {
        if (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            a = a * 10.0L;
            a = a + static_cast<long double>(text[i] - '0');
            consumed = true;
            fraction += afterMark;
        } else if (!afterMark && i < text.size() && text[i] == mark) {
            afterMark = consumed = true;
        } else {
            break;
        }
    }
    if (!consumed)
        return std::nullopt;
    int exponent = 0;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        bool minus = false;
        if (++i < text.size() && (text[i] == '+' || text[i] == '-'))
            minus = text[i++] == '-';
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && exponent < 500)
            exponent = exponent * 10 + (text[i++] - '0');
        exponent = minus ? -exponent : exponent;
    }
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i != text.size())
        return std::nullopt;
    const long long n = exponent - fraction;
    if (n >= 5120)
        a = __builtin_infl();
    else if (n <= -5120)
        a = 0.0L;
    else if (n != 0) {
        const long long m = n < 0 ? -n : n;
        using namespace zentorix::pow10;
        const zentorix::Extended steps[] = {kPow10Units[m % 32],
            m / 32 % 16 != 0 ? kPow10Thirtytwos[m / 32 % 16 - 1] : zentorix::Extended(1.0),
            m / 512 != 0 ? kPow10FiveTwelves[m / 512 - 1] : zentorix::Extended(1.0)};
        for (const zentorix::Extended& step : steps)
            a = n > 0 ? a * Load(step) : a / Load(step);
    }
    std::uint16_t status;
    asm volatile("fnstsw %0" : "=am"(status));
    if (status & (zentorix::condition::kInvalid | zentorix::condition::kOverflow))
        return std::nullopt;
    return negative ? -a : a;
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zentorix;
    if (size == 0)
        return 0;
    DecimalMark = (data[0] & 1) != 0 ? ',' : '.';
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::optional<Extended> value;
    try {
        value = TextToReal(text);
    } catch (const EConvertError& failure) {
        if (failure.Message() != "'" + text + "' is not a valid floating point value")
            std::abort();  // a failure must quote the text
    }
#ifdef ZENTORIX_HAVE_X87
    if (text.size() < 4096) {  // the step-by-step reading is slow on long texts
        const std::optional<long double> expected = ReadOnX87(text, DecimalMark);
        if (expected.has_value() != value.has_value())
            std::abort();
        if (value.has_value()) {
            const Extended reference = x87::Read(*expected);
            if (reference.SignExponent() != value->SignExponent()
                || reference.Significand() != value->Significand())
                std::abort();
        }
    }
#endif
    return 0;
}
