// Where a top-level window opens.
#pragma once

class QScreen;
class QWidget;

namespace zentorix {

// Moves `window` so that its frame is centred on `screen`'s available area
// (the primary screen when none is given). Until the window has been shown,
// its frame is not known: the window manager adds it when it maps the window,
// so the window is centred again once its frame is known.
void CentreOnScreen(QWidget* window, const QScreen* screen = nullptr);

}  // namespace zentorix
