// Handing files to the desktop: the URL made from a path's bytes, and the
// launcher run without waiting, its exit status reported back; text between
// Qt and the code page.
#include "frame/os/codepage.h"
#include "frame/os/launch.h"
#include "frame/shell.h"
#include "frame/textcodec.h"
#include "temp_folder.h"

#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <optional>
#include <sys/stat.h>

namespace zentorix {
namespace {

TEST(FileUrl, EncodesEveryByteOutsideTheUnreservedSet)
{
    const struct {
        const char* name;
        std::string path;
        std::string url;
    } cases[] = {
        {"plain", "/opt/zentorix-1.0/zentorix_x.chm", "file:///opt/zentorix-1.0/zentorix_x.chm"},
        {"blank, percent, hash, query", "/a b/%#?.chm", "file:///a%20b/%25%23%3F.chm"},
        {"UTF-8", "/帮助/z.chm", "file:///%E5%B8%AE%E5%8A%A9/z.chm"},
        {"not UTF-8", "/\xFF\xFE/z.chm", "file:///%FF%FE/z.chm"},
        {"GBK with a backslash trail byte", "/\xB0\x5C/z.chm", "file:///%B0%5C/z.chm"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FileUrl(c.path), c.url);
    }
}

// Between UTF-8 and GBK, one "?" for each character the other side lacks.
TEST(ConvertCharset, OneQuestionMarkPerCharacter)
{
    const struct {
        const char* name;
        std::string input;
        const char* to;
        const char* from;
        std::string output;
    } cases[] = {
        {"Chinese", "电阻", "GBK", "UTF-8", "\xB5\xE7\xD7\xE8"},
        {"an emoji (four bytes)",
            "a\xF0\x9F\x98\x80"
            "b",
            "GBK", "UTF-8", "a?b"},
        {"a Hangul syllable (three bytes)", "\xED\x95\x9C!", "GBK", "UTF-8", "?!"},
        {"a stray continuation byte", "\x80x", "GBK", "UTF-8", "?x"},
        {"a sequence cut at the end", "x\xE7\x89", "GBK", "UTF-8", "x?"},
        {"GBK back to UTF-8", "\xB5\xE7", "UTF-8", "GBK", "电"},
        {"a byte GBK does not use",
            "\xFF"
            "a",
            "UTF-8", "GBK", "?a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string output;
        ASSERT_TRUE(ConvertCharset(c.input, c.to, c.from, output));
        EXPECT_EQ(output, c.output);
    }
}

// The launcher's answer, waited for in the main loop (at most 10 s).
std::optional<bool> RunAndWait(const std::vector<std::string>& command)
{
    std::optional<bool> result;
    QEventLoop loop;
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    RunLauncher(command, [&](bool ok) {
        result = ok;
        loop.quit();
    });
    if (!result)
        loop.exec();
    return result;
}

TEST(RunLauncher, ReportsTheLaunchersExitStatus)
{
    test::TempFolder folder;
    const std::string log = folder.Path("arguments");
    const struct {
        const char* name;
        const char* script;  // nothing: no such program
        bool ok;
        bool childrenIgnored = false;  // SIGCHLD=SIG_IGN inherited by the program
    } cases[] = {
        {"succeeds", "exit 0", true},
        {"reports failure", "exit 4", false},
        {"killed", "kill -9 $$", false},
        {"not on PATH", nullptr, false},
        {"succeeds, SIGCHLD ignored", "exit 0", true, true},
        {"reports failure, SIGCHLD ignored", "exit 4", false, true},
    };
    const std::string saved = std::getenv("PATH");
    setenv("PATH", (folder.Path() + ":/usr/bin:/bin").c_str(), 1);
    const std::string url = FileUrl("/\xFF 帮助/z.chm");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(folder.Path("launcher"));
        std::filesystem::remove(log);
        if (c.script != nullptr) {
            test::WriteFile(folder.Path("launcher"),
                std::string("#!/bin/sh\nprintf '%s' \"$1\" >'") + log + "'\n" + c.script + "\n");
            chmod(folder.Path("launcher").c_str(), 0755);
        }
        std::signal(SIGCHLD, c.childrenIgnored ? SIG_IGN : SIG_DFL);
        EXPECT_EQ(RunAndWait({"launcher", url}), std::optional(c.ok));
        std::signal(SIGCHLD, SIG_DFL);
        if (c.script != nullptr) {
            EXPECT_EQ(test::ReadFile(log), url) << "the URL reaches the launcher byte for byte";
        }
    }
    setenv("PATH", saved.c_str(), 1);
}

}  // namespace
}  // namespace zentorix
