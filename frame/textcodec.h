// Text crossing between Qt (UTF-16) and the core (8-bit text in the system's
// code page): the one seam where the code page is known. Qt 6 always takes
// local 8-bit text as UTF-8 on Linux, so other code pages go through iconv
// (ConvertCharset).
#pragma once

#include "calc/extended.h"

#include <QString>

#include <string>
#include <string_view>
#include <vector>

namespace zentorix {

// Characters the code page cannot hold become "?".
std::string ToSystemText(const QString& text);
QString FromSystemText(std::string_view text);

// A path's bytes as text to show: UTF-8 where they are valid UTF-8, as Qt and
// GLib take file names whatever the locale, else in the code page.
QString PathText(std::string_view path);

// The core's number text for the windows' boxes: TextToReal, RealToText and
// ReadEntries on the text the boxes hold.
Extended ReadNumber(const QString& text);
QString NumberText(double value);
std::vector<double> ReadList(const QString& list);

}  // namespace zentorix
