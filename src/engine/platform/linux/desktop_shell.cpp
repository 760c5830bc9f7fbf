#include "platform/linux/desktop_shell.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace tav {

namespace {

// Starts program (searched in PATH when it has no '/') in a grandchild that
// init adopts. True once the exec has succeeded.
bool spawnDetached(const std::string& program, const std::vector<std::string>& arguments) {
    // Everything the children need is prepared here: after fork only
    // async-signal-safe calls are allowed.
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    // The grandchild reports a failed exec through this pipe; a successful
    // exec closes it.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return false;

    pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        ::close(report[0]);
        ::setsid();
        pid_t grandchild = ::fork();
        if (grandchild != 0) ::_exit(grandchild < 0 ? 1 : 0);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        // Descriptors the program holds (sockets, locks) stay with it.
        if (report[1] > 3) ::close_range(3, static_cast<unsigned>(report[1]) - 1, 0);
        ::close_range(static_cast<unsigned>(report[1]) + 1, ~0U, 0);
        int null = ::open("/dev/null", O_RDONLY);
        if (null >= 0) {
            ::dup2(null, STDIN_FILENO);
            if (null != STDIN_FILENO) ::close(null);
        }
        ::execvp(program.c_str(), argv.data());
        int error = errno;
        ssize_t ignored = ::write(report[1], &error, sizeof error);
        (void)ignored;
        ::_exit(127);
    }

    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t n;
    do {
        n = ::read(report[0], &error, sizeof error);
    } while (n < 0 && errno == EINTR);
    ::close(report[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && n == 0;
}

}  // namespace

bool DesktopShell::open(const std::string& pathOrUrl) {
    if (pathOrUrl.empty()) return false;
    // xdg-open would take a leading '-' for an option.
    std::string target = pathOrUrl.front() == '-' ? "./" + pathOrUrl : pathOrUrl;
    return spawnDetached("xdg-open", {"xdg-open", target});
}

bool DesktopShell::startInstance(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv;
    char self[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    argv.emplace_back(length > 0 ? std::string(self, static_cast<std::size_t>(length))
                                 : std::string("/proc/self/exe"));
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return spawnDetached("/proc/self/exe", argv);
}

}  // namespace tav
