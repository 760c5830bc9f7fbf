#pragma once

#include <span>
#include <string_view>

#include "conditions/condition.h"

// The vocabulary of conditions: the label of every code, in code order, so a
// list index is the stored code. Shared by the evaluator (which codes exist),
// the sentences and the editor's lists. Labels are UTF-8.
namespace tav::conditions {

using Labels = std::span<const std::string_view>;

// The category tabs.
Labels categoryLabels();
// The role list: three entries inside a capsule, four in a strategy.
Labels roleLabels(ConditionContext context);
// The role list entry of a stored role (255 is the fourth entry), and back.
int roleListIndex(int16_t role);
int16_t roleFromListIndex(int index);

// Items of a category; empty for category 5, whose list is the capsule titles.
Labels itemLabels(int category);
// Targets (p1) of categories 0 and 1.
Labels targetLabels(int category, int item);
// Actions (p2) of categories 0 and 1, comparisons (p2) of category 2.
Labels actionLabels(int category, int item);
// States (p1) of category 4.
Labels stateLabels(int item);

// The label of a code, empty when the list has no such code.
std::string_view labelOf(Labels labels, int code);
inline bool listed(Labels labels, int code) {
    return code >= 0 && code < static_cast<int>(labels.size());
}

// Price target 7 is a separator line in the list, not a target.
inline constexpr int kSeparatorTarget = 7;

// The logic list of the capsule dialog.
Labels logicLabels();

// Whether the editor's n field means something for the current choice.
bool indicatorComparisonTakesN(int item, int target);  // category 1
bool candleShapeTakesN(int item);                      // category 3
bool valueComparisonTakesRange(int comparison);        // category 2

}  // namespace tav::conditions
