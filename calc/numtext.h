// The only conversions between numbers and their text, and the trimming of
// list lines. All work on 8-bit text and use the one process-wide DecimalMark.
#pragma once

#include "extended.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace zentorix {

// The decimal separator both conversions use; "." when the locale gives none.
extern char DecimalMark;

// The user's decimal separator (LC_NUMERIC), read without changing the
// process locale; "." when it is missing or longer than one byte.
char ReadDecimalMark() noexcept;

// DecimalMark = ReadDecimalMark(): at start-up and whenever the locale changes.
void RefreshDecimalMark() noexcept;

// The text shown for a number: up to 15 significant digits, plain form for
// decimal exponents -3 to 15, scientific ("1.5E-7") outside; "INF", "-INF",
// "NAN". Never fails.
std::string RealToText(Extended value);

// Room for any text RealToText makes (at most 23 characters, 22 for a
// double) and for the fixed-size copies that build it.
using RealChars = std::array<char, 40>;

// RealToText without allocating, for callers that show many numbers: the
// text is written at the start of `chars`; returns its length.
std::size_t RealToChars(Extended value, RealChars& chars);

// The extended value a text denotes: blanks (code 32) around it, a sign, digits
// with at most one DecimalMark, an optional exponent. Raises EConvertError
// "'<text>' is not a valid floating point value" otherwise, and when the value
// is beyond the extended range.
Extended TextToReal(std::string_view text);

// `text` without the leading and trailing bytes of code 32 or less.
std::string TrimText(std::string_view text);

}  // namespace zentorix
