// What the two information dialogs share: a dialog frame that cannot be
// resized, shown centred over the active window, the program's font at a given height, and
// their texts read aloud when they open.
#pragma once

class QDialog;
class QLabel;
class QString;

namespace zentorix {

void SetDialogFrame(QDialog* dialog, int fontPixelHeight);

// Shows the dialog modally, centred on the screen of the window that was
// active and transient for it (on Wayland the compositor puts it over that
// window); returns its result.
int ExecDialog(QDialog* dialog);

// Makes `text` the dialog's description, which a screen reader speaks as the
// dialog opens. A screen reader reads a dialog's loose labels instead where
// it has any of three words or more, and drops the shorter ones (a Chinese
// run without blanks is one word): so every text label of the dialog is made
// a label of `picture`, the program's own picture they describe, and the
// whole description is read.
void DescribeDialog(QDialog* dialog, const QString& text, QLabel* picture);

}  // namespace zentorix
