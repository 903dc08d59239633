// Text crossing between Qt (UTF-16) and the core (8-bit text in the system's
// code page). Qt 6 always takes local 8-bit text as UTF-8 on Linux, so other
// code pages go through iconv (ConvertCharset).
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace zentorix {

// Characters the code page cannot hold become "?".
std::string ToSystemText(const QString& text);
QString FromSystemText(std::string_view text);

}  // namespace zentorix
