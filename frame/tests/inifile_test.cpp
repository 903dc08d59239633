#include "frame/os/pathrule.h"
#include "frame/settings/inifile.h"
#include "tests/vectors.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace zentorix {
namespace {

// An accessor whose reader returns one text as it is, so that the number
// rules meet the exact text (the file reader drops blanks around values).
class FixedText : public TIniFile {
public:
    explicit FixedText(std::string text) : TIniFile("unused.ini"), text_(std::move(text)) { }
    std::string ReadText(std::string_view, std::string_view, std::string_view) const override
    {
        return text_;
    }

private:
    std::string text_;
};

TEST(ReadFlag, ValueTable)
{
    const struct {
        const char* why;
        std::vector<std::string> texts;
        bool chinese;
    } rows[] = {
        {"the number 0", {"0", "00", "-0", "+0", "$0", "x0", "X0", "0x0", "0X0"}, false},
        {"a number other than 0", {"1", "2", "-1", "0x10", "$ffffffff"}, true},
        {"not a number, so the default",
            {"0x", "$", "x", "-", "+", "- 0", "-$1", "-0x1", "0 1", "2147483648", "$100000000", ""}, true},
        {"leading spaces are passed over", {"   0"}, false},
        {"a tab is not passed over; a trailing space is not a digit", {"\t0", "0 "}, true},
    };
    for (const auto& row : rows) {
        for (const std::string& text : row.texts) {
            SCOPED_TRACE(row.why + std::string(": '") + text + "'");
            EXPECT_EQ(FixedText(text).ReadFlag("Setting", "bChinese", true), row.chinese);
        }
    }
}

TEST(TextToWhole, Numbers)
{
    const struct {
        const char* text;
        std::optional<std::int32_t> value;
    } cases[] = {
        {"0", 0},
        {"007", 7},
        {"-2147483648", -2147483647 - 1},
        {"2147483647", 2147483647},
        {"-2147483649", std::nullopt},
        {"2147483648", std::nullopt},
        {"21474836470", std::nullopt},
        {"$7FFFFFFF", 2147483647},
        {"$80000000", -2147483647 - 1},
        {"x000000001", 1},
        {"0xFFFFFFFF", -1},
        {"$fffffffff", std::nullopt},
        {"0x10", 16},
        {"$1g", std::nullopt},
        {"  -12", -12},
        {"", std::nullopt},
        {"   ", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TextToWhole(c.text), c.value);
    }
}

TEST(ReadNumber, EveryRowOfTheTable)
{
    const auto rows = test::ReadTable(std::string(ZENTORIX_TEST_DATA_DIR) + "/readnumber.tsv");
    ASSERT_GT(rows.size(), 100u);
    int failures = 0;
    for (const auto& fields : rows) {
        ASSERT_EQ(fields.size(), 4u);
        const FixedText accessor(test::Unescape(fields[0]));
        const std::int32_t number = accessor.ReadNumber("Setting", "bChinese", std::stoi(fields[1]));
        const bool flag = accessor.ReadFlag("Setting", "bChinese", true);
        if ((number != std::stoi(fields[2]) || flag != (fields[3] == "1")) && ++failures <= 20)
            ADD_FAILURE() << fields[0] << ": got " << number << " " << flag << ", expected " << fields[2]
                          << " " << fields[3];
    }
    EXPECT_EQ(failures, 0);
}

TEST(ReplaceExtension, Examples)
{
    const struct {
        const char* name;
        std::string path;
        CodePage page;
        std::string result;
    } cases[] = {
        {"extension replaced", "C:\\Tools\\Zentorix.exe", CodePage::Utf8, "C:\\Tools\\Zentorix.ini"},
        {"extension added", "C:\\Tools\\Zentorix", CodePage::Utf8, "C:\\Tools\\Zentorix.ini"},
        {"dotted folder, backslashes", "C:\\My.Tools\\Zentorix", CodePage::Utf8,
            "C:\\My.Tools\\Zentorix.ini"},
        {"dotted folder, slashes", "/home/user/my.tools/zentorix", CodePage::Utf8,
            "/home/user/my.tools/zentorix.ini"},
        {"Linux executable", "/usr/local/bin/zentorix", CodePage::Utf8, "/usr/local/bin/zentorix.ini"},
        {"drive only", "C:Zentorix", CodePage::Utf8, "C:Zentorix.ini"},
        {"other name", "/opt/x/Other.exe", CodePage::Utf8, "/opt/x/Other.ini"},
        // "\x95\x5C" is one GBK character whose second byte is "\": not a
        // delimiter there, so the dot before it starts the extension.
        {"GBK second byte 0x5C",
            "D:\\data.\x95\x5C"
            "1",
            CodePage::Gbk, "D:\\data.ini"},
        {"the same bytes in UTF-8",
            "D:\\data.\x95\x5C"
            "1",
            CodePage::Utf8,
            "D:\\data.\x95\x5C"
            "1.ini"},
        // "." and "/" are never second bytes: after a lead byte they still count.
        {"a dot after a GBK lead byte", "/x/\x81.y", CodePage::Gbk, "/x/\x81.ini"},
        {"a UTF-8 folder name read as GBK", "/opt/Zentorix v1.0 \xE7\x89\x88/zentorix", CodePage::Gbk,
            "/opt/Zentorix v1.0 \xE7\x89\x88/zentorix.ini"},
        {"a slash after a Big5 lead byte", "/a.b/\xA4/zentorix", CodePage::Big5, "/a.b/\xA4/zentorix.ini"},
        {"the same dot in UTF-8", "/x/\x81.y", CodePage::Utf8, "/x/\x81.ini"},
        {"empty path", "", CodePage::Utf8, ".ini"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReplaceExtension(c.path, ".ini", c.page), c.result);
    }
}

}  // namespace
}  // namespace zentorix
