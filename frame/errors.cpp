#include "frame/errors.h"

#include "frame/placement.h"
#include "frame/textcodec.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace zentorix {
namespace {

QPointer<QWidget> applicationWindow;
MessageBoxService replacement;

QMessageBox::Icon IconOf(std::uint32_t flags)
{
    switch (flags & 0xF0) {
    case mb::kIconStop:
        return QMessageBox::Critical;
    case mb::kIconQuestion:
        return QMessageBox::Question;
    case mb::kIconExclamation:
        return QMessageBox::Warning;
    case mb::kIconInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons ButtonsOf(std::uint32_t flags)
{
    switch (flags & 0x0F) {
    case mb::kOkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case mb::kYesNo:
        return QMessageBox::Yes | QMessageBox::No;
    default:
        return QMessageBox::Ok;
    }
}

// Qt's button values are not the platform's ids: map them explicitly.
int AnswerOf(int button)
{
    switch (button) {
    case QMessageBox::Ok:
        return mb::kIdOk;
    case QMessageBox::Cancel:
        return mb::kIdCancel;
    case QMessageBox::Yes:
        return mb::kIdYes;
    case QMessageBox::No:
        return mb::kIdNo;
    default:
        return 0;
    }
}

// The text as the box shows it: a CR LF pair is one line end.
QString LinesOf(const QString& text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return lines;
}

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

// The message, exactly as written, in a read-only text area that looks like
// the box's label: a run without blanks wraps anywhere (nothing is inserted),
// a text taller than a third of the screen scrolls (nothing is left out), and
// a selection copies the text itself.
QPlainTextEdit* MessageArea(const QString& lines, QWidget* box)
{
    auto* area = new MessageText(box);
    area->setObjectName(QStringLiteral("MessageText"));
    area->setReadOnly(true);
    area->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    area->setFocusPolicy(Qt::ClickFocus);  // the keyboard stays on the buttons
    area->setFrameShape(QFrame::NoFrame);
    // Wrapping at word boundaries costs the square of a long line's length:
    // a very long text wraps anywhere.
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

// The message as a screen reader gets it: the whole text, up to a length
// that can still be listened to.
QString SpokenForm(const QString& lines)
{
    constexpr qsizetype kLongestSpoken = 4000;
    return lines.size() <= kLongestSpoken ? lines : lines.left(kLongestSpoken) + QStringLiteral("…");
}

// The program's message box: centred on a given screen, placed after it has
// its size and before it is mapped; Ctrl+C copies caption, whole text and
// buttons as the platform's message boxes do.
class ProgramMessageBox : public QMessageBox {
public:
    ProgramMessageBox(const QString& caption, const QString& text, std::uint32_t flags, QWidget* owner)
        : QMessageBox(IconOf(flags), caption, LinesOf(text), ButtonsOf(flags), owner),
          fullText_(text)
    {
        setWindowModality(Qt::ApplicationModal);
        // The text area takes the place of the label that shows the text.
        const QString lines = this->text();  // as LinesOf gave it to the box
        QLabel* label = nullptr;
        for (QLabel* candidate : findChildren<QLabel*>()) {
            if (candidate->text() == lines)
                label = candidate;
        }
        QPlainTextEdit* area = MessageArea(lines, this);
        QLayoutItem* replaced
            = label != nullptr && layout() != nullptr ? layout()->replaceWidget(label, area) : nullptr;
        if (replaced == nullptr) {
            delete area;  // a box built otherwise: its own label shows the text
            return;
        }
        delete replaced;
        label->hide();
        // A screen reader speaks an alert's labels, and its description where
        // it has none: the label is hidden and the text area is no label, so
        // the message is the box's description, and the area's name.
        const QString spoken = SpokenForm(lines);
        setAccessibleDescription(spoken);
        area->setAccessibleName(spoken);
    }

    QPointer<QScreen> screenToUse;

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);
        if (screenToUse)
            CentreOnScreen(this, screenToUse);
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        if (!event->matches(QKeySequence::Copy)) {
            QMessageBox::keyPressEvent(event);
            return;
        }
        const QString rule = QStringLiteral("---------------------------\n");
        QString copied = rule + windowTitle() + "\n" + rule + fullText_ + "\n" + rule;
        for (QAbstractButton* button : buttons())
            copied += button->text().remove('&') + "   ";
        QGuiApplication::clipboard()->setText(copied.trimmed() + "\n" + rule);
    }

private:
    QString fullText_;
};

int ShowRealBox(const std::string& text, const std::string& caption, std::uint32_t flags)
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        // No window system: the text must not be lost.
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return 0;
    }
    const QPointer<QWidget> active = QApplication::activeWindow();
    ProgramMessageBox box(FromSystemText(caption), FromSystemText(text), flags, applicationWindow.data());
    if (active) {
        box.screenToUse = active->screen();
        // A hidden owner gives the window manager nothing to place the box by.
        box.winId();
        if (QWindow* window = box.windowHandle())
            window->setTransientParent(active->windowHandle());
    } else if (applicationWindow) {
        box.screenToUse = applicationWindow->screen();
    }
    const int answer = AnswerOf(box.exec());
    if (active)
        active->activateWindow();
    return answer;
}

// A grab or a pressed button would go on past the box: release both.
void CancelMouseCapture()
{
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    for (QWidget* widget : QApplication::allWidgets()) {
        if (auto* button = qobject_cast<QAbstractButton*>(widget); button != nullptr && button->isDown())
            button->setDown(false);
    }
}

}  // namespace

void SetApplicationWindow(QWidget* window)
{
    applicationWindow = window;
    SetFailureSink(window != nullptr ? &ShowFailure : nullptr);
}

std::string ApplicationTitle()
{
    if (!applicationWindow)
        return {};
    std::string title = ToSystemText(applicationWindow->windowTitle());
    if (title.size() > 255)
        title.resize(255);
    return title;
}

MessageBoxService ReplaceMessageBoxService(MessageBoxService service)
{
    std::swap(service, replacement);
    return service;
}

int ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t flags)
{
    if (replacement)
        return replacement(text, caption, flags);
    return ShowRealBox(text, caption, flags);
}

int ShowMessageBox(const QString& text, const QString& caption, std::uint32_t flags)
{
    return ShowMessageBox(ToSystemText(text), ToSystemText(caption), flags);
}

void ShowFailure(const Exception& failure)
{
    ShowMessageBox(
        WithFullStop(failure.Message(), ProcessCharset().page), ApplicationTitle(), mb::kOk | mb::kIconStop);
}

void ReportFailure(std::exception_ptr failure) noexcept
{
    try {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
            CancelMouseCapture();
        try {
            std::rethrow_exception(failure);
        } catch (const EAbort&) {
        } catch (const Exception& known) {
            ShowFailure(known);
        } catch (const std::exception& other) {
            ShowFailure(Exception(other.what()));
        } catch (...) {
            ShowFailure(Exception(""));
        }
    } catch (...) {
        // Showing the failure failed too; nothing is left to report it with.
    }
}

std::string WithFullStop(std::string message, CodePage page)
{
    if (message.empty())
        return message;
    std::size_t last = message.size() - 1;
    if (last > 0 && IsSecondByte(page, message, last))
        --last;
    // std::string_view compares its bytes as unsigned char.
    if (std::string_view(message).substr(last) > ".")
        message += '.';
    return message;
}

}  // namespace zentorix
