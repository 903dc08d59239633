#include "startup.h"

#include "application.h"
#include "calc/fpu.h"
#include "calc/numtext.h"
#include "frame/errors.h"
#include "ui/UAboutBox.h"
#include "ui/UMain.h"
#include "ui/UVisitePhone.h"

#include <QSocketNotifier>

#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>

namespace zentorix {
namespace {

// One window of the application, reachable by its instance name for as long
// as it exists.
template <typename Window> class Form {
public:
    explicit Form(Window*& instance) : instance_(instance), window_(std::make_unique<Window>())
    {
        instance_ = window_.get();
    }
    ~Form() { instance_ = nullptr; }
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    Window* operator->() const { return window_.get(); }

private:
    Window*& instance_;
    std::unique_ptr<Window> window_;
};

// Without a usable display Qt cannot start and aborts. Say so on one line and
// end with status 1: no box can be shown, and a failure must not read as
// success. Qt's own messages while it starts are not shown: that line says it,
// naming the platform the user chose, if any, and the display it was to use.
void NoDisplay(QtMsgType type, const QMessageLogContext&, const QString&)
{
    if (type != QtFatalMsg)
        return;
    const auto value = [](const char* name) {
        const char* text = std::getenv(name);
        return std::string(text != nullptr ? text : "");
    };
    const std::string platform = value("QT_QPA_PLATFORM");
    std::string where;
    if (platform.empty() || platform.starts_with("xcb"))
        where = "DISPLAY=" + value("DISPLAY");
    if ((platform.empty() && !value("WAYLAND_DISPLAY").empty()) || platform.starts_with("wayland"))
        where += (where.empty() ? "" : ", ") + ("WAYLAND_DISPLAY=" + value("WAYLAND_DISPLAY"));
    if (!platform.empty())
        where = "QT_QPA_PLATFORM=" + platform + (where.empty() ? "" : ", " + where);
    std::fprintf(stderr, "zentorix: no display could be opened (%s)\n", where.c_str());
    std::_Exit(1);
}

// A scale factor of zero, below it or not finite leaves Qt without a window
// and without a word: refuse it on one line instead.
bool UsableScaleFactor()
{
    const char* factor = std::getenv("QT_SCALE_FACTOR");
    if (factor == nullptr || *factor == '\0')
        return true;
    double value = 1.0;
    const char* end = factor + std::strlen(factor);
    const auto [stop, error] = std::from_chars(factor, end, value);
    if (error != std::errc() || stop != end)
        return true;  // not a number: Qt passes it over
    if (value > 0.0 && std::isfinite(value))
        return true;
    std::fprintf(
        stderr, "zentorix: QT_SCALE_FACTOR=%s is not a scale factor the window can be shown at\n", factor);
    return false;
}

// SIGTERM, SIGINT and SIGHUP (a logout) close the main window the normal way
// (unless the program was started with the signal ignored, as by nohup),
// so the settings are written as at File › Exit. More of them within a few
// seconds are the same request (a logout sends TERM, then HUP); one that comes
// later, while the close has still not ended, ends the program at once. The
// handler only writes to a pipe the main loop watches.
int signalPipe[2] = {-1, -1};
volatile std::sig_atomic_t signalsSeen = 0;
std::timespec firstSignal = {};
constexpr std::time_t kSameRequestSeconds = 5;

void OnSignal(int number)
{
    std::timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (signalsSeen != 0) {
        if (now.tv_sec - firstSignal.tv_sec < kSameRequestSeconds)
            return;
        std::signal(number, SIG_DFL);
        std::raise(number);
        return;
    }
    firstSignal = now;
    signalsSeen = 1;
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t written = write(signalPipe[1], &byte, 1);
}

void CloseOnSignals(QWidget* mainWindow)
{
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, mainWindow);
    QObject::connect(notifier, &QSocketNotifier::activated, mainWindow, [mainWindow, notifier] {
        char byte;
        while (read(signalPipe[0], &byte, 1) > 0) { }
        notifier->setEnabled(false);
        // An open box or dialog closes first, as its Escape would close it.
        for (int open = 0; open < 10 && QApplication::activeModalWidget() != nullptr; ++open)
            QApplication::activeModalWidget()->close();
        mainWindow->close();
    });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (const int number : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&action.sa_mask, number);  // one handler at a time
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        // One ignored when the program started (nohup's hangup) stays so.
        struct sigaction inherited = {};
        if (sigaction(number, nullptr, &inherited) == 0 && inherited.sa_handler != SIG_IGN)
            sigaction(number, &action, nullptr);
    }
}

// Qt ends the program with exit() when the display connection breaks (the X
// server often goes first at a logout), so the main window is never destroyed
// and never saves: the settings are saved here instead. A failure can only be
// told on standard error now.
void SaveIfCutShort()
{
    if (FrmMain == nullptr)
        return;  // the main window is gone: it has saved
    try {
        FrmMain->IniDatas.Save();
    } catch (const Exception& failure) {
        std::fprintf(stderr, "zentorix: %s\n", failure.Message().c_str());
    } catch (...) {
    }
}

// Qt's Wayland plugin ends the program with _exit() when the compositor goes
// (no atexit, no destructors), saying so first through the message handler:
// the settings are saved on that word. Messages are shown as before.
QtMessageHandler shownBy = nullptr;

void SaveIfDisplayLost(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtDebugMsg && type != QtInfoMsg
        && message.startsWith(QLatin1String("The Wayland connection")))
        SaveIfCutShort();
    if (shownBy != nullptr)
        shownBy(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

}  // namespace

int RunProgram(const char* programName)
{
    RefreshDecimalMark();

    // The display server is Qt's choice (Wayland on a Wayland session, X11
    // otherwise; QT_QPA_PLATFORM when the user sets it), and the environment
    // that launched programs inherit stays the user's.
    if (!UsableScaleFactor())
        return 1;
    qInstallMessageHandler(NoDisplay);
    TApplication application(programName);
    qInstallMessageHandler(nullptr);
    shownBy = qInstallMessageHandler(SaveIfDisplayLost);
    try {
        application.SetTitle(QString::fromUtf8(kApplicationTitle));
        // Destroyed last created first when the loop has ended; the main
        // window's destruction saves the settings.
        const Form<TFrmMain> mainWindow(FrmMain);
        const Form<TFrmVisitePhone> visitePhone(FrmVisitePhone);
        const Form<TAboutBox> aboutBox(AboutBox);

        CloseOnSignals(FrmMain);
        std::atexit(SaveIfCutShort);
        mainWindow->show();
        QApplication::exec();
    } catch (const Exception& failure) {
        ShowFailure(failure);
    } catch (...) {
        ShowFailure(Exception(""));
    }
    return 0;
}

}  // namespace zentorix
