#include "frame/settings/safereplace.h"

#include "frame/os/pathrule.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <vector>

namespace zentorix {
namespace {

constexpr std::size_t kBlock = 64 * 1024;  // what is moved at a time

// In a sticky, world-writable folder (/tmp) a link is followed only when it
// belongs to the follower or to the folder's owner, as the kernel's
// protected_symlinks rule has it: another user's link must not steer a write.
bool MayFollow(const std::string& path, const struct stat& link)
{
    struct stat folder;
    if (stat(FolderOf(path).c_str(), &folder) != 0)
        return false;
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !shared || link.st_uid == geteuid() || link.st_uid == folder.st_uid;
}

// Reads `size` bytes at `offset`, asking again after a short read (a FUSE file
// system may give less than asked without being at the end). False on an
// error or when the file ends first.
bool ReadAll(int fd, char* data, std::size_t size, off_t offset)
{
    while (size > 0) {
        const ssize_t count = pread(fd, data, size, offset);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        data += count;
        size -= static_cast<std::size_t>(count);
        offset += count;
    }
    return true;
}

bool WriteAll(int fd, std::string_view data, off_t offset)
{
    while (!data.empty()) {
        const ssize_t written = pwrite(fd, data.data(), data.size(), offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data.remove_prefix(static_cast<std::size_t>(written));
        offset += written;
    }
    return true;
}

// Copies `length` bytes at `from` in `in` to `to` in `out`: in the kernel
// where it can, else through a block-sized buffer, front to back or, when the
// ranges of one file overlap forwards, back to front.
bool CopyRange(int in, off_t from, int out, off_t to, std::uint64_t length)
{
    if (in != out) {
        while (length > 0) {
            loff_t source = from;
            loff_t target = to;
            const ssize_t copied = copy_file_range(in, &source, out, &target,
                static_cast<std::size_t>(std::min<std::uint64_t>(length, SSIZE_MAX)), 0);
            if (copied <= 0)
                break;  // not here (another file system, an old kernel): by hand
            from += copied;
            to += copied;
            length -= static_cast<std::uint64_t>(copied);
        }
    }
    std::vector<char> buffer(kBlock);
    const bool backwards = in == out && to > from;
    while (length > 0) {
        const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(length, kBlock));
        const off_t offset = backwards ? static_cast<off_t>(length - chunk) : 0;
        if (!ReadAll(in, buffer.data(), chunk, from + offset))
            return false;
        if (!WriteAll(out, std::string_view(buffer.data(), chunk), to + offset))
            return false;
        if (!backwards) {
            from += static_cast<off_t>(chunk);
            to += static_cast<off_t>(chunk);
        }
        length -= chunk;
    }
    return true;
}

// CopyRange for two files, but only the data: a hole of a sparse file stays
// a hole in the copy (whose length the caller sets).
bool CopyBytes(int in, off_t from, int out, off_t to, std::uint64_t length)
{
    if (in == out)
        return CopyRange(in, from, out, to, length);
    const off_t end = from + static_cast<off_t>(length);
    while (from < end) {
        // The length is what fstat said at open: an answer that puts the
        // data elsewhere (ENXIO, "a hole to the end", from a file system
        // that does not know) is not believed, and the rest is read as data.
        off_t data = lseek(in, from, SEEK_DATA);
        if (data < 0)
            data = from;
        if (data >= end)
            return true;
        data = std::max(data, from);
        off_t hole = lseek(in, data, SEEK_HOLE);
        hole = hole <= data ? end : std::min(hole, end);  // no hole known: the rest is data
        if (!CopyRange(in, data, out, to + (data - from), static_cast<std::uint64_t>(hole - data)))
            return false;
        to += hole - from;
        from = hole;
    }
    return true;
}

// The old file's extended attributes on the new one, its ACL among them, and
// no ACL that the old file lacks (one the folder's default gave the new
// file): the new file grants what the old one did, no more. False when one
// cannot be set and the new file lacks it.
bool CopyAttributes(int from, int to)
{
    constexpr const char* kAccessList = "system.posix_acl_access";
    const ssize_t size = flistxattr(from, nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP;  // none on this file system
    std::vector<char> names(static_cast<std::size_t>(size));
    const ssize_t listed = flistxattr(from, names.data(), names.size());
    if (listed < 0)
        return false;
    bool accessList = false;
    const auto valueOf = [](int fd, const char* name, std::vector<char>& value) {
        const ssize_t length = fgetxattr(fd, name, nullptr, 0);
        value.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
        return length >= 0 && fgetxattr(fd, name, value.data(), value.size()) == length;
    };
    std::vector<char> value;
    std::vector<char> present;
    for (const char* name = names.data(); name < names.data() + listed; name += std::strlen(name) + 1) {
        accessList = accessList || std::strcmp(name, kAccessList) == 0;
        if (!valueOf(from, name, value))
            return false;
        // One the system sets itself (a security label) may not be set by
        // this user: as good when the new file already has it.
        if (fsetxattr(to, name, value.data(), value.size(), 0) != 0
            && !(valueOf(to, name, present) && present == value))
            return false;
    }
    return accessList || fremovexattr(to, kAccessList) == 0 || errno == ENODATA || errno == ENOTSUP;
}

mode_t NewFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

void SyncFolder(const std::string& folder)
{
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// A temporary file in `folder`: unnamed where the file system allows it, so
// that a save killed part-way leaves nothing; otherwise with a short name of
// fixed length, whatever the target's name. `name` is empty for an unnamed one.
// An unnamed file is named through /proc (see NameTemporary): without /proc,
// the temporary file is a named one from the start.
int OpenTemporary(const std::string& folder, std::string& name)
{
    name.clear();
    if (access("/proc/self/fd", X_OK) == 0) {
        const int fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
        if (fd >= 0)
            return fd;
    }
    name = folder + "/.zentorix-XXXXXX";
    return mkostemp(name.data(), O_CLOEXEC);
}

// Gives the unnamed temporary file a short name beside the target, which the
// rename then replaces the target with. The names are unpredictable, so no
// one who may write the folder can take them all in advance.
bool NameTemporary(int fd, const std::string& folder, std::string& name)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[6];
        if (getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random))
            return false;
        name = folder + "/.zentorix-";
        for (const unsigned char byte : random)
            name += "abcdefghijklmnopqrstuvwxyz0123456789"[byte % 36];
        if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

}  // namespace

// The file that `path` names once symbolic links are followed; it may not
// exist yet. Nothing for a loop of links or a link that may not be followed.
std::optional<std::string> ResolveLinks(std::string path)
{
    for (int depth = 0; depth < 40; ++depth) {
        struct stat status;
        if (lstat(path.c_str(), &status) != 0)
            return errno == ENOENT ? std::optional(path) : std::nullopt;
        if (!S_ISLNK(status.st_mode))
            return path;
        if (!MayFollow(path, status))
            return std::nullopt;
        std::vector<char> link(static_cast<std::size_t>(status.st_size) + 1);
        const ssize_t length = readlink(path.c_str(), link.data(), link.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= link.size())
            return std::nullopt;
        std::string target(link.data(), static_cast<std::size_t>(length));
        path = target.front() == '/' ? target : FolderOf(path) + "/" + target;
    }
    return std::nullopt;
}

// The file open for reading (and writing, with O_RDWR) when it is a regular
// file (a FIFO is not waited for, a link not followed), with its status; -1
// otherwise.
int OpenRegular(const std::string& path, struct stat& status, int access)
{
    const int fd = open(path.c_str(), access | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd >= 0 && (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))) {
        close(fd);
        return -1;
    }
    return fd;
}

// Whether the edit would leave the file's bytes as they are.
bool Unchanged(int fd, const Edit& edit)
{
    if (edit.to - edit.from != edit.text.size())
        return false;
    std::string bytes(edit.text.size(), '\0');
    return ReadAll(fd, bytes.data(), bytes.size(), static_cast<off_t>(edit.from)) && bytes == edit.text;
}

// Writes the new contents (the old file's bytes with the edit) to a temporary
// file beside `target` and renames it over `target`: a reader sees the old
// file or the new one, never a part. The old file's owner, group and mode
// pass to the new one; where they cannot, nothing is written.
Replaced ReplaceFile(
    const std::string& target, int old, const struct stat* status, std::uint64_t size, const Edit& edit)
{
    const std::string folder = FolderOf(target);
    std::string name;
    const int fd = OpenTemporary(folder, name);
    if (fd < 0)
        return Replaced::kFailed;
    const auto fail = [&](Replaced how) {
        close(fd);
        if (!name.empty())
            unlink(name.c_str());
        return how;
    };
    if (status != nullptr && fchown(fd, status->st_uid, status->st_gid) != 0)
        return fail(Replaced::kRewriteInstead);
    const mode_t mode = status != nullptr ? status->st_mode & 07777 : NewFileMode();
    const off_t from = static_cast<off_t>(edit.from);
    const bool written = (old < 0 || CopyBytes(old, 0, fd, 0, edit.from)) && WriteAll(fd, edit.text, from)
        && (old < 0
            || CopyBytes(old, static_cast<off_t>(edit.to), fd, from + static_cast<off_t>(edit.text.size()),
                size - edit.to))
        && ftruncate(fd, from + static_cast<off_t>(edit.text.size() + (old < 0 ? 0 : size - edit.to))) == 0
        && fchmod(fd, mode) == 0;
    if (!written)
        return fail(Replaced::kFailed);
    if (old >= 0 && !CopyAttributes(old, fd))
        return fail(Replaced::kRewriteInstead);
    if (fsync(fd) != 0 || (name.empty() && !NameTemporary(fd, folder, name)))
        return fail(Replaced::kFailed);
    // A file bind-mounted on its own (a container's volume) cannot be
    // replaced, nor one whose name crosses a mount: it can still be rewritten.
    if (rename(name.c_str(), target.c_str()) != 0)
        return fail(errno == EBUSY || errno == EXDEV ? Replaced::kRewriteInstead : Replaced::kFailed);
    close(fd);
    SyncFolder(folder);
    return Replaced::kDone;
}

bool RewriteInPlace(int fd, std::uint64_t size, const Edit& edit)
{
    constexpr std::uint64_t kOneWrite = 4 << 20;
    const std::uint64_t tail = size - edit.to;
    const std::uint64_t newSize = size - (edit.to - edit.from) + edit.text.size();
    const off_t tailTo = static_cast<off_t>(edit.from + edit.text.size());
    // Room first: a full disk fails before a byte has changed.
    const bool room = newSize <= size
        || fallocate(fd, FALLOC_FL_KEEP_SIZE, static_cast<off_t>(size), static_cast<off_t>(newSize - size))
            == 0
        || errno == EOPNOTSUPP;
    if (!room)
        return false;
    bool moved = false;
    if (tail <= kOneWrite) {
        const auto tailBytes = static_cast<std::size_t>(tail);
        std::string text = edit.text;
        text.resize(edit.text.size() + tailBytes);
        moved = ReadAll(fd, text.data() + edit.text.size(), tailBytes, static_cast<off_t>(edit.to))
            && WriteAll(fd, text, static_cast<off_t>(edit.from));
    } else {
        moved = CopyBytes(fd, static_cast<off_t>(edit.to), fd, tailTo, tail)
            && WriteAll(fd, edit.text, static_cast<off_t>(edit.from));
    }
    return moved && (newSize >= size || ftruncate(fd, static_cast<off_t>(newSize)) == 0) && fsync(fd) == 0;
}

}  // namespace zentorix
