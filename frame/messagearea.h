// The message of the program's box as a read-only text area: the text exactly
// as written, wrapped and scrolled as it needs, read whole by a screen reader.
#pragma once

#include <QString>

class QPlainTextEdit;
class QWidget;

namespace zentorix {

// The text as the box shows it: a CR LF pair is one line end.
QString LinesOf(const QString& text);

// The message, exactly as written, in a read-only text area that looks like
// the box's label: a run without blanks wraps anywhere (nothing is inserted),
// a text taller than a third of the screen scrolls (nothing is left out), and
// a selection copies the text itself. Its size is fixed for `lines`.
QPlainTextEdit* MessageArea(const QString& lines, QWidget* box);

// The message as a screen reader gets it: the whole text, up to a length
// that can still be listened to.
QString SpokenForm(const QString& lines);

}  // namespace zentorix
