#include "frame/settings/profile.h"

#include "frame/os/pathrule.h"
#include "frame/settings/iniformat.h"
#include "frame/settings/safereplace.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentorix {

std::optional<std::string> ReadProfileValue(
    const std::string& file, std::string_view section, std::string_view key)
{
    const std::optional<std::string> target = ResolveLinks(file);
    struct stat status;
    const int fd = target ? OpenRegular(*target, status) : -1;
    if (fd < 0)
        return std::nullopt;
    std::optional<std::string> value;
    const bool read = ValueInFile(fd, static_cast<std::uint64_t>(status.st_size), section, key, value);
    close(fd);
    return read ? value : std::nullopt;
}

std::optional<std::string> ProfileValueIn(
    std::string_view contents, std::string_view section, std::string_view key)
{
    return ValueInText(contents, section, key);
}

std::string WithProfileValue(
    std::string_view contents, std::string_view section, std::string_view key, std::string_view value)
{
    const Edit edit = EditForText(contents, section, key, value);
    // The edit lies inside `contents`, so its offsets fit in memory.
    std::string result(contents.substr(0, static_cast<std::size_t>(edit.from)));
    result += edit.text;
    result += contents.substr(static_cast<std::size_t>(edit.to));
    return result;
}

bool WriteProfileValue(
    const std::string& file, std::string_view section, std::string_view key, std::string_view value)
{
    const std::optional<std::string> target = ResolveLinks(file);
    if (!target)
        return false;
    struct stat status;
    int old = -1;
    if (lstat(target->c_str(), &status) == 0) {
        // Read-only binds whoever runs the program, root included; and a file
        // this user may not write is never written nor replaced.
        if (!S_ISREG(status.st_mode) || (status.st_mode & 0222) == 0
            || faccessat(AT_FDCWD, target->c_str(), W_OK, AT_EACCESS) != 0)
            return false;
        // Opened once, for writing too: an in-place rewrite works on the file
        // that was checked and read, whatever has taken its name since.
        struct stat opened;
        old = OpenRegular(*target, opened, O_RDWR);
        if (old < 0 || opened.st_ino != status.st_ino || opened.st_dev != status.st_dev) {
            if (old >= 0)
                close(old);
            return false;  // replaced under us
        }
        status = opened;
    } else if (errno != ENOENT) {
        return false;
    }

    const std::uint64_t size = old >= 0 ? static_cast<std::uint64_t>(status.st_size) : 0;
    Edit edit;
    if (old < 0) {
        edit = EditForText("", section, key, value);
    } else if (!EditForFile(old, size, section, key, value, edit)) {
        close(old);
        return false;
    }
    if (old >= 0 && Unchanged(old, edit)) {
        close(old);
        return true;  // the file already says so: rewriting it would change no byte
    }
    const std::string folder = FolderOf(*target);
    const bool folderWritable = faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;

    // Replacing is atomic, but the new file is this user's: only where the old
    // owner and group can pass to it. Otherwise the file is rewritten in place.
    Replaced replaced = Replaced::kRewriteInstead;
    if (folderWritable && (old < 0 || geteuid() == 0 || status.st_uid == geteuid()))
        replaced = ReplaceFile(*target, old, old >= 0 ? &status : nullptr, size, edit);
    if (replaced == Replaced::kRewriteInstead && old >= 0) {
        const bool rewritten = RewriteInPlace(old, size, edit);
        return close(old) == 0 && rewritten;
    }
    if (old >= 0)
        close(old);
    return replaced == Replaced::kDone;
}

}  // namespace zentorix
