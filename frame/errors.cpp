#include "frame/errors.h"

#include "frame/messagearea.h"
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
        // QMessageBox has no call for this, so the label is the one showing
        // our text. Should a later Qt build the box otherwise, the box keeps
        // its own label and shows the text still, and the message box tests,
        // which look for the area, fail.
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
