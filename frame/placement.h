// Where a top-level window opens.
#pragma once

class QScreen;
class QWidget;

namespace zentorix {

// Moves `window` so that its frame is centred on `screen`'s available area
// (the primary screen when none is given).
void CentreOnScreen(QWidget* window, const QScreen* screen = nullptr);

}  // namespace zentorix
