#include "platform/linux/system_clock.h"

#include <ctime>

namespace tav {

LocalDate SystemClock::today() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return LocalDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

}  // namespace tav
