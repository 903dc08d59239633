// The font every window of the program is laid out for.
#pragma once

#include <QFont>

class QWidget;

namespace zentorix {

// One CJK family first for every text, so that no widget falls back to a
// second CJK font (a cost in start-up time and memory), at `pixelHeight`.
QFont ProgramFont(int pixelHeight);

// Sets the font on `window` itself and on the menus it owns. A platform
// theme (qt6ct, say) replaces the application's font after start-up; a
// window's own font survives it, and the windows' layouts are fixed in
// pixels.
void SetProgramFont(QWidget* window, int pixelHeight);

}  // namespace zentorix
