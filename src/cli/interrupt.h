#pragma once

#include <functional>

// Ctrl-C during a long run: the first SIGINT asks the run to stop at its
// next wait or day, so that nothing is left half-written; a second one ends
// the process at once, as without the guard.
namespace tav::cli {

// The exit status of a run the user interrupted (128 + SIGINT).
constexpr int kExitInterrupted = 130;

class InterruptGuard {
  public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    // Whether SIGINT came since the guard was set; safe to ask from anywhere.
    static bool requested();
    // For Workspace::stopRequested.
    static std::function<bool()> asker() {
        return [] { return requested(); };
    }
};

}  // namespace tav::cli
