#pragma once

#include <chrono>

namespace tav {

// Waiting on a clock of its own: the pacing of requests and the waits after a
// refusal go through it, so tests can run minutes of waits on virtual time.
class Pause {
  public:
    virtual ~Pause() = default;
    // A monotonic time; only differences mean anything.
    virtual std::chrono::milliseconds now() = 0;
    virtual void sleep(std::chrono::milliseconds duration) = 0;
};

// The machine's steady clock and a real sleep.
class SteadyPause : public Pause {
  public:
    std::chrono::milliseconds now() override;
    void sleep(std::chrono::milliseconds duration) override;
};

}  // namespace tav
