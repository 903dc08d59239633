#include "frame/os/exepath.h"
#include "frame/os/pathrule.h"
#include "frame/settings/inidatas.h"
#include "frame/settings/inifile.h"
#include "frame/settings/profile.h"
#include "profile_check.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <stdexcept>

namespace zentorix {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

// Gives a file or folder (a link itself, not what it names) to another user;
// a test whose files stayed root's would prove nothing.
void GiveTo(const std::string& path, uid_t user, gid_t group)
{
    if (lchown(path.c_str(), user, group) != 0)
        throw std::runtime_error("cannot give " + path + " to another user");
}

TEST(WithProfileValue, KeepsEveryOtherByte)
{
    const struct {
        const char* name;
        std::string before;
        std::string after;
    } cases[] = {
        {"new file", "", "[Setting]\nbChinese=0\n"},
        {"key replaced in place", "[Setting]\nbChinese=1\n", "[Setting]\nbChinese=0\n"},
        {"other sections, comments, blank lines",
            "; settings\n[Other]\nbChinese=1\n\n[Setting]\n  BCHINESE = 1 ; old\nother=2\n\n[Last]\nx=y",
            "; settings\n[Other]\nbChinese=1\n\n[Setting]\nbChinese=0\nother=2\n\n[Last]\nx=y"},
        {"CRLF line ends", "[Setting]\r\nbChinese=1\r\nx=1\r\n", "[Setting]\r\nbChinese=0\r\nx=1\r\n"},
        {"CRLF kept for new lines", "[A]\r\nx=1\r\n", "[A]\r\nx=1\r\n[Setting]\r\nbChinese=0\r\n"},
        {"byte-order mark", "\xEF\xBB\xBF[setting]\nbChinese=1\n", "\xEF\xBB\xBF[setting]\nbChinese=0\n"},
        {"key added after the section's last entry", "[Setting]\nx=1\n\n[B]\n",
            "[Setting]\nx=1\nbChinese=0\n\n[B]\n"},
        {"section line without a line end", "[Setting]", "[Setting]\nbChinese=0\n"},
        {"last line without a line end", "[A]\nx=1", "[A]\nx=1\n[Setting]\nbChinese=0\n"},
        {"first of a doubled key", "[Setting]\nbChinese=1\nbChinese=1\n",
            "[Setting]\nbChinese=0\nbChinese=1\n"},
        {"first of a doubled section", "[Setting]\nx=1\n[Setting]\nbChinese=1\n",
            "[Setting]\nx=1\nbChinese=0\n[Setting]\nbChinese=1\n"},
        {"a bare CR ends the file", "[Setting\r", "[Setting\r\nbChinese=0\r\n"},
        {"a bare CR after the section's last entry", "[Setting]\nx=1\r", "[Setting]\nx=1\r\nbChinese=0\n"},
        {"NUL bytes and garbage kept", test::Bytes("\0\xFF\x01junk\n"),
            test::Bytes("\0\xFF\x01junk\n") + "[Setting]\nbChinese=0\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WithProfileValue(c.before, "Setting", "bChinese", "0"), c.after);
    }
}

// For any file: after a write the key reads back with the value written, and
// the only bytes that changed are those of the key's own line (or none, when
// the key was added). Random files built from the pieces that matter.
TEST(WithProfileValue, WriteThenReadAnyFile)
{
    const char* const pieces[]
        = {"[Setting]", "[ setting ]", "[Setting", "[Other]", "bChinese=1", " BCHINESE = 0 ", "bChinese",
            "x=1", "=", "[", "]", "\n", "\n", "\r\n", "\r", " ", "\t", "\xEF\xBB\xBF", ";c", "\xFF"};
    std::mt19937 random(20261208);
    TempFolder folder;
    const std::string path = folder.Path("random.ini");
    for (int round = 0; round < 3000; ++round) {
        std::string contents;
        for (int n = std::uniform_int_distribution(0, 12)(random); n > 0; --n)
            contents += pieces[std::uniform_int_distribution<std::size_t>(0, std::size(pieces) - 1)(random)];
        const std::string value = round % 2 == 0 ? "0" : "1";
        const std::string after = WithProfileValue(contents, "Setting", "bChinese", value);
        SCOPED_TRACE(::testing::PrintToString(contents));
        ASSERT_EQ(ProfileValueIn(after, "Setting", "bChinese"), value) << ::testing::PrintToString(after);
        ASSERT_TRUE(test::AtMostOneLineChanged(contents, after)) << ::testing::PrintToString(after);
        // Now and then through a file: the file's writer and reader agree.
        if (round % 100 == 0) {
            WriteFile(path, contents);
            ASSERT_TRUE(WriteProfileValue(path, "Setting", "bChinese", value));
            EXPECT_EQ(ReadFile(path), after);
            EXPECT_EQ(ReadProfileValue(path, "Setting", "bChinese"), value);
        }
    }
}

TEST(ReadProfileValue, FileRules)
{
    const struct {
        const char* name;
        std::string contents;
        std::optional<std::string> value;
    } cases[] = {
        {"plain", "[Setting]\nbChinese=0\n", "0"},
        {"blanks and tabs around", "[ Setting ]\n\t bChinese \t= \t0 \t\n", "0"},
        {"CRLF", "[Setting]\r\nbChinese=0\r\n", "0"},
        {"names in any case", "[SETTING]\nBCHINESE=0\n", "0"},
        {"byte-order mark", "\xEF\xBB\xBF[Setting]\nbChinese=0\n", "0"},
        {"first of a doubled key", "[Setting]\nbChinese=0\nbChinese=1\n", "0"},
        {"first of a doubled section", "[Setting]\nx=1\n[Setting]\nbChinese=0\n", std::nullopt},
        {"key in another section", "[Other]\nbChinese=0\n", std::nullopt},
        {"key before any section", "bChinese=0\n[Setting]\n", std::nullopt},
        {"empty value", "[Setting]\nbChinese=\n", ""},
        {"no section", "", std::nullopt},
        {"binary garbage", test::Bytes("\0\xFF[Setting\n\x01=\x02\n"), std::nullopt},
        {"value with a NUL", test::Bytes("[Setting]\nbChinese=0\0"), test::Bytes("0\0")},
    };
    TempFolder folder;
    const std::string path = folder.Path("settings.ini");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(path, c.contents);
        EXPECT_EQ(ReadProfileValue(path, "Setting", "bChinese"), c.value);
    }
}

TEST(ReadProfileValue, OnlyRegularFiles)
{
    TempFolder folder;
    EXPECT_EQ(ReadProfileValue(folder.Path("missing.ini"), "Setting", "bChinese"), std::nullopt);
    std::filesystem::create_directory(folder.Path("folder.ini"));
    EXPECT_EQ(ReadProfileValue(folder.Path("folder.ini"), "Setting", "bChinese"), std::nullopt);
    ASSERT_EQ(mkfifo(folder.Path("fifo.ini").c_str(), 0600), 0);
    EXPECT_EQ(ReadProfileValue(folder.Path("fifo.ini"), "Setting", "bChinese"), std::nullopt);
}

TEST(TIniFile, LongValuesAreCutTo2047Bytes)
{
    TempFolder folder;
    const std::string path = folder.Path("settings.ini");
    WriteFile(path, "[Setting]\nbChinese=" + std::string(10000, '7') + "\n");
    const TIniFile file(path);
    EXPECT_EQ(file.ReadText("Setting", "bChinese", ""), std::string(2047, '7'));
    // Cut, 2047 zeros read as 0 (English); whole, the trailing 1 would make it 1.
    WriteFile(path, "[Setting]\nbChinese=" + std::string(2047, '0') + "1\n");
    EXPECT_FALSE(file.ReadFlag("Setting", "bChinese", true));
}

// Settings records beside an executable in a temporary folder.
class SettingsRecord : public ::testing::Test {
protected:
    void SetUp() override { OverrideExecutablePath(folder.Path("zentorix")); }
    void TearDown() override { OverrideExecutablePath(""); }
    std::string IniPath() const { return folder.Path("zentorix.ini"); }
    TempFolder folder;
};

TEST_F(SettingsRecord, FirstRunCreatesTheFileOnlyAtTheEnd)
{
    for (const bool chinese : {true, false}) {
        SCOPED_TRACE(chinese);
        std::filesystem::remove(IniPath());
        {
            TIniDatas record;
            EXPECT_EQ(record.IniFileName, IniPath());
            EXPECT_TRUE(record.bChinese);
            EXPECT_FALSE(std::filesystem::exists(IniPath()));
            record.bChinese = chinese;
        }
        EXPECT_EQ(ReadFile(IniPath()), chinese ? "[Setting]\nbChinese=1\n" : "[Setting]\nbChinese=0\n");
    }
}

TEST_F(SettingsRecord, ChangedFlagKeepsEveryOtherLine)
{
    const std::string before
        = "; Zentorix\n\n[Window]\nleft=10\n\n[Setting]\nbChinese=1\ntheme=dark\n\n[Z]\nq=1\n";
    WriteFile(IniPath(), before);
    ASSERT_EQ(chmod(IniPath().c_str(), 0640), 0);
    const bool root = geteuid() == 0;  // only root can give a file away
    if (root) {
        GiveTo(IniPath(), 65534, 65534);
    }
    {
        TIniDatas record;
        EXPECT_TRUE(record.bChinese);
        record.bChinese = false;
    }
    struct stat status;
    ASSERT_EQ(stat(IniPath().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(status.st_uid, root ? 65534u : geteuid()) << "the owner is kept";
    EXPECT_EQ(ReadFile(IniPath()),
        "; Zentorix\n\n[Window]\nleft=10\n\n[Setting]\nbChinese=0\ntheme=dark\n\n[Z]\nq=1\n");
    TIniDatas again;
    EXPECT_FALSE(again.bChinese);
}

TEST_F(SettingsRecord, TheCopyThatEndsLastWins)
{
    {
        auto first = std::make_unique<TIniDatas>();
        auto second = std::make_unique<TIniDatas>();
        first->bChinese = false;
        second->bChinese = true;
        second.reset();
        first.reset();
    }
    EXPECT_EQ(ReadFile(IniPath()), "[Setting]\nbChinese=0\n");
}

// Two processes saving over and over: a reader only ever sees one whole file.
TEST_F(SettingsRecord, ConcurrentSavesNeverMix)
{
    WriteFile(IniPath(), "[Setting]\nbChinese=1\n");
    pid_t writers[2];
    for (int i = 0; i < 2; ++i) {
        writers[i] = fork();
        if (writers[i] == 0) {
            for (int round = 0; round < 300; ++round) {
                TIniDatas record;
                record.bChinese = i == 0;
            }
            _exit(0);
        }
    }
    int mixed = 0;
    for (int round = 0; round < 2000; ++round) {
        const std::string contents = ReadFile(IniPath());
        if (contents != "[Setting]\nbChinese=1\n" && contents != "[Setting]\nbChinese=0\n")
            ++mixed;
    }
    for (const pid_t writer : writers) {
        int status = 0;
        waitpid(writer, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(mixed, 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1)
        << "a temporary file was left";
}

TEST_F(SettingsRecord, FollowsSymbolicLinks)
{
    std::filesystem::create_directory(folder.Path("real"));
    std::filesystem::create_symlink("real/settings.ini", IniPath());  // dangling at first
    {
        TIniDatas record;
        record.bChinese = false;
    }
    EXPECT_TRUE(std::filesystem::is_symlink(IniPath()));
    EXPECT_EQ(ReadFile(folder.Path("real/settings.ini")), "[Setting]\nbChinese=0\n");
}

struct WriteFailure {
    const char* name;
    std::function<void(const std::string& ini, const std::string& folder)> prepare;
    bool chineseRead;
};

// Whatever stops the write, loading gives the flag in the file (or the
// default), saving raises "Unable to write to <path>" and the file is left as
// it was.
TEST_F(SettingsRecord, UnwritableFiles)
{
    const WriteFailure cases[] = {
        {"read-only file",
            [](const std::string& ini, const std::string&) {
                WriteFile(ini, "[Setting]\nbChinese=0\n");
                chmod(ini.c_str(), 0444);
            },
            false},
        {"a directory in its place",
            [](const std::string& ini, const std::string&) { std::filesystem::create_directory(ini); }, true},
        {"a read-only file behind a link",
            [](const std::string& ini, const std::string& place) {
                WriteFile(place + "/target.ini", "[Setting]\nbChinese=0\n");
                chmod((place + "/target.ini").c_str(), 0400);
                std::filesystem::create_symlink("target.ini", ini);
            },
            false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(IniPath());
        std::filesystem::remove_all(folder.Path("target.ini"));
        c.prepare(IniPath(), folder.Path());
        const std::string before = std::filesystem::is_regular_file(IniPath()) ? ReadFile(IniPath()) : "";
        TIniDatas record;
        EXPECT_EQ(record.bChinese, c.chineseRead);
        try {
            record.Save();
            ADD_FAILURE() << "saved";
        } catch (const EIniFileException& failure) {
            EXPECT_EQ(failure.Message(), "Unable to write to " + IniPath());
        }
        if (std::filesystem::is_regular_file(IniPath())) {
            EXPECT_EQ(ReadFile(IniPath()), before);
        }
        std::filesystem::permissions(
            IniPath(), std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    }
}

// Root writes into any folder: the write is tried as an unprivileged user.
TEST_F(SettingsRecord, UnwritableFolder)
{
    WriteFile(IniPath(), "[Setting]\nbChinese=0\n");
    chmod(IniPath().c_str(), 0644);
    chmod(folder.Path().c_str(), 0555);
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(10);
        TIniDatas record;
        if (record.bChinese)
            _exit(11);
        try {
            record.Save();
            _exit(12);
        } catch (const EIniFileException& failure) {
            _exit(failure.Message() == "Unable to write to " + IniPath() ? 0 : 13);
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    chmod(folder.Path().c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0)
        << "10: could not drop privileges, 11: flag not read, 12: saved, 13: message";
    EXPECT_EQ(ReadFile(IniPath()), "[Setting]\nbChinese=0\n");
}

// A system-wide install: nothing beside the executable and a folder this
// user cannot write. The settings go to the user's configuration folder;
// where that cannot be written either, the box names the file there.
TEST(SettingsPlace, SystemWideInstall)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to run the program as another user";
    TempFolder base;
    chmod(base.Path().c_str(), 0755);
    std::filesystem::create_directories(base.Path("opt"));  // root's, 0755
    const std::string home = base.Path("home");
    std::filesystem::create_directories(home);
    WriteFile(home + "/file", "");
    std::filesystem::create_directories(home + "/locked");
    std::filesystem::create_directories(home + "/\xFF\xFE");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(home))
        GiveTo(entry.path(), 65534, 65534);
    GiveTo(home, 65534, 65534);
    chmod((home + "/locked").c_str(), 0555);

    const struct {
        const char* name;
        const char* configHome;  // nothing: unset
        const char* homeFolder;
        std::string file;  // expected
        bool saved;
    } cases[] = {
        {"XDG_CONFIG_HOME", "/cfg", "", home + "/cfg/zentorix/zentorix.ini", true},
        {"XDG_CONFIG_HOME not absolute", "cfg", "", home + "/.config/zentorix/zentorix.ini", true},
        {"XDG_CONFIG_HOME unset, home not UTF-8", nullptr, "/\xFF\xFE",
            home + "/\xFF\xFE/.config/zentorix/zentorix.ini", true},
        {"config folder's place holds a file", "/file", "", home + "/file/zentorix/zentorix.ini", false},
        {"config folder not writable", "/locked", "", home + "/locked/zentorix/zentorix.ini", false},
    };
    OverrideExecutablePath(base.Path("opt/zentorix"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const pid_t child = fork();
        if (child == 0) {
            setenv("HOME", (home + c.homeFolder).c_str(), 1);
            if (c.configHome == nullptr)
                unsetenv("XDG_CONFIG_HOME");
            else
                setenv("XDG_CONFIG_HOME",
                    c.configHome[0] == '/' ? (home + c.configHome).c_str() : c.configHome, 1);
            if (setgid(65534) != 0 || setuid(65534) != 0)
                _exit(10);
            if (SettingsFileFor("") != c.file)
                _exit(11);  // an unknown executable path gives the same place
            TIniDatas record;
            if (record.IniFileName != c.file || !record.bChinese)
                _exit(12);
            record.bChinese = false;
            try {
                record.Save();
                _exit(c.saved ? 0 : 13);
            } catch (const EIniFileException& failure) {
                _exit(!c.saved && failure.Message() == "Unable to write to " + c.file ? 0 : 14);
            }
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0)
            << "10: privileges, 11: unknown path, 12: name, 13: saved, 14: message";
        EXPECT_FALSE(std::filesystem::exists(base.Path("opt/zentorix.ini")));
        if (c.saved) {
            EXPECT_EQ(ReadFile(c.file), "[Setting]\nbChinese=0\n");
            struct stat folder;
            ASSERT_EQ(stat(c.file.substr(0, c.file.rfind('/')).c_str(), &folder), 0);
            EXPECT_EQ(folder.st_mode & 07777, 0700u);
        }
    }
    OverrideExecutablePath("");
}

// Root leaves no file of its own beside an executable, which every user of
// that copy would then read instead of theirs; a file already there is used.
// Given another user's HOME or config home, root writes in its own.
TEST(SettingsPlace, RootLeavesTheSystemsFoldersAlone)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "the rule is root's";
    TempFolder config;
    char pattern[] = "/opt/zentorix-test-XXXXXX";
    const std::string system = mkdtemp(pattern);
    chmod(system.c_str(), 0755);
    const TempFolder shared;  // made by an admin for every user: /srv/tools
    chmod(shared.Path().c_str(), 0755);
    const TempFolder portable;  // root's own, 0700
    const std::string inConfig = config.Path("zentorix/zentorix.ini");
    const struct {
        const char* name;
        std::string executable;
        bool fileThere;
        std::string file;
    } cases[] = {
        {"installed in /opt", system + "/zentorix", false, inConfig},
        {"installed in /opt, a file already beside it", system + "/zentorix", true, system + "/zentorix.ini"},
        {"a folder every user can reach", shared.Path("zentorix"), false, inConfig},
        {"a folder every user can reach, a file already there", shared.Path("zentorix"), true,
            shared.Path("zentorix.ini")},
        {"a copy only root can reach", portable.Path("zentorix"), false, portable.Path("zentorix.ini")},
    };
    setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string beside = FolderOf(c.executable) + "/zentorix.ini";
        std::filesystem::remove(beside);
        if (c.fileThere)
            WriteFile(beside, "");
        EXPECT_EQ(SettingsFileFor(c.executable), c.file);
    }

    // Another user's home: read as no file, saved nowhere, nothing made.
    std::filesystem::remove(system + "/zentorix.ini");
    TempFolder user;
    GiveTo(user.Path(), 65534, 65534);
    chmod(user.Path().c_str(), 0755);
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    for (const bool configHome : {true, false}) {
        SCOPED_TRACE(configHome ? "another user's XDG_CONFIG_HOME" : "another user's HOME");
        if (configHome)
            setenv("XDG_CONFIG_HOME", (user.Path() + "/.config").c_str(), 1);
        else
            setenv("HOME", user.Path().c_str(), 1);
        OverrideExecutablePath(system + "/zentorix");
        const std::string ini = user.Path() + "/.config/zentorix/zentorix.ini";
        {
            TIniDatas record;
            EXPECT_EQ(record.IniFileName, ini);
            try {
                record.Save();
                ADD_FAILURE() << "saved in another user's home";
            } catch (const EIniFileException& failure) {
                EXPECT_EQ(failure.Message(), "Unable to write to " + ini);
            }
            record.IniFileName = config.Path("elsewhere.ini");  // the save at its end goes nowhere harmful
        }
        EXPECT_TRUE(std::filesystem::is_empty(user.Path()));
        unsetenv("XDG_CONFIG_HOME");
        setenv("HOME", home.c_str(), 1);
    }
    OverrideExecutablePath("");
    std::filesystem::remove_all(system);
}

// A config home in a shared folder, where another user has made the
// program's folder and planted a link in it: the link reads as no file, the
// save fails with the usual message, and the file it points to is untouched.
TEST(SettingsPlace, AnotherUsersFolderInTheConfigHome)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to give a folder to another user";
    TempFolder shared;
    chmod(shared.Path().c_str(), 01777);
    const std::string folder = shared.Path("zentorix");
    const std::string ini = folder + "/zentorix.ini";
    TempFolder mine;
    const std::string victim = mine.Path("victim");
    OverrideExecutablePath("/opt/zentorix-not-here/zentorix");  // a system install
    setenv("XDG_CONFIG_HOME", shared.Path().c_str(), 1);
    for (const bool othersFolder : {true, false}) {
        SCOPED_TRACE(othersFolder ? "another user's folder" : "this user's folder");
        std::filesystem::remove_all(folder);
        std::filesystem::create_directory(folder);
        WriteFile(victim, "[Setting]\nbChinese=0\n");
        std::filesystem::create_symlink(victim, ini);
        if (othersFolder) {
            GiveTo(folder, 65534, 65534);
            GiveTo(ini, 65534, 65534);
        }
        TIniDatas record;
        EXPECT_EQ(record.bChinese, othersFolder);  // read as missing: the default
        record.bChinese = true;
        if (othersFolder) {
            try {
                record.Save();
                ADD_FAILURE() << "saved through another user's folder";
            } catch (const EIniFileException& failure) {
                EXPECT_EQ(failure.Message(), "Unable to write to " + ini);
            }
            EXPECT_EQ(ReadFile(victim), "[Setting]\nbChinese=0\n");
        } else {
            record.Save();
            EXPECT_EQ(ReadFile(victim), "[Setting]\nbChinese=1\n");
        }
        if (othersFolder)
            record.IniFileName = mine.Path("elsewhere.ini");  // the save at its end goes nowhere harmful
    }
    unsetenv("XDG_CONFIG_HOME");
    OverrideExecutablePath("");
}

TEST_F(SettingsRecord, HostileFiles)
{
    const std::string hundredMegabytes(100 << 20, 'z');
    const std::string garbage = test::Bytes("\x7F"
                                            "ELF\0\0\x01\x02\n\xFF\xFE\n");
    const struct {
        const char* name;
        std::string contents;
        bool chinese;
        std::string after;  // empty: unchanged, the flag read is the flag written
    } cases[] = {
        {"binary garbage", garbage, true, garbage + "[Setting]\nbChinese=1\n"},
        {"NUL bytes around the key", test::Bytes("[Setting]\n\0\nbChinese=0\n\0"), false, ""},
        {"a 10,000-byte line", "[Setting]\n" + std::string(10000, 'k') + "\nbChinese=0\n", false, ""},
        {"CRLF and a byte-order mark", "\xEF\xBB\xBF[Setting]\r\nbChinese=0\r\n", false, ""},
        {"section and key twice", "[Setting]\nbChinese=0\nbChinese=1\n[Setting]\nbChinese=1\n", false, ""},
        {"100 MB", "[Setting]\nbChinese=0\n[Big]\nx=" + hundredMegabytes + "\n", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(IniPath(), c.contents);
        {
            TIniDatas record;
            EXPECT_EQ(record.bChinese, c.chinese);
        }
        EXPECT_TRUE(ReadFile(IniPath()) == (c.after.empty() ? c.contents : c.after));
    }
}

// Whether process `pid` has a file open in `folder` other than z.ini: the
// save's temporary file (unnamed until the end, "#inode (deleted)").
bool HasTemporaryOpen(pid_t pid, const std::string& folder)
{
    std::error_code error;
    for (const auto& fd :
        std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
        const std::string target = std::filesystem::read_symlink(fd.path(), error).string();
        if (target.starts_with(folder + "/") && target != folder + "/z.ini")
            return true;
    }
    return false;
}

// A save killed part-way leaves the old file whole and no temporary file:
// killed before it begins, and killed while it writes its temporary file.
TEST(ProfileWrite, KilledSaveLeavesNothing)
{
    TempFolder folder;
    const std::string ini = folder.Path("z.ini");
    const std::string before = "[Big]\nx=" + std::string(16 << 20, 'z') + "\n[Setting]\nbChinese=1\n";
    const auto entries
        = [&] { return std::distance(std::filesystem::directory_iterator(folder.Path()), {}); };
    for (const bool midway : {false, true}) {
        SCOPED_TRACE(midway ? "killed while the temporary file is written" : "killed at once");
        WriteFile(ini, before);
        const pid_t child = fork();
        if (child == 0) {
            WriteProfileValue(ini, "Setting", "bChinese", "00");
            _exit(0);
        }
        bool seen = false;  // the temporary file open in the saving process
        while (midway && !seen && waitpid(child, nullptr, WNOHANG) == 0)
            seen = HasTemporaryOpen(child, folder.Path());
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        EXPECT_TRUE(seen || !midway) << "the save ended before it could be killed";
        const std::string after = ReadFile(ini);
        EXPECT_TRUE(after == before || after == WithProfileValue(before, "Setting", "bChinese", "00"));
        EXPECT_EQ(entries(), 1) << "a file was left";
    }
}

// A sparse file: the value after a gigabyte-long hole is found, and the saved
// file keeps the hole as a hole (a copy that fills it would take a gigabyte
// of disk).
TEST(ProfileWrite, SparseFilesStaySparse)
{
    TempFolder folder;
    const std::string ini = folder.Path("z.ini");
    constexpr off_t kHole = off_t{1} << 30;
    {
        std::ofstream file(ini, std::ios::binary);
        file << "x";
        file.seekp(kHole);
        file << "\n[Setting]\nbChinese=0\n";
    }
    EXPECT_EQ(ReadProfileValue(ini, "Setting", "bChinese"), "0");
    ASSERT_TRUE(WriteProfileValue(ini, "Setting", "bChinese", "1"));
    EXPECT_EQ(ReadProfileValue(ini, "Setting", "bChinese"), "1");
    struct stat status;
    ASSERT_EQ(stat(ini.c_str(), &status), 0);
    EXPECT_EQ(status.st_size, kHole + 22);
    EXPECT_LT(status.st_blocks * 512, 1 << 20) << "the hole was filled";
}

// A kill while a settings file is rewritten in place (this user's file in a
// folder this user cannot write) leaves the old file or the new one. The
// kernel finishes a write within one page once it has begun, and may cut a
// longer one at a page, so the file is a settings file's size: what moves
// ends inside the first page.
TEST(ProfileWrite, KilledRewriteInPlaceLeavesOldOrNew)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to run the save as another user";
    TempFolder folder;
    chmod(folder.Path().c_str(), 0755);
    const std::string ini = folder.Path("z.ini");
    // The key goes into the first section: everything after it moves.
    const std::string before = "[Setting]\nx=1\n[Big]\nx=" + std::string(3000, 'z') + "\n";
    const std::string after = WithProfileValue(before, "Setting", "bChinese", "1");
    for (int delay = 0; delay < 4000; delay += 125) {
        SCOPED_TRACE(delay);
        WriteFile(ini, before);
        GiveTo(ini, 65534, 65534);
        const pid_t child = fork();
        if (child == 0) {
            if (setgid(65534) != 0 || setuid(65534) != 0)
                _exit(10);
            _exit(WriteProfileValue(ini, "Setting", "bChinese", "1") ? 0 : 11);
        }
        usleep(static_cast<useconds_t>(delay));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) != 0) << "the save failed";
        const std::string now = ReadFile(ini);
        EXPECT_TRUE(now == before || now == after) << "neither the old file nor the new one";
    }
}

// A file's extended attributes, its ACL among them: name and value.
std::map<std::string, std::string> Attributes(const std::string& path)
{
    std::map<std::string, std::string> attributes;
    std::string names(4096, '\0');
    const ssize_t listed = listxattr(path.c_str(), names.data(), names.size());
    const char* end = names.data() + std::max<ssize_t>(listed, 0);
    for (const char* name = names.data(); name < end; name += std::strlen(name) + 1) {
        std::string value(4096, '\0');
        const ssize_t length = getxattr(path.c_str(), name, value.data(), value.size());
        attributes[name] = value.substr(0, length > 0 ? static_cast<std::size_t>(length) : 0);
    }
    return attributes;
}

// Gives a file an ACL (the kernel's own encoding, little-endian on every
// machine: a version, then tag, permissions and id of each entry, in order)
// and an attribute of its user.
void SetAccessList(const std::string& path, std::initializer_list<std::array<std::uint32_t, 3>> entries)
{
    std::string list;
    const auto put = [&list](std::uint32_t value, int bytes) {
        for (int byte = 0; byte < bytes; ++byte)
            list += static_cast<char>((value >> (8 * byte)) & 0xFF);
    };
    put(2, 4);
    for (const auto& [tag, permissions, id] : entries) {
        put(tag, 2);
        put(permissions, 2);
        put(id, 4);
    }
    if (setxattr(path.c_str(), "system.posix_acl_access", list.data(), list.size(), 0) != 0
        || setxattr(path.c_str(), "user.origin", "kept", 4, 0) != 0)
        throw std::runtime_error("no ACL or attribute on " + path);
}

// Files of other users and odd places: what may be written is written, in a
// way that keeps the file's owner and group; what may not is left untouched.
TEST(ProfileWrite, OtherUsersFilesAndOddPlaces)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to set up other users' files";
    const uid_t nobody = 65534;
    const std::string before = "[Setting]\nbChinese=1\n";
    struct Setup {
        std::string ini;  // the name written to
        std::string checked;  // the file whose bytes, owner and inode are checked
    };
    const struct {
        const char* name;
        uid_t user;  // who writes
        std::function<Setup(const std::string& folder)> prepare;
        bool written;
        bool sameFile;  // rewritten in place (the same inode)
        uid_t owner;
        gid_t group;
    } cases[] = {
        {"another user's file in a world-writable folder", nobody,
            [&](const std::string& folder) {
                chmod(folder.c_str(), 0777);
                WriteFile(folder + "/z.ini", before);
                chmod((folder + "/z.ini").c_str(), 0644);
                return Setup{folder + "/z.ini", folder + "/z.ini"};
            },
            false, true, 0, 0},
        {"another user's file this user may write", nobody,
            [&](const std::string& folder) {
                chmod(folder.c_str(), 0777);
                WriteFile(folder + "/z.ini", before);
                chmod((folder + "/z.ini").c_str(), 0666);
                return Setup{folder + "/z.ini", folder + "/z.ini"};
            },
            true, true, 0, 0},
        {"own file of a group this user is not in", nobody,
            [&](const std::string& folder) {
                chmod(folder.c_str(), 0777);
                WriteFile(folder + "/z.ini", before);
                GiveTo(folder + "/z.ini", nobody, 0);
                chmod((folder + "/z.ini").c_str(), 0664);
                return Setup{folder + "/z.ini", folder + "/z.ini"};
            },
            true, true, nobody, 0},
        {"own file, own group: replaced whole", nobody,
            [&](const std::string& folder) {
                chmod(folder.c_str(), 0777);
                WriteFile(folder + "/z.ini", before);
                GiveTo(folder + "/z.ini", nobody, nobody);
                chmod((folder + "/z.ini").c_str(), 0640);
                return Setup{folder + "/z.ini", folder + "/z.ini"};
            },
            true, false, nobody, nobody},
        {"a writable file in a folder this user cannot write", nobody,
            [&](const std::string& folder) {
                chmod(folder.c_str(), 0755);
                WriteFile(folder + "/z.ini", before);
                chmod((folder + "/z.ini").c_str(), 0666);
                return Setup{folder + "/z.ini", folder + "/z.ini"};
            },
            true, true, 0, 0},
        {"another user's link in a sticky world-writable folder", 0,
            [&](const std::string& folder) {
                std::filesystem::create_directory(folder + "/tmp");
                chmod((folder + "/tmp").c_str(), 01777);
                WriteFile(folder + "/target.ini", before);
                std::filesystem::create_symlink(folder + "/target.ini", folder + "/tmp/z.ini");
                GiveTo(folder + "/tmp/z.ini", nobody, nobody);
                return Setup{folder + "/tmp/z.ini", folder + "/target.ini"};
            },
            false, true, 0, 0},
        {"own file with an ACL: user 1234 may write, the group only read", nobody,
            [&](const std::string& folder) {
                chmod(folder.c_str(), 0777);
                WriteFile(folder + "/z.ini", before);
                GiveTo(folder + "/z.ini", nobody, nobody);
                constexpr std::uint32_t kAny = ~0u;
                SetAccessList(folder + "/z.ini",
                    {{0x01, 6, kAny}, {0x02, 6, 1234}, {0x04, 4, kAny}, {0x10, 6, kAny}, {0x20, 0, kAny}});
                return Setup{folder + "/z.ini", folder + "/z.ini"};
            },
            true, false, nobody, nobody},
        {"a name of 255 bytes", 0,
            [&](const std::string& folder) {
                const std::string ini = folder + "/" + std::string(251, 'n') + ".ini";
                WriteFile(ini, before);
                return Setup{ini, ini};
            },
            true, false, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const Setup setup = c.prepare(folder.Path());
        struct stat old;
        ASSERT_EQ(stat(setup.checked.c_str(), &old), 0);
        const auto attributes = Attributes(setup.checked);
        const pid_t child = fork();
        if (child == 0) {
            if (c.user != 0 && (setgid(c.user) != 0 || setuid(c.user) != 0))
                _exit(2);
            _exit(WriteProfileValue(setup.ini, "Setting", "bChinese", "0") ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 2);
        EXPECT_EQ(WEXITSTATUS(status) == 0, c.written);
        struct stat now;
        ASSERT_EQ(stat(setup.checked.c_str(), &now), 0);
        EXPECT_EQ(ReadFile(setup.checked), c.written ? "[Setting]\nbChinese=0\n" : before);
        EXPECT_EQ(now.st_ino == old.st_ino, c.sameFile);
        EXPECT_EQ(now.st_uid, c.owner);
        EXPECT_EQ(now.st_gid, c.group);
        EXPECT_EQ(now.st_mode, old.st_mode);
        EXPECT_EQ(Attributes(setup.checked), attributes);
        if (!c.written && setup.ini != setup.checked) {
            EXPECT_EQ(ReadProfileValue(setup.ini, "Setting", "bChinese"), std::nullopt) << "read as missing";
        }
        std::size_t files = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.Path()))
            files += entry.path().filename().string().starts_with(".zentorix-");
        EXPECT_EQ(files, 0u) << "a temporary file was left";
    }
}

// A file bind-mounted on its own (a container's volume of one file) cannot
// be replaced: it is rewritten in place.
TEST(ProfileWrite, ABindMountedFile)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to mount";
    TempFolder folder;
    const std::string volume = folder.Path("volume.ini");
    const std::string ini = folder.Path("z.ini");
    WriteFile(volume, "[Setting]\nbChinese=1\n");
    WriteFile(ini, "");
    const pid_t child = fork();
    if (child == 0) {
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || mount(volume.c_str(), ini.c_str(), nullptr, MS_BIND, nullptr) != 0)
            _exit(10);
        _exit(WriteProfileValue(ini, "Setting", "bChinese", "0") ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10: no mount";
    EXPECT_EQ(ReadFile(volume), "[Setting]\nbChinese=0\n");
}

}  // namespace
}  // namespace zentorix
