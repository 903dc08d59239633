#include "frame/os/boundedscan.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zentorix {
namespace {

// What a desktop's lists and entries need, many times over.
constexpr std::size_t kLargestFile = 1 << 20;
constexpr std::size_t kBytesToRead = 8 << 20;
constexpr int kFilesToRead = 2000;
constexpr int kEntriesToList = 20000;
constexpr auto kTimeLimit = std::chrono::milliseconds(150);

}  // namespace

std::optional<std::string> BoundedScan::Read(const std::string& path)
{
    Tick();
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return std::nullopt;
    }
    if (++files_ > kFilesToRead || static_cast<std::size_t>(status.st_size) > kLargestFile) {
        close(fd);
        throw OutOfBounds();
    }
    // Room for what fstat says and a little more; a file that goes on
    // past it (one of /proc says 0) gets more, up to one byte over the limit.
    std::string text(static_cast<std::size_t>(status.st_size) + 4096, '\0');
    std::size_t length = 0;
    ssize_t count = 0;
    do {
        if (length == text.size())
            text.resize(std::min(2 * text.size(), kLargestFile + 1));
        count = read(fd, text.data() + length, text.size() - length);
        if (count > 0)
            length += static_cast<std::size_t>(count);
    } while ((count > 0 || (count < 0 && errno == EINTR)) && length <= kLargestFile);
    close(fd);
    bytes_ += length;
    // A file that says nothing of its size (/proc) and goes on, or that
    // would have the reader wait, is no desktop's.
    if (count < 0 || length > kLargestFile || bytes_ > kBytesToRead)
        throw OutOfBounds();
    text.resize(length);
    return text;
}

bool BoundedScan::IsFile(const std::string& path)
{
    Tick();
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool BoundedScan::IsFolder(const std::string& path)
{
    Tick();
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::vector<std::string> BoundedScan::List(const std::string& folder, bool folders)
{
    Tick();
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
    DIR* listing = fd >= 0 ? fdopendir(fd) : nullptr;
    if (listing == nullptr) {
        if (fd >= 0)
            close(fd);
        return {};
    }
    std::vector<std::string> names;
    while (const dirent* entry = readdir(listing)) {
        if (++entries_ > kEntriesToList) {
            closedir(listing);
            throw OutOfBounds();
        }
        const std::string name = entry->d_name;
        if (name.front() == '.')
            continue;
        struct stat status;
        if (folders ? fstatat(dirfd(listing), name.c_str(), &status, 0) == 0 && S_ISDIR(status.st_mode)
                    : name.size() > 8 && name.ends_with(".desktop"))
            names.push_back(name);
    }
    closedir(listing);
    std::sort(names.begin(), names.end());
    return names;
}

void BoundedScan::Tick() const
{
    if (std::chrono::steady_clock::now() - start_ > kTimeLimit)
        throw OutOfBounds();
}

}  // namespace zentorix
