#include "codepage.h"

#include <algorithm>
#include <cctype>
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

}  // namespace zentorix
