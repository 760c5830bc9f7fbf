#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/local_date.h"

namespace tav {

// The "追加未処理日付" list of the "株価データ追加" dialog: the days still to be
// added, with the selected one. Every operation is safe on an empty list and
// without a selection.
class DayList {
  public:
    explicit DayList(std::vector<std::string> days = {});

    const std::vector<std::string>& days() const { return days_; }
    bool empty() const { return days_.empty(); }
    int selected() const { return selected_; }  // -1: none
    // An index outside the list clears the selection.
    void select(int index);

    // "削除": removes the selected day; the selection stays at its index, or
    // moves to the day before when the last one went. False without a selection.
    bool removeSelected();

    // The preset of "追加": the last day of the list, or today's date.
    std::string addPreset(const LocalDate& today) const;
    // Puts a typed day in its place when it is an acceptable date
    // (kInvalidDateMessage tells the user otherwise): the days are imported
    // in list order, and an earlier day after later ones would be skipped as
    // already added. A day listed already is not doubled. False when refused;
    // the selection stays on its day.
    bool add(std::string_view day, const LocalDate& today);

  private:
    std::vector<std::string> days_;
    int selected_ = -1;
};

}  // namespace tav
