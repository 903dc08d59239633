// The tables of conversion cases in data/, a text and what it reads as, or a
// value and the text it shows as. Every line must pass.
#include "calc/failures.h"
#include "calc/fpu.h"
#include "calc/numtext.h"
#include "test_support.h"
#include "tests/vectors.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace zentorix {
namespace {

std::vector<std::vector<std::string>> ReadTable(const std::string& name)
{
    return test::ReadTable(std::string(ZENTORIX_TEST_DATA_DIR) + "/" + name);
}

void CheckRealToText(const std::string& file, char mark)
{
    const auto rows = ReadTable(file);
    ASSERT_GT(rows.size(), 100u);
    test::MarkScope scope(mark);
    int failures = 0;
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 2u);
        const double value = test::DoubleFromBits(std::strtoull(row[0].c_str(), nullptr, 16));
        const std::string text = RealToText(value);
        if (text != row[1] && ++failures <= 20)
            ADD_FAILURE() << row[0] << ": got " << text << ", expected " << row[1];
    }
    EXPECT_EQ(failures, 0);
}

TEST(Vectors, RealToTextWithFullStop)
{
    CheckRealToText("realtotext.tsv", '.');
}

TEST(Vectors, RealToTextWithComma)
{
    CheckRealToText("realtotext-comma.tsv", ',');
}

TEST(Vectors, TextToRealAndTheStoreToDouble)
{
    const auto rows = ReadTable("texttoreal.tsv");
    ASSERT_GT(rows.size(), 100u);
    int failures = 0;
    for (const auto& row : rows) {
        ASSERT_GE(row.size(), 3u);
        const std::string text = test::Unescape(row[0]);
        test::MarkScope scope(row[1].at(0));
        std::string got;
        try {
            const Extended value = TextToReal(text);
            got = test::ExtendedHex(value);
            try {
                char hex[17];
                std::snprintf(hex, sizeof hex, "%016llX",
                    static_cast<unsigned long long>(test::BitsOfDouble(CheckedStore(value))));
                got += std::string("\t") + hex;
            } catch (const EOverflow&) {
                got += "\tOVF";
            }
        } catch (const EConvertError& failure) {
            got = "ERR";
            EXPECT_EQ(failure.Message(), "'" + text + "' is not a valid floating point value");
        }
        std::string expected = row[2];
        if (row.size() > 3)
            expected += "\t" + row[3];
        if (got != expected && ++failures <= 20)
            ADD_FAILURE() << row[0] << " (mark " << row[1] << "): got " << got << ", expected " << expected;
    }
    EXPECT_EQ(failures, 0);
}

}  // namespace
}  // namespace zentorix
