#include "application.h"

#include "calc/numtext.h"
#include "frame/errors.h"
#include "ui/imageplugins.h"
#include "ui/programfont.h"

#include <QScreen>
#include <QWidget>

namespace zentorix {
namespace {

// Qt keeps these for the application's whole life.
int programArgc = 1;
char* programArgv[2] = {nullptr, nullptr};

int& ProgramNameOnly(const char* programName)
{
    programArgv[0] = const_cast<char*>(programName);
    return programArgc;
}

}  // namespace

TApplication::TApplication(const char* programName) : QApplication(ProgramNameOnly(programName), programArgv)
{
    // The style and the font before the first widget, which is then polished
    // once, with them.
    setStyle(NewStyleWithDeferredIcons());
    // The boxes take the application's font; the windows set their own.
    setFont(ProgramFont(15));

    // Zero size, its corner at the centre of the primary screen, never shown.
    applicationWindow_ = std::make_unique<QWidget>();
    applicationWindow_->resize(0, 0);
    if (QScreen* screen = primaryScreen())
        applicationWindow_->move(screen->geometry().center());
    SetApplicationWindow(applicationWindow_.get());
    // Task bars and Wayland group the windows with the desktop entry; the
    // window titles stay exactly as they are.
    setDesktopFileName(QStringLiteral("org.zentorix.Zentorix"));
}

TApplication::~TApplication()
{
    SetApplicationWindow(nullptr);
}

void TApplication::SetTitle(const QString& title)
{
    applicationWindow_->setWindowTitle(title);
}

QString TApplication::Title() const
{
    return applicationWindow_->windowTitle();
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ReportFailure(std::current_exception());
        return false;
    }
}

bool TApplication::event(QEvent* event)
{
    if (event->type() == QEvent::LocaleChange)
        RefreshDecimalMark();
    return QApplication::event(event);
}

}  // namespace zentorix
