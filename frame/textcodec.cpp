#include "textcodec.h"

#include "codepage.h"

#include <cerrno>
#include <iconv.h>

namespace zentorix {
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

std::string ToSystemText(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    const SystemCharset& charset = ProcessCharset();
    std::string converted;
    if (charset.page != CodePage::Utf8
        && ConvertCharset(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())),
            charset.name.c_str(), "UTF-8", converted))
        return converted;
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

QString FromSystemText(std::string_view text)
{
    const SystemCharset& charset = ProcessCharset();
    std::string converted;
    if (charset.page != CodePage::Utf8 && ConvertCharset(text, "UTF-8", charset.name.c_str(), converted))
        text = converted;
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace zentorix
