// A settings file that another program appends to while it is read: it is
// read as long as it was when it was opened. The appending is made certain
// here: the first read of the file is preceded by an append (this program's
// own pread stands in for the C library's, for this test alone).
#include "frame/profile.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

std::string appendTo;  // the file to grow at the next read, and with what
std::string appended;

}  // namespace

extern "C" ssize_t pread(int fd, void* buffer, size_t count, off_t offset)
{
    if (!appendTo.empty()) {
        const int out = open(appendTo.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        appendTo.clear();
        if (out >= 0) {
            [[maybe_unused]] const ssize_t written = write(out, appended.data(), appended.size());
            close(out);
        }
    }
    return syscall(SYS_pread64, fd, buffer, count, offset);
}

namespace zentorix {
namespace {

TEST(ReadProfileValue, AFileThatGrowsIsReadAsItWasOpened)
{
    test::TempFolder folder;
    const std::string ini = folder.Path("z.ini");
    test::WriteFile(ini, "[Other]\nx=1\n");
    appendTo = ini;
    appended = "[Setting]\nbChinese=0\n";
    EXPECT_EQ(ReadProfileValue(ini, "Setting", "bChinese"), std::nullopt);
    EXPECT_EQ(test::ReadFile(ini), "[Other]\nx=1\n[Setting]\nbChinese=0\n") << "the file did not grow";
}

}  // namespace
}  // namespace zentorix
