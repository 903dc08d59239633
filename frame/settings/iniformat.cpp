#include "frame/settings/iniformat.h"

#include "frame/settings/profile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

#include <vector>

namespace zentorix {
namespace {

constexpr std::size_t kBlock = 64 * 1024;  // what is read at a time
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
            // The length is fstat's: an ENXIO ("a hole to the end") inside
            // it is not believed, and the rest is read.
            off_t data = lseek(fd, offset, SEEK_DATA);
            if (data < 0)
                data = offset;
            data = std::min(std::max(data, offset), end);
            if (data > offset) {
                reader.PassOver(static_cast<std::uint64_t>(data - offset));
                offset = data;
                continue;
            }
        }
        const auto wanted
            = static_cast<std::size_t>(std::min<off_t>(end - offset, static_cast<off_t>(buffer.size())));
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

}  // namespace

std::optional<std::string> ValueInText(std::string_view text, std::string_view section, std::string_view key)
{
    LineReader reader(section, key);
    ValueFinder finder;
    if (reader.Feed(text, finder))
        reader.Finish(finder);
    return finder.value;
}

bool ValueInFile(int fd, std::uint64_t size, std::string_view section, std::string_view key,
    std::optional<std::string>& value)
{
    LineReader reader(section, key);
    ValueFinder finder;
    if (!ReadLines(fd, size, reader, finder))
        return false;
    value = finder.value;
    return true;
}

Edit EditForText(
    std::string_view text, std::string_view section, std::string_view key, std::string_view value)
{
    LineReader reader(section, key);
    EditFinder finder(section, key, value);
    if (reader.Feed(text, finder))
        reader.Finish(finder);
    return finder.Result(text.size(), text.empty() ? '\0' : text.back());
}

bool EditForFile(int fd, std::uint64_t size, std::string_view section, std::string_view key,
    std::string_view value, Edit& edit)
{
    LineReader reader(section, key);
    EditFinder finder(section, key, value);
    if (!ReadLines(fd, size, reader, finder))
        return false;
    edit = finder.Result(size, reader.LastByte());
    return true;
}

}  // namespace zentorix
