#include "interrupt.h"

#include <unistd.h>

#include <atomic>
#include <csignal>

namespace tav::cli {

namespace {

// Lock-free, so that the handler may set it.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

struct sigaction previous {};

extern "C" void onInterrupt(int) {
    interrupted.store(true);
    // SA_RESETHAND has put the default action back: the next Ctrl-C ends the process.
    static const char note[] =
        "\ntavrento-cli: stopping after the current step (Ctrl-C again to quit now)\n";
    ssize_t written = ::write(STDERR_FILENO, note, sizeof note - 1);
    (void)written;
}

}  // namespace

InterruptGuard::InterruptGuard() {
    interrupted.store(false);
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    ::sigaction(SIGINT, &action, &previous);
}

InterruptGuard::~InterruptGuard() {
    ::sigaction(SIGINT, &previous, nullptr);
}

bool InterruptGuard::requested() {
    return interrupted.load();
}

}  // namespace tav::cli
