// What the two information dialogs share: a dialog frame that cannot be
// resized, centred on the screen, and the program's font at a given height.
#pragma once

class QDialog;

namespace zentorix {

void SetDialogFrame(QDialog* dialog, int fontPixelHeight);

}  // namespace zentorix
