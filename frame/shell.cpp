#include "frame/shell.h"

#include "frame/errors.h"
#include "frame/os/launch.h"
#include "frame/textcodec.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>

#include <unistd.h>

namespace zentorix {
namespace {

ShellService replacement;

// The desktop's own launcher first; for a page, the browsers Debian names.
const std::vector<std::string> kOpeners = {"xdg-open"};
const std::vector<std::string> kBrowsers = {"xdg-open", "sensible-browser", "x-www-browser"};

bool IsWebAddress(const std::string& target)
{
    return target.find("://") != std::string::npos;
}

// Runs `done(ok)` from the main loop, never from inside the request.
void Later(std::function<void(bool)> done, bool ok)
{
    QTimer::singleShot(
        0, QCoreApplication::instance(), [done = std::move(done), ok] { Dispatch([&] { done(ok); }); });
}

// Tries each program of `programs` on `url` in turn until one succeeds.
void TryInTurn(std::vector<std::string> programs, std::string url, std::function<void()> failed)
{
    if (programs.empty()) {
        if (failed)
            Dispatch(failed);
        return;
    }
    const std::string program = programs.front();
    programs.erase(programs.begin());
    RunLauncher({program, url}, [programs, url, failed](bool ok) {
        if (!ok)
            TryInTurn(programs, url, failed);
    });
}

void Request(Verb verb, const std::string& target, std::function<void()> failed)
{
    if (replacement) {
        replacement(verb, target, std::move(failed));
        return;
    }
    if (IsWebAddress(target)) {
        QDesktopServices::openUrl(QUrl(FromSystemText(target)));
        return;
    }
    TryInTurn(verb == Verb::kOpen ? kOpeners : kBrowsers, FileUrl(target), std::move(failed));
}

}  // namespace

void ShellOpen(const std::string& target, std::function<void()> failed)
{
    Request(Verb::kOpen, target, std::move(failed));
}

void ShellBrowse(const std::string& file, std::function<void()> failed)
{
    Request(Verb::kBrowse, file, std::move(failed));
}

ShellService ReplaceShellService(ShellService service)
{
    std::swap(service, replacement);
    return service;
}

void RunLauncher(const std::vector<std::string>& command, std::function<void(bool)> done)
{
    const int ended = StartDetached(command);
    if (ended < 0) {
        Later(std::move(done), false);
        return;
    }
    // One byte comes when the launcher has ended; nothing (end of file) when
    // the watcher could not report.
    auto* notifier = new QSocketNotifier(ended, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier, done = std::move(done)] {
        char ok = 0;
        const ssize_t count = read(static_cast<int>(notifier->socket()), &ok, 1);
        notifier->setEnabled(false);
        close(static_cast<int>(notifier->socket()));
        notifier->deleteLater();
        Dispatch([&] { done(count == 1 && ok != 0); });
    });
}

}  // namespace zentorix
