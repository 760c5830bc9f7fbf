#pragma once

#include <chrono>
#include <vector>

#include "platform/pause.h"

namespace tav::test {

// Time that passes only when slept: minutes of waits run in no time, and
// every sleep is recorded.
class VirtualPause : public Pause {
  public:
    std::chrono::milliseconds now() override { return now_; }
    void sleep(std::chrono::milliseconds duration) override {
        sleeps.push_back(duration);
        now_ += duration;
    }
    std::chrono::milliseconds elapsed() const { return now_; }

    std::vector<std::chrono::milliseconds> sleeps;

  private:
    std::chrono::milliseconds now_{0};
};

}  // namespace tav::test
