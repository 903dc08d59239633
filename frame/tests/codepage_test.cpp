#include "frame/os/codepage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace zentorix {
namespace {

TEST(CodePage, SecondBytesByTheLeadByteRun)
{
    const struct {
        const char* name;
        std::string text;
        CodePage page;
        std::size_t index;
        bool second;
    } cases[] = {
        {"ASCII", "ab", CodePage::Gbk, 1, false},
        {"after one lead byte", "\xB5\x5C", CodePage::Gbk, 1, true},
        {"after two lead bytes", "\xB5\xB5\x5C", CodePage::Gbk, 2, false},
        {"after three lead bytes", "\xB5\xB5\xB5\x5C", CodePage::Gbk, 3, true},
        {"no lead bytes in UTF-8", "\xB5\x5C", CodePage::Utf8, 1, false},
        {"Shift_JIS lead", "\x81\x5C", CodePage::ShiftJis, 1, true},
        {"not a Shift_JIS lead", "\xA0\x5C", CodePage::ShiftJis, 1, false},
        {"first byte", "\x5C", CodePage::Gbk, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsSecondByte(c.page, c.text, c.index), c.second);
    }
}

TEST(CodePage, TrailBytes)
{
    const struct {
        CodePage page;
        unsigned char byte;
        bool trail;
    } cases[] = {
        {CodePage::Gbk, 0x5C, true},
        {CodePage::Big5, 0x5C, true},
        {CodePage::ShiftJis, 0x5C, true},
        {CodePage::Gbk, '.', false},
        {CodePage::Gbk, '/', false},
        {CodePage::ShiftJis, '.', false},
        {CodePage::Gbk, 0x7F, false},
        {CodePage::Big5, 0x80, false},
        {CodePage::ShiftJis, 0x80, true},
        {CodePage::Gbk, 0xFE, true},
        {CodePage::ShiftJis, 0xFD, false},
        {CodePage::Utf8, 0x5C, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.byte));
        EXPECT_EQ(IsTrailByte(c.page, c.byte), c.trail);
    }
}

// A path in a message: UTF-8 bytes converted to the code page; bytes that
// are not UTF-8 (a path named in the code page itself) left as they are.
TEST(CodePage, PathForMessage)
{
    std::string probe;
    if (!ConvertCharset("", "GBK", "UTF-8", probe))
        GTEST_SKIP() << "iconv has no GBK here (a cross build's libraries under qemu have none)";
    const SystemCharset gbk{CodePage::Gbk, "GBK"};
    const struct {
        const char* name;
        std::string path;
        SystemCharset charset;
        std::string shown;
    } cases[] = {
        {"UTF-8 under GBK", "/tmp/\xE5\xB8\xAE\xE5\x8A\xA9/zentorix.ini", gbk,
            "/tmp/\xB0\xEF\xD6\xFA/zentorix.ini"},
        {"GBK bytes under GBK", "/tmp/\xB0\xEF\xD6\xFA/zentorix.ini", gbk,
            "/tmp/\xB0\xEF\xD6\xFA/zentorix.ini"},
        {"UTF-8 under UTF-8", "/tmp/\xE5\xB8\xAE", SystemCharset{}, "/tmp/\xE5\xB8\xAE"},
        {"an overlong slash", "/tmp/\xC0\xAF", gbk, "/tmp/\xC0\xAF"},
        {"a surrogate", "/tmp/\xED\xA0\x80", gbk, "/tmp/\xED\xA0\x80"},
        {"a lone continuation byte", "/tmp/\x80", gbk, "/tmp/\x80"},
        {"cut short", "/tmp/\xE5\xB8", gbk, "/tmp/\xE5\xB8"},
        {"not in GBK", "/tmp/\xF0\x9F\x98\x80", gbk, "/tmp/?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PathForMessage(c.path, c.charset), c.shown);
    }
}

TEST(CodePage, ReadFromTheUsersLocale)
{
    const struct {
        const char* locale;
        CodePage page;
    } cases[] = {
        {"C", CodePage::Utf8},
        {"C.UTF-8", CodePage::Utf8},
        {"zh_CN.GBK", CodePage::Gbk},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        setenv("LC_ALL", c.locale, 1);
        EXPECT_EQ(ReadSystemCharset().page, c.page);
    }
    unsetenv("LC_ALL");
}

}  // namespace
}  // namespace zentorix
