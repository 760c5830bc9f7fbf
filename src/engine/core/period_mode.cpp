#include "core/period_mode.h"

namespace tav {

std::optional<PeriodMode> parsePeriodName(std::string_view name) {
    if (name == "daily" || name == "d") return PeriodMode::Daily;
    if (name == "weekly" || name == "w") return PeriodMode::Weekly;
    if (name == "monthly" || name == "m") return PeriodMode::Monthly;
    return std::nullopt;
}

}  // namespace tav
