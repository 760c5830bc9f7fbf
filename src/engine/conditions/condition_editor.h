#pragma once

#include <cstdint>
#include <string_view>

#include "conditions/condition.h"
#include "conditions/condition_tables.h"
#include "core/integer_field.h"

namespace tav {

// The state of the condition dialog: one working value per control of every
// category, so switching tabs loses nothing, the lists each choice offers, the
// controls that take input, and the record assembled on OK. The dialog only
// shows this state and forwards the user's choices.
class ConditionEditor {
  public:
    struct PriceEntries {  // category 0
        int item = 0, target = 0, action = 0, n = 0, percent = 0, ticks = 0;
    };
    struct IndicatorEntries {  // category 1
        int item = 0, target = 0, action = 0, n = 0;
    };
    struct ValueEntries {  // category 2
        int item = 0, value = 0, comparison = 0, range = 0;
    };
    struct CandleEntries {  // category 3
        int item = 0, n = 0;
    };
    struct MovementEntries {  // category 4
        int item = 0, state = 0;
    };

    // Opens on a record: the working values of its own category come from it,
    // all others start at 0.
    ConditionEditor(const Condition& record, ConditionContext context);

    ConditionContext context() const { return context_; }
    // The tabs: no "条件ｶﾌﾟｾﾙ" inside a capsule.
    conditions::Labels categoryTabs() const;
    conditions::Labels roleList() const { return conditions::roleLabels(context_); }

    int category() const { return category_; }
    void setCategory(int category);
    int roleIndex() const { return roleIndex_; }
    void setRoleIndex(int index) { roleIndex_ = index; }
    int dayOffset = 0;

    // Working values; change the items through the setters below, which
    // refill the dependent lists.
    PriceEntries price;
    IndicatorEntries indicator;
    ValueEntries value;
    CandleEntries candle;
    MovementEntries movement;
    int capsule = 0;  // category 5

    void setPriceItem(int item);
    void setIndicatorItem(int item);
    void setValueItem(int item);
    void setMovementItem(int item);

    // The lists of the current choices.
    conditions::Labels priceTargets() const;
    conditions::Labels priceActions() const;
    conditions::Labels indicatorTargets() const;
    conditions::Labels indicatorActions() const;
    conditions::Labels valueComparisons() const;
    conditions::Labels movementStates() const;

    // Inputs that only some choices use.
    bool indicatorNEditable() const;
    bool valueRangeEditable() const;
    bool candleNEditable() const;

    // OK: the category, role and day, and the fields of the current category;
    // every other field keeps its value from the opened record.
    Condition result() const;

    // A number typed into an edit: leading decimal digits, anything else 0,
    // kept to the 16 bits of the field. The dialog checks with the fields below.
    static int parseNumber(std::string_view text);

    // The numeric edits and the integers each may hold.
    enum class Edit { Day, PriceN, PricePercent, PriceTicks, IndicatorN, Value, Range, CandleN };
    static IntegerField field(Edit edit);
    // Takes a typed number into its working value; false (value unchanged)
    // when it is not an integer of the field's range.
    bool setNumber(Edit edit, std::string_view text);
    int number(Edit edit) const;

  private:
    Condition original_;
    ConditionContext context_;
    int category_ = 0;
    int roleIndex_ = 0;
};

}  // namespace tav
