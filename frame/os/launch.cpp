#include "frame/os/launch.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zentorix {
namespace {

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

int StartDetached(const std::vector<std::string>& command)
{
    const std::string program = FindProgram(command.at(0));
    int pipe[2];
    if (program.empty() || pipe2(pipe, O_CLOEXEC) != 0)
        return -1;
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
        return -1;
    }
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) { }

    return pipe[0];
}

}  // namespace zentorix
