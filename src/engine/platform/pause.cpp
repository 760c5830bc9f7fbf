#include "platform/pause.h"

#include <thread>

namespace tav {

std::chrono::milliseconds SteadyPause::now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

void SteadyPause::sleep(std::chrono::milliseconds duration) {
    if (duration.count() > 0) std::this_thread::sleep_for(duration);
}

}  // namespace tav
