#pragma once

#include <span>
#include <string>

#include "conditions/condition.h"

namespace tav {

// The one-line sentence of a condition (UTF-8): day, item, target and action
// phrases behind a prefix for filter, trigger and disabled rows. Category 5
// names capsule `item` by its title; a capsule without a title reads empty.
//
// Signed numbers always show their sign ("+0"). Where a percentage would be
// followed by a lone "%" with nothing after it, the sentence ends at the
// percent sign: 5日前の値+10%, never +10%%.
std::string conditionText(const Condition& condition, ConditionContext context,
                          std::span<const std::string> capsuleTitles = {});

}  // namespace tav
