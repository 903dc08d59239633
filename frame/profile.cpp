#include "profile.h"

#include "pathrule.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

namespace zentorix {
namespace {

constexpr std::size_t kBlock = 64 * 1024;  // what is read or moved at a time
constexpr std::size_t kLongestValue = 2047;  // what a 2048-byte buffer holds
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool SameName(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

// One line of the file, as far as one section and one key are concerned.
struct Line {
    enum class Kind { kBlank, kSection, kKey, kOther };
    std::uint64_t begin = 0;  // its first byte
    std::uint64_t textEnd = 0;  // after its text: the CR of a CR LF (or of the file's end) is not text
    std::uint64_t next = 0;  // where the next line begins
    bool crlf = false;  // its line end is a CR LF
    Kind kind = Kind::kBlank;
    bool named = false;  // a section line naming the section, or a key line naming the key
    std::string value;  // a named key line's value: blanks around it dropped, at most 2047 bytes
};

// Splits bytes fed block by block into lines and classifies each for one
// section and one key. Only what that takes is kept (names as long as the
// wanted ones, a value's first 2047 bytes), and a line whose kind is known
// is passed over to its end: memory stays bounded whatever the lines.
class LineReader {
public:
    LineReader(std::string_view section, std::string_view key) : section_(section), key_(key) { }

    // Calls emit(line) for each line the block completes, until emit returns
    // false; returns false then.
    template <typename Emit> bool Feed(std::string_view block, Emit&& emit)
    {
        if (block.empty())
            return true;
        std::size_t i = 0;
        if (offset_ == 0) {
            if (block.substr(0, kByteOrderMark.size()) == kByteOrderMark)
                i = kByteOrderMark.size();  // passed over, and not part of the first line
            line_.begin = i;
        }
        if (heldCr_ && block[0] != '\n')
            Take('\r');  // the CR that ended the last block was text
        heldCr_ = false;
        while (i < block.size()) {
            if (state_ == State::kSkip) {
                const void* end = std::memchr(block.data() + i, '\n', block.size() - i);
                if (end == nullptr)
                    break;
                i = static_cast<std::size_t>(static_cast<const char*>(end) - block.data());
            }
            const char c = block[i];
            if (c == '\n') {
                const std::uint64_t at = offset_ + i;
                const char before = i > 0 ? block[i - 1] : last_;
                line_.crlf = at > line_.begin && before == '\r';
                line_.textEnd = at - (line_.crlf ? 1 : 0);
                line_.next = at + 1;
                if (!EndLine(emit))
                    return false;
            } else if (c != '\r') {
                Take(c);
            } else if (i + 1 == block.size()) {
                heldCr_ = true;  // text unless the next block begins with a line end
            } else if (block[i + 1] != '\n') {
                Take(c);  // a CR is text unless a line end follows it at once
            }
            ++i;
        }
        last_ = block.back();
        offset_ += block.size();
        return true;
    }

    // The end of the input: a last line without a line end is a line too.
    template <typename Emit> void Finish(Emit&& emit)
    {
        if (line_.begin >= offset_)
            return;
        line_.crlf = last_ == '\r';  // a CR at the very end is not text
        line_.textEnd = offset_ - (line_.crlf ? 1 : 0);
        line_.next = offset_;
        EndLine(emit);
    }

    char LastByte() const { return last_; }

    // Whether the rest of the current line is being passed over unread.
    bool PassingOver() const { return state_ == State::kSkip; }

    // `count` NUL bytes (a hole of a sparse file) passed over while the rest
    // of a line is: they hold no line end.
    void PassOver(std::uint64_t count)
    {
        offset_ += count;
        last_ = '\0';
        heldCr_ = false;  // a CR before the hole was text
    }

private:
    enum class State { kLead, kSectionName, kKeyName, kValueLead, kValue, kSkip };

    // One byte of a line's text.
    void Take(char c)
    {
        switch (state_) {
        case State::kLead:
            if (IsBlank(c))
                return;
            if (c == '[') {
                line_.kind = Line::Kind::kSection;
                state_ = State::kSectionName;
            } else {
                line_.kind = Line::Kind::kOther;  // a key line once an "=" comes
                state_ = State::kKeyName;
                TakeName(c, key_);
            }
            return;
        case State::kSectionName:
            if (c == ']') {
                line_.named = Named(section_);
                state_ = State::kSkip;
            } else if (!TakeName(c, section_)) {
                state_ = State::kSkip;
            }
            return;
        case State::kKeyName:
            if (c == '=') {
                line_.kind = Line::Kind::kKey;
                line_.named = Named(key_);
                blankRun_.clear();  // after the name, not part of it
                state_ = line_.named ? State::kValueLead : State::kSkip;
            } else if (!TakeName(c, key_)) {
                state_ = State::kSkip;  // a name longer than the key's
            }
            return;
        case State::kValueLead:
            if (IsBlank(c))
                return;
            state_ = State::kValue;
            [[fallthrough]];
        case State::kValue:
            if (IsBlank(c)) {
                if (blankRun_.size() < kLongestValue)
                    blankRun_ += c;  // inside the value if more text follows
            } else {
                line_.value += blankRun_.substr(0, kLongestValue - line_.value.size());
                blankRun_.clear();
                if (line_.value.size() < kLongestValue)
                    line_.value += c;
                if (line_.value.size() == kLongestValue)
                    state_ = State::kSkip;  // the rest is cut
            }
            return;
        case State::kSkip:
            return;
        }
    }

    // Adds a byte to the name being read (blanks inside it kept, around it
    // dropped); false once the name is longer than `wanted`.
    bool TakeName(char c, std::string_view wanted)
    {
        if (IsBlank(c)) {
            if (name_.empty())
                return true;  // before the name
            if (name_.size() + blankRun_.size() < wanted.size())
                blankRun_ += c;
            else
                ++extraBlanks_;  // more than fit: too long if the name goes on
            return true;
        }
        if (extraBlanks_ > 0)
            return false;
        name_ += blankRun_;
        blankRun_.clear();
        name_ += c;
        return name_.size() <= wanted.size();
    }

    bool Named(std::string_view wanted) const { return SameName(name_, wanted); }

    template <typename Emit> bool EndLine(Emit&& emit)
    {
        if (state_ == State::kSectionName)
            line_.named = Named(section_);  // no "]": the name runs to the line's end
        const bool go = emit(static_cast<const Line&>(line_));
        const std::uint64_t next = line_.next;
        line_ = Line();
        line_.begin = next;
        state_ = State::kLead;
        name_.clear();
        blankRun_.clear();
        extraBlanks_ = 0;
        return go;
    }

    std::string_view section_;
    std::string_view key_;
    std::uint64_t offset_ = 0;  // of the block being fed
    char last_ = '\0';  // the last byte fed
    bool heldCr_ = false;  // the block ended in a CR: text unless a line end follows
    State state_ = State::kLead;
    Line line_;
    std::string name_;
    std::string blankRun_;  // blanks after the name or value so far: inside it if more follows
    std::size_t extraBlanks_ = 0;
};

// What a write does to the file: the bytes [from, to) become `text`.
struct Edit {
    std::uint64_t from = 0;
    std::uint64_t to = 0;
    std::string text;
};

// Follows the lines of one file and decides where the key goes: its first
// occurrence in the first section of that name is replaced; otherwise it is
// added after that section's last entry, or a new section at the end.
class EditFinder {
public:
    EditFinder(std::string_view section, std::string_view key, std::string_view value)
        : section_(section),
          keyLine_(std::string(key) + "=" + std::string(value))
    {
    }

    bool operator()(const Line& line)
    {
        if (first_) {
            lineEnd_ = line.crlf ? "\r\n" : "\n";
            first_ = false;
        }
        if (line.kind == Line::Kind::kSection) {
            if (inSection_)
                return false;  // only the first section of that name counts
            inSection_ = line.named;
            if (inSection_)
                insertAt_ = line.next;
        } else if (inSection_) {
            if (line.kind == Line::Kind::kKey && line.named) {
                edit_ = Edit{line.begin, line.textEnd, keyLine_};
                return false;
            }
            if (line.kind != Line::Kind::kBlank)
                insertAt_ = line.next;
        }
        return true;
    }

    Edit Result(std::uint64_t size, char lastByte) const
    {
        if (edit_)
            return *edit_;
        // A last line without its line end gets one first: the CR LF's LF
        // after a bare CR, so that the CR stays a line end.
        const bool open = size > 0 && lastByte != '\n';
        const std::string closing = !open ? "" : lastByte == '\r' ? "\n" : lineEnd_;
        if (insertAt_) {
            const std::string before = *insertAt_ == size ? closing : "";
            return Edit{*insertAt_, *insertAt_, before + keyLine_ + lineEnd_};
        }
        return Edit{size, size, closing + "[" + section_ + "]" + lineEnd_ + keyLine_ + lineEnd_};
    }

private:
    std::string section_;
    std::string keyLine_;
    std::string lineEnd_ = "\n";  // the first line's, for new lines
    bool first_ = true;
    bool inSection_ = false;
    std::optional<std::uint64_t> insertAt_;
    std::optional<Edit> edit_;
};

// Feeds a file's first `size` bytes to `reader` from its start, until `emit`
// stops it. `size` is the file's size when it was opened: a file that keeps
// growing is read as it was. The holes of a sparse file are passed over
// unread wherever the reader is passing over the rest of a line.
template <typename Emit> bool ReadLines(int fd, std::uint64_t size, LineReader& reader, Emit&& emit)
{
    std::vector<char> buffer(kBlock);
    const auto end = static_cast<off_t>(size);
    for (off_t offset = 0; offset < end;) {
        if (reader.PassingOver()) {
            off_t data = lseek(fd, offset, SEEK_DATA);
            if (data < 0)
                data = errno == ENXIO ? end : offset;  // a hole to the end; or no hole known: read on
            data = std::min(std::max(data, offset), end);
            if (data > offset) {
                reader.PassOver(static_cast<std::uint64_t>(data - offset));
                offset = data;
                continue;
            }
        }
        const auto wanted = static_cast<std::size_t>(std::min<off_t>(end - offset, static_cast<off_t>(buffer.size())));
        const ssize_t count = pread(fd, buffer.data(), wanted, offset);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return false;
        if (count == 0)
            break;
        offset += count;
        if (!reader.Feed(std::string_view(buffer.data(), static_cast<std::size_t>(count)), emit))
            return true;
    }
    reader.Finish(emit);
    return true;
}

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
int OpenRegular(const std::string& path, struct stat& status, int access = O_RDONLY)
{
    const int fd = open(path.c_str(), access | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    if (fd >= 0 && (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))) {
        close(fd);
        return -1;
    }
    return fd;
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
            const ssize_t copied = copy_file_range(in, &source, out, &target, length, 0);
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
        ssize_t count = pread(in, buffer.data(), chunk, from + offset);
        if (count < 0 && errno == EINTR)
            continue;
        if (count != static_cast<ssize_t>(chunk))
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
        off_t data = lseek(in, from, SEEK_DATA);
        if (data < 0 && errno == ENXIO)
            return true;  // a hole to the end
        if (data < 0)
            data = from;  // holes not known here: all of it is data
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

// Whether the edit would leave the file's bytes as they are.
bool Unchanged(int fd, const Edit& edit)
{
    if (edit.to - edit.from != edit.text.size())
        return false;
    std::string bytes(edit.text.size(), '\0');
    return pread(fd, bytes.data(), bytes.size(), static_cast<off_t>(edit.from))
        == static_cast<ssize_t>(bytes.size())
        && bytes == edit.text;
}

enum class Replaced { kDone, kOwnerCannotPass, kFailed };

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
        return fail(Replaced::kOwnerCannotPass);
    const mode_t mode = status != nullptr ? status->st_mode & 07777 : NewFileMode();
    const off_t from = static_cast<off_t>(edit.from);
    const bool written = (old < 0 || CopyBytes(old, 0, fd, 0, edit.from)) && WriteAll(fd, edit.text, from)
        && (old < 0
            || CopyBytes(old, static_cast<off_t>(edit.to), fd, from + static_cast<off_t>(edit.text.size()),
                size - edit.to))
        && ftruncate(fd, from + static_cast<off_t>(edit.text.size() + (old < 0 ? 0 : size - edit.to))) == 0
        && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    if (!written || (name.empty() && !NameTemporary(fd, folder, name)))
        return fail(Replaced::kFailed);
    if (rename(name.c_str(), target.c_str()) != 0)
        return fail(Replaced::kFailed);
    close(fd);
    SyncFolder(folder);
    return Replaced::kDone;
}

// Rewrites the file open as `fd`, the very file that was read and checked
// (its owner, group, mode and links untouched): the edit's text and the bytes
// after it go to their new place, the file takes its new length and reaches
// the disk. Where the bytes after the edit fit in memory (the edit of a
// settings file is a flag's value, or a key added), all of it is one write.
// The kernel finishes a write once begun only within a page, so for a file
// of a settings file's size a kill leaves the old file or the new one (one
// that shrinks can still keep its old last bytes if killed between that write
// and the cut); a longer write, or a tail moved a block at a time, can be
// left part-way.
bool RewriteInPlace(int fd, std::uint64_t size, const Edit& edit)
{
    constexpr std::uint64_t kOneWrite = 4 << 20;
    const std::uint64_t tail = size - edit.to;
    const std::uint64_t newSize = size - (edit.to - edit.from) + edit.text.size();
    const off_t tailTo = static_cast<off_t>(edit.from + edit.text.size());
    // Room first: a full disk fails before a byte has changed.
    const bool room = newSize <= size
        || fallocate(fd, FALLOC_FL_KEEP_SIZE, static_cast<off_t>(size), static_cast<off_t>(newSize - size)) == 0
        || errno == EOPNOTSUPP;
    if (!room)
        return false;
    bool moved = false;
    if (tail <= kOneWrite) {
        std::string text = edit.text;
        text.resize(edit.text.size() + tail);
        moved = (tail == 0
                    || pread(fd, text.data() + edit.text.size(), tail, static_cast<off_t>(edit.to))
                        == static_cast<ssize_t>(tail))
            && WriteAll(fd, text, static_cast<off_t>(edit.from));
    } else {
        moved = CopyBytes(fd, static_cast<off_t>(edit.to), fd, tailTo, tail)
            && WriteAll(fd, edit.text, static_cast<off_t>(edit.from));
    }
    return moved && (newSize >= size || ftruncate(fd, static_cast<off_t>(newSize)) == 0) && fsync(fd) == 0;
}

// Follows the lines of one file for the key's value: its first occurrence in
// the first section of that name.
class ValueFinder {
public:
    bool operator()(const Line& line)
    {
        if (line.kind == Line::Kind::kSection) {
            if (inSection_)
                return false;  // only the first section of that name counts
            inSection_ = line.named;
        } else if (inSection_ && line.kind == Line::Kind::kKey && line.named) {
            value = line.value;
            return false;
        }
        return true;
    }

    std::optional<std::string> value;

private:
    bool inSection_ = false;
};

}  // namespace

std::optional<std::string> ReadProfileValue(
    const std::string& file, std::string_view section, std::string_view key)
{
    const std::optional<std::string> target = ResolveLinks(file);
    struct stat status;
    const int fd = target ? OpenRegular(*target, status) : -1;
    if (fd < 0)
        return std::nullopt;
    LineReader reader(section, key);
    ValueFinder finder;
    const bool read = ReadLines(fd, static_cast<std::uint64_t>(status.st_size), reader, finder);
    close(fd);
    return read ? finder.value : std::nullopt;
}

std::optional<std::string> ProfileValueIn(
    std::string_view contents, std::string_view section, std::string_view key)
{
    LineReader reader(section, key);
    ValueFinder finder;
    if (reader.Feed(contents, finder))
        reader.Finish(finder);
    return finder.value;
}

std::string WithProfileValue(
    std::string_view contents, std::string_view section, std::string_view key, std::string_view value)
{
    LineReader reader(section, key);
    EditFinder finder(section, key, value);
    if (reader.Feed(contents, finder))
        reader.Finish(finder);
    const Edit edit = finder.Result(contents.size(), contents.empty() ? '\0' : contents.back());
    std::string result(contents.substr(0, edit.from));
    result += edit.text;
    result += contents.substr(edit.to);
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
    LineReader reader(section, key);
    EditFinder finder(section, key, value);
    if (old >= 0 && !ReadLines(old, size, reader, finder)) {
        close(old);
        return false;
    }
    const Edit edit = finder.Result(size, reader.LastByte());
    if (old >= 0 && Unchanged(old, edit)) {
        close(old);
        return true;  // the file already says so: rewriting it would change no byte
    }
    const std::string folder = FolderOf(*target);
    const bool folderWritable = faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;

    // Replacing is atomic, but the new file is this user's: only where the old
    // owner and group can pass to it. Otherwise the file is rewritten in place.
    Replaced replaced = Replaced::kOwnerCannotPass;
    if (folderWritable && (old < 0 || geteuid() == 0 || status.st_uid == geteuid()))
        replaced = ReplaceFile(*target, old, old >= 0 ? &status : nullptr, size, edit);
    if (replaced == Replaced::kOwnerCannotPass && old >= 0) {
        const bool rewritten = RewriteInPlace(old, size, edit);
        return close(old) == 0 && rewritten;
    }
    if (old >= 0)
        close(old);
    return replaced == Replaced::kDone;
}

}  // namespace zentorix
