#include "updates/day_list.h"

#include "updates/trading_days.h"

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
    days_.emplace_back(day);
    return true;
}

}  // namespace tav
