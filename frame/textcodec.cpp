#include "textcodec.h"

#include "codepage.h"

#include <cerrno>
#include <iconv.h>

namespace zentorix {
namespace {

// Converts with iconv, replacing each sequence it cannot convert by "?"
// (skipping one input byte at a time). Returns false when iconv does not know
// one of the two charsets.
bool Convert(std::string_view input, const char* to, const char* from, std::string& output)
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
        output.append(buffer, out);
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            output += '?';  // EILSEQ or a truncated sequence at the end
            ++in;
            --inLeft;
        }
    }
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(converter, nullptr, nullptr, &out, &outLeft);
    output.append(buffer, out);
    iconv_close(converter);
    return true;
}

}  // namespace

std::string ToSystemText(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    const SystemCharset& charset = ProcessCharset();
    std::string converted;
    if (charset.page != CodePage::Utf8
        && Convert(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())),
            charset.name.c_str(), "UTF-8", converted))
        return converted;
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

QString FromSystemText(std::string_view text)
{
    const SystemCharset& charset = ProcessCharset();
    std::string converted;
    if (charset.page != CodePage::Utf8 && Convert(text, "UTF-8", charset.name.c_str(), converted))
        text = converted;
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace zentorix
