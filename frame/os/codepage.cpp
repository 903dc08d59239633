#include "frame/os/codepage.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

namespace zentorix {
namespace {

// "GB2312", "gb-2312", "CP936" all compare equal.
std::string Normalised(std::string_view name)
{
    std::string out;
    for (const char c : name)
        if (std::isalnum(static_cast<unsigned char>(c)))
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

CodePage ClassifyCharset(std::string_view codeset)
{
    const std::string name = Normalised(codeset);
    const auto any = [&](std::initializer_list<const char*> names) {
        return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
    };
    if (any({"GBK", "CP936", "GB2312", "GB18030", "EUCCN", "MS936", "WINDOWS936"}))
        return CodePage::Gbk;
    if (any({"BIG5", "CP950", "BIG5HKSCS", "MS950", "WINDOWS950"}))
        return CodePage::Big5;
    if (any({"SHIFTJIS", "SJIS", "CP932", "MS932", "WINDOWS31J", "WINDOWS932"}))
        return CodePage::ShiftJis;
    if (name.empty() || any({"UTF8", "ANSIX341968", "ASCII", "USASCII"}))
        return CodePage::Utf8;
    return CodePage::SingleByte;
}

SystemCharset ReadSystemCharset()
{
    SystemCharset charset;
    const locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr))
        return charset;
    const char* codeset = nl_langinfo_l(CODESET, locale);
    charset.name = codeset != nullptr ? codeset : "";
    freelocale(locale);
    charset.page = ClassifyCharset(charset.name);
    return charset;
}

const SystemCharset& ProcessCharset()
{
    static const SystemCharset charset = ReadSystemCharset();
    return charset;
}

bool IsLeadByte(CodePage page, unsigned char byte)
{
    switch (page) {
    case CodePage::Gbk:
    case CodePage::Big5:
        return byte >= 0x81 && byte <= 0xFE;
    case CodePage::ShiftJis:
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case CodePage::Utf8:
    case CodePage::SingleByte:
        break;
    }
    return false;
}

bool IsTrailByte(CodePage page, unsigned char byte)
{
    switch (page) {
    case CodePage::Gbk:
        return byte >= 0x40 && byte <= 0xFE && byte != 0x7F;
    case CodePage::Big5:
        return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0xA1 && byte <= 0xFE);
    case CodePage::ShiftJis:
        return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
    case CodePage::Utf8:
    case CodePage::SingleByte:
        break;
    }
    return false;
}

bool IsSecondByte(CodePage page, std::string_view text, std::size_t index)
{
    std::size_t run = 0;
    while (run < index && IsLeadByte(page, static_cast<unsigned char>(text[index - run - 1])))
        ++run;
    return run % 2 == 1;
}

namespace {

// The length of the character that starts `text` in the charset `from`:
// a whole UTF-8 sequence or double-byte character where the bytes make one,
// otherwise the one byte.
std::size_t CharacterLength(std::string_view text, const char* from)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const CodePage page = ClassifyCharset(from);
    if (page == CodePage::Utf8) {
        const unsigned char lead = byte(0);
        const std::size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 1;
        if (lead >= 0xF5 || length > text.size())
            return 1;
        for (std::size_t i = 1; i < length; ++i) {
            if ((byte(i) & 0xC0) != 0x80)
                return 1;
        }
        return length;
    }
    return text.size() >= 2 && IsLeadByte(page, byte(0)) && IsTrailByte(page, byte(1)) ? 2 : 1;
}

}  // namespace

// Converts with iconv, replacing each character it cannot convert by one "?".
// Returns false when iconv does not know one of the two charsets.
bool ConvertCharset(std::string_view input, const char* to, const char* from, std::string& output)
{
    const iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1))
        return false;
    output.clear();
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char buffer[1024];
    while (inLeft > 0) {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
        const int error = errno;
        output.append(buffer, out);
        if (result == static_cast<std::size_t>(-1) && error != E2BIG) {
            output += '?';
            // A character cut short at the end (EINVAL) is the rest of the text.
            const std::size_t skipped
                = error == EINVAL ? inLeft : CharacterLength(std::string_view(in, inLeft), from);
            in += skipped;
            inLeft -= skipped;
        }
    }
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(converter, nullptr, nullptr, &out, &outLeft);
    output.append(buffer, out);
    iconv_close(converter);
    return true;
}

bool IsValidUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        // The sequence's length, the bits its lead byte holds, and the least
        // code point that needs that length.
        std::size_t length = 4;
        unsigned point = lead & 0x07U;
        unsigned least = 0x10000;
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            point = lead & 0x1FU;
            least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            point = lead & 0x0FU;
            least = 0x800;
        } else if ((lead & 0xF8) != 0xF0) {
            return false;  // a continuation byte, or no lead byte of UTF-8
        }
        if (text.size() - i < length)
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            point = point << 6 | (next & 0x3FU);
        }
        if (point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

std::string PathForMessage(std::string_view path, const SystemCharset& charset)
{
    std::string converted;
    if (charset.page != CodePage::Utf8 && IsValidUtf8(path)
        && ConvertCharset(path, charset.name.c_str(), "UTF-8", converted))
        return converted;
    return std::string(path);
}

}  // namespace zentorix
