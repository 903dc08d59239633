#include "frame/messagearea.h"

#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace zentorix {
namespace {

// The width of the longest line and the height of all lines of `text` laid
// out as the text area lays it out, `width` wide.
QSizeF LaidOutSize(const QString& text, const QFont& font, int width)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTextDirection(Qt::LeftToRight);
    QSizeF size;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            size.setWidth(std::max(size.width(), line.naturalTextWidth()));
            size.rheight() += line.height();
        }
        layout.endLayout();
    }
    return size;
}

// What a quoted run leaves open at its end, closed: an embedding or override
// (U+202A, U+202B, U+202D, U+202E) by U+202C, an isolate (U+2066 to U+2068)
// by U+2069, innermost first.
QString ClosersFor(QStringView quote)
{
    std::vector<bool> open;  // isolate (true) or embedding (false), innermost last
    for (const QChar c : quote) {
        switch (c.unicode()) {
        case 0x202A:
        case 0x202B:
        case 0x202D:
        case 0x202E:
            open.push_back(false);
            break;
        case 0x202C:
            if (!open.empty() && !open.back())
                open.pop_back();
            break;
        case 0x2066:
        case 0x2067:
        case 0x2068:
            open.push_back(true);
            break;
        case 0x2069:  // the innermost isolate, with what opened inside it
            if (std::find(open.begin(), open.end(), true) != open.end()) {
                while (!open.back())
                    open.pop_back();
                open.pop_back();
            }
            break;
        default:
            break;
        }
    }
    QString closers;
    for (auto entry = open.rbegin(); entry != open.rend(); ++entry)
        closers += QChar(*entry ? 0x2069 : 0x202C);
    return closers;
}

// The text area of the box. A list line quoted in the message ('…') may hold
// bidirectional controls; what they open is closed at the closing quote, so
// they reorder nothing of the program's own words. The closers go into the
// line's layout alone (its pre-edit area, which the text control clears when
// it loses the focus or is clicked, and which is set again then): the text
// shown, copied and read stays the message.
class MessageText : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

    void IsolateQuotes()
    {
        for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
            const QString text = block.text();
            const qsizetype open = text.indexOf(QLatin1Char('\''));
            const qsizetype close = text.lastIndexOf(QLatin1Char('\''));
            if (open < 0 || close <= open)
                continue;
            const QString closers = ClosersFor(QStringView(text).sliced(open + 1, close - open - 1));
            QTextLayout* layout = block.layout();
            if (closers.isEmpty()
                || (layout->preeditAreaPosition() == close && layout->preeditAreaText() == closers))
                continue;
            layout->setPreeditArea(static_cast<int>(close), closers);
            document()->markContentsDirty(block.position(), block.length());
        }
    }

protected:
    void focusOutEvent(QFocusEvent* event) override
    {
        QPlainTextEdit::focusOutEvent(event);
        IsolateQuotes();
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        QPlainTextEdit::mousePressEvent(event);
        IsolateQuotes();
    }
};

}  // namespace

QString LinesOf(const QString& text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return lines;
}

QPlainTextEdit* MessageArea(const QString& lines, QWidget* box)
{
    auto* area = new MessageText(box);
    area->setObjectName(QStringLiteral("MessageText"));
    area->setReadOnly(true);
    area->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    area->setFocusPolicy(Qt::ClickFocus);  // the keyboard stays on the buttons
    area->setFrameShape(QFrame::NoFrame);
    // Wrapping at word boundaries costs the square of a long line's length:
    // a very long text wraps anywhere. (The area made and shown offscreen,
    // one line of digits: 64,000 characters in 950 ms measured and wrapped
    // at word boundaries, 62 ms so; a megabyte in 238 s, 0.87 s so.)
    constexpr qsizetype kMeasured = 4000;
    area->setWordWrapMode(
        lines.size() <= kMeasured ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::WrapAnywhere);
    // Left to right, as the list box is: a right-to-left mark in a quoted
    // list line must not turn the line round.
    QTextOption direction = area->document()->defaultTextOption();
    direction.setTextDirection(Qt::LeftToRight);
    area->document()->setDefaultTextOption(direction);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette palette = area->palette();
    palette.setBrush(QPalette::Base, palette.window());
    area->setPalette(palette);
    area->setPlainText(lines);
    area->IsolateQuotes();

    // As wide as the longest line, within limits; as tall as the wrapped text,
    // up to a third of the screen. Very long texts take the largest size
    // without being measured.
    const QRect screen = box->screen()->availableGeometry();
    const int margin = 2 * static_cast<int>(area->document()->documentMargin()) + 6;  // and the cursor
    const int maxWidth = std::min(560, screen.width() / 2);
    const int maxHeight = screen.height() / 3;
    QSize size(maxWidth, maxHeight);
    if (lines.size() <= kMeasured) {
        const QSizeF laidOut = LaidOutSize(lines, area->font(), maxWidth - margin);
        size = QSize(std::max(200, static_cast<int>(std::ceil(laidOut.width())) + margin),
            std::min(maxHeight, static_cast<int>(std::ceil(laidOut.height())) + margin));
    }
    if (size.height() == maxHeight)
        size.rwidth() += area->verticalScrollBar()->sizeHint().width();
    else
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // it would narrow the lines
    area->setFixedSize(size);
    return area;
}

QString SpokenForm(const QString& lines)
{
    constexpr qsizetype kLongestSpoken = 4000;
    return lines.size() <= kLongestSpoken ? lines : lines.left(kLongestSpoken) + QStringLiteral("…");
}

}  // namespace zentorix
