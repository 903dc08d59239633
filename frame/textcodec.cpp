#include "frame/textcodec.h"

#include "calc/numtext.h"
#include "calc/resistors.h"
#include "frame/os/codepage.h"

namespace zentorix {

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

QString PathText(std::string_view path)
{
    const QByteArrayView bytes(path.data(), static_cast<qsizetype>(path.size()));
    if (bytes.isValidUtf8())
        return QString::fromUtf8(bytes);
    return FromSystemText(path);
}

Extended ReadNumber(const QString& text)
{
    return TextToReal(ToSystemText(text));
}

QString NumberText(double value)
{
    return FromSystemText(RealToText(value));
}

std::vector<double> ReadList(const QString& list)
{
    return ReadEntries(ToSystemText(list));
}

}  // namespace zentorix
