// The system's 8-bit code page: the character set of the user's LC_CTYPE.
// Rules that look at single characters step over the second byte of a
// two-byte character in the double-byte code pages. Text passes between code
// pages through iconv.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zentorix {

enum class CodePage {
    Utf8,  // also ASCII ("C" locale): no lead bytes
    SingleByte,  // Latin-1 and the like: no lead bytes
    Gbk,  // GBK, CP936, GB2312, GB18030: lead bytes 0x81-0xFE
    Big5,  // Big5, CP950: lead bytes 0x81-0xFE
    ShiftJis,  // Shift_JIS, CP932: lead bytes 0x81-0x9F, 0xE0-0xFC
};

struct SystemCharset {
    CodePage page = CodePage::Utf8;
    std::string name;  // the codeset's name, as iconv knows it
};

// The code page of a charset named as iconv names it.
CodePage ClassifyCharset(std::string_view codeset);

// The charset of the user's LC_CTYPE, read without changing the process locale.
SystemCharset ReadSystemCharset();

// Read once, on first use.
const SystemCharset& ProcessCharset();

bool IsLeadByte(CodePage page, unsigned char byte);

// Whether `byte` can be the second byte of a two-byte character (0x5C can in
// all three double-byte code pages; "." and "/" never can).
bool IsTrailByte(CodePage page, unsigned char byte);

// Whether text[index] is the second byte of a two-byte character: the run of
// consecutive lead bytes standing right before it has an odd length.
bool IsSecondByte(CodePage page, std::string_view text, std::size_t index);

// `input` from the charset `from` to `to` (iconv's names), each character that
// cannot be converted becoming one "?"; false when iconv knows either not.
bool ConvertCharset(std::string_view input, const char* to, const char* from, std::string& output);

// Whether `text` is UTF-8 throughout: no overlong form, surrogate or code
// point beyond U+10FFFF.
bool IsValidUtf8(std::string_view text);

// A path's bytes for a message in `charset`: a path that is valid UTF-8 is
// UTF-8, as Qt and GLib take file names whatever the locale, and is
// converted; other bytes stand as they are.
std::string PathForMessage(std::string_view path, const SystemCharset& charset = ProcessCharset());

}  // namespace zentorix
