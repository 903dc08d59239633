#include "calc/failures.h"
#include "calc/fpu.h"
#include "calc/numtext.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace zentorix {
namespace {

using test::MarkScope;

TEST(RealToText, DocumentedExamples)
{
    const struct {
        const char* name;
        Extended value;
        char mark;
        const char* text;
    } cases[] = {
        {"one", 1.0, '.', "1"},
        {"half", 0.5, '.', "0.5"},
        {"third", 1.0 / 3.0, '.', "0.333333333333333"},
        {"two thirds", 2.0 / 3.0, '.', "0.666666666666667"},
        {"1E20", 1e20, '.', "1E20"},
        {"1E-5", 0.00001, '.', "1E-5"},
        {"2.5E-5", 0.000025, '.', "2.5E-5"},
        {"0.0001 stays plain", 0.0001, '.', "0.0001"},
        {"18 digits", 123456789012345678.0, '.', "1.23456789012346E17"},
        {"0.1 + 0.2", 0.30000000000000004, '.', "0.3"},
        {"1E15 is scientific", 1e15, '.', "1E15"},
        {"1E14 is plain", 1e14, '.', "100000000000000"},
        {"fifteen nines", 999999999999999.0, '.', "999999999999999"},
        {"rounds up to 1E15", 999999999999999.9, '.', "1E15"},
        {"half at the 16th digit", 100000000000000.5, '.', "100000000000001"},
        {"just below one", 0.9999999999999999, '.', "1"},
        {"negative", -2.5, '.', "-2.5"},
        {"negative zero", -0.0, '.', "0"},
        {"largest double", std::numeric_limits<double>::max(), '.', "1.79769313486232E308"},
        {"smallest subnormal", std::numeric_limits<double>::denorm_min(), '.', "4.94065645841247E-324"},
        {"infinity", std::numeric_limits<double>::infinity(), '.', "INF"},
        {"negative infinity", -std::numeric_limits<double>::infinity(), '.', "-INF"},
        {"not a number", -std::numeric_limits<double>::quiet_NaN(), '.', "NAN"},
        {"pseudo-infinity, an invalid operand", Extended::FromBits(0x7FFF, 0), '.', "NAN"},
        {"pseudo-zero, an invalid operand", Extended::FromBits(0x3FFF, 0), '.', "NAN"},
        {"comma half", 0.5, ',', "0,5"},
        {"comma 2.5E-5", 0.000025, ',', "2,5E-5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MarkScope mark(c.mark);
        EXPECT_EQ(RealToText(c.value), c.text);
    }
}

// Between 2^-877 and 1E-264, and between 2^-681 and 1E-205, the decimal
// exponent estimate is one too high: the digits are scaled up once more so the
// text still starts with a significant digit and keeps 15 of them.
TEST(RealToText, ExponentEstimateOneTooHigh)
{
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {9.9241610332960957E-265, "9.9241610332961E-265"},  // 2^-877
        {9.967194951097568e-206, "9.96719495109757E-206"},  // 2^-681
        {9.99e-265, "9.99E-265"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(RealToText(c.value), c.text);
    }
}

TEST(TextToReal, AcceptedTexts)
{
    const struct {
        const char* text;
        char mark;
        const char* value;  // the 80 bits
    } cases[] = {
        {" 1.5 ", '.', "3FFFC000000000000000"},
        {"+7", '.', "4001E000000000000000"},
        {"007", '.', "4001E000000000000000"},
        {".5", '.', "3FFE8000000000000000"},
        {"5.", '.', "4001A000000000000000"},
        {".", '.', "00000000000000000000"},
        {"-.", '.', "80000000000000000000"},
        {"1e3", '.', "4008FA00000000000000"},
        {"1E-3", '.', "3FF583126E978D4FDF3B"},
        {"2.5E-005", '.', "3FEFD1B71758E219652C"},
        {"1e0000000005", '.', "400FC350000000000000"},
        {"1e", '.', "3FFF8000000000000000"},
        {"1e+", '.', "3FFF8000000000000000"},
        {"1,5", ',', "3FFFC000000000000000"},
        {"1e-400", '.', "3ACE95FE7E07C91EFAFA"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        MarkScope mark(c.mark);
        EXPECT_EQ(test::ExtendedHex(TextToReal(c.text)), c.value);
    }
}

TEST(TextToReal, NegativeZeroShowsAsZero)
{
    EXPECT_EQ(RealToText(TextToReal("-.")), "0");
}

TEST(TextToReal, RejectedTextsQuoteTheWholeText)
{
    const struct {
        std::string text;
        char mark;
    } cases[] = {
        {"", '.'},
        {"   ", '.'},
        {"e5", '.'},
        {"- 5", '.'},
        {"1 2", '.'},
        {"0x10", '.'},
        {"INF", '.'},
        {"NAN", '.'},
        {"1,5", '.'},
        {"\t1", '.'},
        {"1e5000", '.'},
        {"1e4999", '.'},
        {"1.5", ','},
        {"0.5", ','},
        {"1,000", '.'},
        {"+-1", '.'},
        {"1e5 5", '.'},
        {"1..2", '.'},
        {"-", '.'},
        {"1e1.5", '.'},
        {std::string("1\0", 2), '.'},
        {"\xB5\xE7", '.'},
        {"1\t", '.'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        MarkScope mark(c.mark);
        try {
            TextToReal(c.text);
            ADD_FAILURE() << "converted";
        } catch (const EConvertError& failure) {
            EXPECT_EQ(failure.Message(), "'" + c.text + "' is not a valid floating point value");
        }
    }
}

TEST(TextToReal, BeyondTheDoubleRangeFailsOnlyWhenStored)
{
    const Extended big = TextToReal("1e600");
    EXPECT_THROW(
        {
            try {
                CheckedStore(big);
            } catch (const EOverflow& failure) {
                EXPECT_EQ(failure.Message(), "Floating point overflow");
                throw;
            }
        },
        EOverflow);
    const double tiny = CheckedStore(TextToReal("1e-400"));
    EXPECT_EQ(tiny, 0.0);
    EXPECT_EQ(RealToText(tiny), "0");
}

TEST(TextToReal, ThirtyDigitsShowInScientificForm)
{
    EXPECT_EQ(RealToText(CheckedStore(TextToReal("123456789012345678901234567890"))), "1.23456789012346E29");
}

TEST(TextToReal, MarkChangeMakesAShownTextFail)
{
    const std::string shown = RealToText(0.5);
    MarkScope comma(',');
    EXPECT_THROW(TextToReal(shown), EConvertError);
}

// Any byte string either converts or fails with EConvertError, in one pass.
TEST(TextToReal, HostileInput)
{
    const std::size_t megabyte = 1 << 20;
    const struct {
        const char* name;
        std::string text;
        bool converts;
        double value;
    } cases[] = {
        {"a megabyte of digits", std::string(megabyte, '9'), false, 0},
        {"a megabyte of zeros", std::string(megabyte, '0'), true, 0.0},
        {"a megabyte of blanks", std::string(megabyte, ' '), false, 0},
        // Every digit is accumulated, so a long fraction leaves the extended range.
        {"a megabyte of fraction", "1." + std::string(megabyte, '7'), false, 0},
        {"leading zeros", std::string(megabyte, '0') + "25e-1", true, 2.5},
        {"a tiny fraction", "0." + std::string(megabyte, '0') + "1", true, 0.0},
        {"a megabyte of high bytes", std::string(megabyte, '\xFF'), false, 0},
        {"NUL bytes", std::string(64, '\0'), false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.converts) {
            EXPECT_EQ(CheckedStore(TextToReal(c.text)), c.value);
        } else {
            EXPECT_THROW(TextToReal(c.text), EConvertError);
        }
    }
}

TEST(TrimText, Examples)
{
    const struct {
        std::string text;
        std::string trimmed;
    } cases[] = {
        {"\t 2.5 \r", "2.5"},
        {"   ", ""},
        {"", ""},
        {"\n1\n", "1"},
        {" 1 2 ", "1 2"},
        {"\x7F", "\x7F"},
        {"\xB5\xE7 ", "\xB5\xE7"},
        {std::string("\0 x\0", 4), "x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TrimText(c.text), c.trimmed);
    }
}

// The mark comes from LC_NUMERIC without changing the process locale.
TEST(DecimalMark, ReadFromTheUsersLocale)
{
    const char* saved = std::getenv("LC_ALL");
    const std::string restore = saved ? saved : "";
    const struct {
        const char* locale;
        char mark;
    } cases[] = {
        {"C", '.'},
        {"C.UTF-8", '.'},
        {"de_DE.UTF-8", ','},
        {"no_SUCH.locale", '.'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        setenv("LC_ALL", c.locale, 1);
        EXPECT_EQ(ReadDecimalMark(), c.mark);
    }
    MarkScope keep(DecimalMark);
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    RefreshDecimalMark();
    EXPECT_EQ(DecimalMark, ',');
    if (saved)
        setenv("LC_ALL", restore.c_str(), 1);
    else
        unsetenv("LC_ALL");
}

}  // namespace
}  // namespace zentorix
