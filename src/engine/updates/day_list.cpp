#include "updates/day_list.h"

#include "updates/trading_days.h"

#include <algorithm>

namespace tav {

DayList::DayList(std::vector<std::string> days) : days_(std::move(days)) {}

void DayList::select(int index) {
    selected_ = index >= 0 && index < static_cast<int>(days_.size()) ? index : -1;
}

bool DayList::removeSelected() {
    if (selected_ < 0 || selected_ >= static_cast<int>(days_.size())) return false;
    days_.erase(days_.begin() + selected_);
    if (selected_ >= static_cast<int>(days_.size())) selected_ = static_cast<int>(days_.size()) - 1;
    return true;
}

std::string DayList::addPreset(const LocalDate& today) const {
    return days_.empty() ? formatDate(today) : days_.back();
}

bool DayList::add(std::string_view day, const LocalDate& today) {
    if (!acceptableDate(day, today)) return false;
    auto at = std::lower_bound(days_.begin(), days_.end(), day);
    if (at != days_.end() && *at == day) return true;
    int index = static_cast<int>(at - days_.begin());
    days_.insert(at, std::string(day));
    if (selected_ >= index) ++selected_;
    return true;
}

}  // namespace tav
