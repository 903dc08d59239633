#include "errors.h"

#include "failuretext.h"
#include "placement.h"
#include "textcodec.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QWindow>

#include <cstdio>

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

// What the box's label shows of a text. A pasted megabyte would take seconds
// to lay out and run off the screen, and a long run without blanks is clipped
// rather than wrapped: keep the two ends of a very long text, and let long
// runs break (a zero-width space every 64 characters).
QString DisplayText(const QString& text)
{
    constexpr qsizetype kEnd = 400;
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));  // a CR would show as a glyph
    const QString kept = lines.size() <= 2 * kEnd + 100
        ? lines
        : lines.left(kEnd) + QString::fromUtf8(" … ") + lines.right(kEnd);
    QString shown;
    shown.reserve(kept.size() + kept.size() / 64);
    qsizetype run = 0;
    for (const QChar c : kept) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > 64 && !c.isLowSurrogate()) {
            shown += QChar(0x200B);
            run = 1;
        }
        shown += c;
    }
    return shown;
}

// The program's message box: centred on a given screen, placed after it has
// its size and before it is mapped; Ctrl+C copies caption, whole text and
// buttons as the platform's message boxes do.
class ProgramMessageBox : public QMessageBox {
public:
    ProgramMessageBox(const QString& caption, const QString& text, std::uint32_t flags, QWidget* owner)
        : QMessageBox(IconOf(flags), caption, DisplayText(text), ButtonsOf(flags), owner),
          fullText_(text)
    {
        setTextFormat(Qt::PlainText);
        setWindowModality(Qt::ApplicationModal);
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

}  // namespace zentorix
