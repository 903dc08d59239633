#include "profile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace zentorix {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// One line of the file: where it starts, its text without the line end, and
// where the next line starts.
struct Line {
    std::size_t begin;
    std::string_view text;
    std::size_t next;
};

class Lines {
public:
    explicit Lines(std::string_view contents) : contents_(contents)
    {
        if (contents_.substr(0, kByteOrderMark.size()) == kByteOrderMark)
            position_ = kByteOrderMark.size();
    }

    bool Next(Line& line)
    {
        if (position_ >= contents_.size())
            return false;
        const std::size_t end = std::min(contents_.find('\n', position_), contents_.size());
        std::string_view text = contents_.substr(position_, end - position_);
        if (!text.empty() && text.back() == '\r')
            text.remove_suffix(1);
        line = {position_, text, std::min(end + 1, contents_.size())};
        position_ = line.next;
        return true;
    }

private:
    std::string_view contents_;
    std::size_t position_ = 0;
};

// The section a "[name]" line opens, or nothing for another line.
std::optional<std::string_view> SectionOf(std::string_view text)
{
    text = Trim(text);
    if (text.empty() || text.front() != '[')
        return std::nullopt;
    text.remove_prefix(1);
    return Trim(text.substr(0, text.find(']')));
}

struct KeyLine {
    std::string_view name;
    std::string_view value;
};

std::optional<KeyLine> KeyOf(std::string_view text)
{
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return KeyLine{Trim(text.substr(0, equals)), Trim(text.substr(equals + 1))};
}

// Reads a regular file whole; nothing for anything else (a FIFO is not
// waited for: it is opened without blocking).
std::optional<std::string> ReadRegularFile(const std::string& file)
{
    const int fd = open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat status;
    std::optional<std::string> contents;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        contents.emplace();
        char buffer[65536];
        ssize_t count;
        while ((count = read(fd, buffer, sizeof buffer)) > 0)
            contents->append(buffer, static_cast<std::size_t>(count));
        if (count < 0)
            contents.reset();
    }
    close(fd);
    return contents;
}

std::string DirectoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a write must replace: symbolic links followed to their target,
// which may not exist yet.
std::optional<std::string> WriteTarget(std::string path)
{
    for (int depth = 0; depth < 40; ++depth) {
        struct stat status;
        if (lstat(path.c_str(), &status) != 0)
            return errno == ENOENT ? std::optional(path) : std::nullopt;
        if (!S_ISLNK(status.st_mode))
            return path;
        std::vector<char> link(static_cast<std::size_t>(status.st_size) + 1);
        const ssize_t length = readlink(path.c_str(), link.data(), link.size());
        if (length < 0 || static_cast<std::size_t>(length) >= link.size())
            return std::nullopt;
        std::string target(link.data(), static_cast<std::size_t>(length));
        path = target.front() == '/' ? target : DirectoryOf(path) + "/" + target;
    }
    return std::nullopt;  // a loop of links
}

mode_t NewFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t written = write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Writes `contents` to a temporary file beside `target`, then renames it over
// `target`: a reader sees the old file or the new one, never a part.
// The old file's mode and owner pass to the new one.
bool ReplaceFile(const std::string& target, std::string_view contents, const struct stat* old)
{
    std::string temporary = target + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return false;
    // Where the writer may not give the file away, it becomes the writer's,
    // as a new file would.
    if (old != nullptr && fchown(fd, old->st_uid, old->st_gid) != 0)
        errno = 0;
    const mode_t mode = old != nullptr ? old->st_mode & 07777 : NewFileMode();
    const bool written = WriteAll(fd, contents) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (!written || !closed || rename(temporary.c_str(), target.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    const int directory = open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        fsync(directory);
        close(directory);
    }
    return true;
}

}  // namespace

std::optional<std::string> ReadProfileValue(
    const std::string& file, std::string_view section, std::string_view key)
{
    const std::optional<std::string> contents = ReadRegularFile(file);
    if (!contents)
        return std::nullopt;
    Lines lines(*contents);
    Line line;
    bool inSection = false;
    while (lines.Next(line)) {
        if (const auto name = SectionOf(line.text)) {
            if (inSection)
                break;  // only the first section of that name counts
            inSection = SameName(*name, section);
        } else if (inSection) {
            if (const auto entry = KeyOf(line.text); entry && SameName(entry->name, key))
                return std::string(entry->value);
        }
    }
    return std::nullopt;
}

std::string WithProfileValue(
    std::string_view contents, std::string_view section, std::string_view key, std::string_view value)
{
    const std::string_view firstLine = contents.substr(0, contents.find('\n'));
    const std::string_view lineEnd = !firstLine.empty() && firstLine.back() == '\r' ? "\r\n" : "\n";
    const std::string keyLine = std::string(key) + "=" + std::string(value);

    Lines lines(contents);
    Line line;
    bool inSection = false;
    std::size_t insertAt = std::string_view::npos;  // after the section's last non-blank line
    while (lines.Next(line)) {
        if (const auto name = SectionOf(line.text)) {
            if (inSection)
                break;
            if (SameName(*name, section)) {
                inSection = true;
                insertAt = line.next;
            }
        } else if (inSection) {
            if (const auto entry = KeyOf(line.text); entry && SameName(entry->name, key)) {
                std::string result(contents.substr(0, line.begin));
                result += keyLine;
                result += contents.substr(line.begin + line.text.size());
                return result;
            }
            if (!Trim(line.text).empty())
                insertAt = line.next;
        }
    }

    std::string result(contents);
    if (insertAt != std::string_view::npos) {
        std::string inserted = keyLine + std::string(lineEnd);
        // The section's last line may lack its line end at the end of the file.
        if (insertAt == contents.size() && !contents.empty() && contents.back() != '\n')
            inserted.insert(0, lineEnd);
        result.insert(insertAt, inserted);
        return result;
    }
    if (!result.empty() && result.back() != '\n')
        result += lineEnd;
    result += "[";
    result += section;
    result += "]";
    result += lineEnd;
    result += keyLine;
    result += lineEnd;
    return result;
}

bool WriteProfileValue(
    const std::string& file, std::string_view section, std::string_view key, std::string_view value)
{
    const std::optional<std::string> target = WriteTarget(file);
    if (!target)
        return false;
    std::string contents;
    struct stat status;
    const struct stat* old = nullptr;
    if (stat(target->c_str(), &status) == 0) {
        // Read-only binds whoever runs the program, root included.
        if (!S_ISREG(status.st_mode) || (status.st_mode & 0222) == 0)
            return false;
        std::optional<std::string> existing = ReadRegularFile(*target);
        if (!existing)
            return false;
        contents = std::move(*existing);
        old = &status;
    } else if (errno != ENOENT) {
        return false;
    }
    return ReplaceFile(*target, WithProfileValue(contents, section, key, value), old);
}

}  // namespace zentorix
