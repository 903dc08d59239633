#include "shell.h"

#include "errors.h"
#include "textcodec.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
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

// `program`'s path on PATH, or nothing when it is not there.
std::string FindProgram(const std::string& program)
{
    if (program.find('/') != std::string::npos)
        return access(program.c_str(), X_OK) == 0 ? program : std::string();
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    for (std::size_t begin = 0; begin <= folders.size();) {
        std::size_t end = folders.find(':', begin);
        if (end == std::string::npos)
            end = folders.size();
        const std::string folder = end > begin ? folders.substr(begin, end - begin) : ".";
        const std::string candidate = folder + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        begin = end + 1;
    }
    return {};
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

std::string FileUrl(const std::string& path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z')
            || (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            url += c;
        } else {
            url += '%';
            url += kHex[byte >> 4];
            url += kHex[byte & 15];
        }
    }
    return url;
}

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
    const std::string program = FindProgram(command.at(0));
    int pipe[2];
    if (program.empty() || pipe2(pipe, O_CLOEXEC) != 0) {
        Later(std::move(done), false);
        return;
    }
    // Everything the children need is made before the fork: after it, only
    // calls that are safe in a copy of a threaded process.
    std::vector<std::string> arguments = command;
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child == 0) {
        // The child ends at once, so the watcher and the launcher belong to
        // init: they outlive this program, which never waits on them.
        if (fork() != 0)
            _exit(0);
        setsid();
        // The watcher keeps nothing of ours open (an X connection held here
        // would outlive the program) but its end of the pipe, as fd 3.
        dup2(pipe[1], 3);
        close_range(4, ~0U, 0);
        // Nor our signal handling: an inherited SIGCHLD=SIG_IGN would have
        // the kernel reap the launcher before it can be waited for, and the
        // launcher gets the defaults a new program expects.
        struct sigaction defaults = {};
        defaults.sa_handler = SIG_DFL;
        sigemptyset(&defaults.sa_mask);
        for (int number = 1; number < NSIG; ++number)
            sigaction(number, &defaults, nullptr);
        sigprocmask(SIG_SETMASK, &defaults.sa_mask, nullptr);
        const pid_t launcher = fork();
        if (launcher == 0) {
            close(3);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        int status = 0;
        pid_t waited = -1;
        while (launcher > 0 && (waited = waitpid(launcher, &status, 0)) < 0 && errno == EINTR) { }
        const char ok = waited == launcher && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        [[maybe_unused]] const ssize_t written = write(3, &ok, 1);
        _exit(0);
    }
    close(pipe[1]);
    if (child < 0) {
        close(pipe[0]);
        Later(std::move(done), false);
        return;
    }
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) { }

    // One byte comes when the launcher has ended; nothing (end of file) when
    // the watcher could not report.
    auto* notifier = new QSocketNotifier(pipe[0], QSocketNotifier::Read, QCoreApplication::instance());
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
