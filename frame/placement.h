// Where a top-level window opens.
#pragma once

class QScreen;
class QWidget;

namespace zentorix {

// Places `window` so that its frame is centred on `screen`'s available area
// (the primary screen when none is given), or, when the frame is larger than
// the area, with its top left corner on the area's. Called before the window
// is mapped: on X11 the window manager is asked for the frame it will add
// (and waited for, unshown, up to 2 s; a frame wider than a quarter of the
// screen on a side is not believed), and the window is never moved
// afterwards. On Wayland the compositor places windows, and this does
// nothing.
void CentreOnScreen(QWidget* window, const QScreen* screen = nullptr);

// Asks the X11 window manager now for the frame it will put around `window`
// (which is created for it): the answer is there, without a wait, when the
// window is centred as it is first shown.
void AskForFrame(QWidget* window);

}  // namespace zentorix
