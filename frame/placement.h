// Where a top-level window opens.
#pragma once

class QScreen;
class QWidget;

namespace zentorix {

// Places `window` so that its frame is centred on `screen`'s available area
// (the primary screen when none is given). Called before the window is
// mapped: on X11 the window manager is asked for the frame it will add, and
// the window is never moved afterwards. On Wayland the compositor places
// windows, and this does nothing.
void CentreOnScreen(QWidget* window, const QScreen* screen = nullptr);

}  // namespace zentorix
