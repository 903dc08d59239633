// What a screen reader gets of the windows' text boxes: each box read whole,
// and results announced as they are computed.
#pragma once

#include <QList>

class QLineEdit;
class QWidget;

namespace zentorix {

// Gives every single-line text box an accessible interface of the program's
// own. Qt's reports each character as a text-attribute run of its own,
// empty (from i to i); Orca builds the line it speaks from those runs and
// drops the last character ("2.5" heard as "2."). Call before the first box
// is made accessible.
void InstallWholeTextBoxes();

// Asks the screen reader, politely, to say the results in `boxes` ("label
// value, label value") without moving the focus or changing what the window
// shows.
void AnnounceResults(QWidget* window, const QList<QLineEdit*>& boxes);

}  // namespace zentorix
