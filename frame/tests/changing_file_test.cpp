// A settings file that another program changes while this one works on it:
// appended to (it is read as long as it was when opened), or replaced under
// its name (a rewrite in place edits the file that was read, not the new one).
// The change is made certain here: it comes just before the first read of
// the file (this program's own pread stands in for the C library's, for
// these tests alone). And a file system that answers as some FUSE ones do:
// short reads, no copy in the kernel, "no data here" for any offset.
#include "frame/settings/profile.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::function<void()> beforeNextRead;
bool oddFileSystem = false;

}  // namespace

extern "C" ssize_t pread(int fd, void* buffer, size_t count, off_t offset)
{
    if (beforeNextRead) {
        const std::function<void()> change = std::move(beforeNextRead);
        beforeNextRead = nullptr;
        change();
    }
    return syscall(SYS_pread64, fd, buffer, oddFileSystem ? std::min<size_t>(count, 5) : count, offset);
}

extern "C" off_t lseek(int fd, off_t offset, int whence)
{
    if (oddFileSystem && (whence == SEEK_DATA || whence == SEEK_HOLE)) {
        errno = ENXIO;
        return -1;
    }
    return syscall(SYS_lseek, fd, offset, whence);
}

extern "C" ssize_t copy_file_range(int in, off64_t* from, int out, off64_t* to, size_t length, unsigned flags)
{
    if (oddFileSystem) {
        errno = EXDEV;
        return -1;
    }
    return syscall(SYS_copy_file_range, in, from, out, to, length, flags);
}

namespace zentorix {
namespace {

TEST(ReadProfileValue, AFileThatGrowsIsReadAsItWasOpened)
{
    test::TempFolder folder;
    const std::string ini = folder.Path("z.ini");
    test::WriteFile(ini, "[Other]\nx=1\n");
    beforeNextRead = [&] {
        const int out = open(ini.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        [[maybe_unused]] const ssize_t written = write(out, "[Setting]\nbChinese=0\n", 21);
        close(out);
    };
    EXPECT_EQ(ReadProfileValue(ini, "Setting", "bChinese"), std::nullopt);
    EXPECT_EQ(test::ReadFile(ini), "[Other]\nx=1\n[Setting]\nbChinese=0\n") << "the file did not grow";
}

// Every byte is kept, or the save says it failed, whichever way the file is
// written: replaced, or rewritten in place (a file this user may write in a
// folder this user cannot).
TEST(WriteProfileValue, ShortReadsLoseNothing)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to run the save as another user";
    const std::string before
        = "[Setting]\nbChinese=1\n; kept\n" + std::string(70000, ';') + "\n[Other]\nx=2\n";
    for (const bool inPlace : {false, true}) {
        SCOPED_TRACE(inPlace ? "rewritten in place" : "replaced");
        test::TempFolder folder;
        chmod(folder.Path().c_str(), 0755);
        const std::string ini = folder.Path("z.ini");
        test::WriteFile(ini, before);
        chmod(ini.c_str(), 0666);
        const pid_t child = fork();
        if (child == 0) {
            if (inPlace && (setgid(65534) != 0 || setuid(65534) != 0))
                _exit(10);
            oddFileSystem = true;
            const bool read = ReadProfileValue(ini, "Other", "x") == "2";
            _exit(read && WriteProfileValue(ini, "Setting", "bChinese", "0") ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_TRUE(test::ReadFile(ini) == WithProfileValue(before, "Setting", "bChinese", "0"));
    }
}

// Another user's file that this user may write, in a folder open to all: it
// is rewritten in place. Replaced under its name meanwhile (its owner's own
// copy of the program saving at the same moment), the new file is left as it
// is.
TEST(WriteProfileValue, ARewriteInPlaceKeepsToTheFileItRead)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to run the save as another user";
    test::TempFolder folder;
    chmod(folder.Path().c_str(), 0777);
    const std::string ini = folder.Path("z.ini");
    const std::string replacement = folder.Path("new.ini");
    test::WriteFile(ini, "[Big]\nx=" + std::string(100000, 'z') + "\n");
    test::WriteFile(replacement, "[Setting]\nbChinese=1\n");
    chmod(ini.c_str(), 0666);
    chmod(replacement.c_str(), 0666);  // this user may write it too
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(10);
        beforeNextRead = [&] { std::rename(replacement.c_str(), ini.c_str()); };
        WriteProfileValue(ini, "Setting", "bChinese", "0");
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(test::ReadFile(ini), "[Setting]\nbChinese=1\n");
}

}  // namespace
}  // namespace zentorix
