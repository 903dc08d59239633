#include "frame/settings/inifile.h"

#include "frame/os/codepage.h"
#include "frame/settings/profile.h"

namespace zentorix {
namespace {

int DigitValue(char c, int base)
{
    int value = 99;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (base == 16 && c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    else if (base == 16 && c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    return value < base ? value : -1;
}

}  // namespace

std::optional<std::int32_t> TextToWhole(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i == text.size())
        return std::nullopt;

    bool negative = false;
    int base = 10;
    const char first = text[i];
    const char second = i + 1 < text.size() ? text[i + 1] : '\0';
    if (first == '-' || first == '+') {
        negative = first == '-';
        ++i;
    } else if (first == '$' || first == 'x' || first == 'X') {
        base = 16;
        ++i;
    } else if (first == '0' && (second == 'x' || second == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        return std::nullopt;  // a sign or a hexadecimal mark without digits

    // Before each further digit the value so far may be at most a tenth (a
    // sixteenth) of the range, so it never overflows 32 bits unsigned.
    const std::uint32_t limit = base == 10 ? 214748364u : 0x0FFFFFFFu;
    std::uint32_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0 || value > limit)
            return std::nullopt;
        value = value * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
    }
    if (base == 16)
        return static_cast<std::int32_t>(value);  // eight "F" are -1
    if (negative)
        return value <= 2147483648u
            ? std::optional(static_cast<std::int32_t>(-static_cast<std::int64_t>(value)))
            : std::nullopt;
    return value <= 2147483647u ? std::optional(static_cast<std::int32_t>(value)) : std::nullopt;
}

std::string TIniFile::ReadText(
    std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    std::string value = ReadProfileValue(fileName_, section, key).value_or(std::string(defaultValue));
    if (value.size() > kLongestValue)
        value.resize(kLongestValue);
    return value;
}

void TIniFile::WriteText(std::string_view section, std::string_view key, std::string_view value)
{
    if (!WriteProfileValue(fileName_, section, key, value))
        throw EIniFileException("Unable to write to " + PathForMessage(fileName_));
}

std::int32_t TIniFile::ReadNumber(
    std::string_view section, std::string_view key, std::int32_t defaultValue) const
{
    std::string text = ReadText(section, key, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.replace(0, 2, "$");
    return TextToWhole(text).value_or(defaultValue);
}

bool TIniFile::ReadFlag(std::string_view section, std::string_view key, bool defaultValue) const
{
    return ReadNumber(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteFlag(std::string_view section, std::string_view key, bool value)
{
    WriteText(section, key, value ? "1" : "0");
}

}  // namespace zentorix
