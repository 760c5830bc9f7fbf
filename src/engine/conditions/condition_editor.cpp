#include "conditions/condition_editor.h"

#include "core/fields.h"

namespace tav {

using conditions::Labels;

namespace {

constexpr int kLimitItem = 4;
constexpr int kParabolicItem = 12;
constexpr int kParabolicStates = 4;

// A kept index that the refilled list no longer has falls back to the first entry.
int keepIfListed(int index, Labels labels) {
    return conditions::listed(labels, index) ? index : 0;
}

}  // namespace

ConditionEditor::ConditionEditor(const Condition& record, ConditionContext context)
    : original_(record),
      context_(context),
      category_(record.category),
      roleIndex_(conditions::roleListIndex(record.role)) {
    dayOffset = record.dayOffset;
    switch (record.category) {
        case kPriceComparison:
            price = {record.item, record.p1, record.p2, record.p3, record.percent, record.ticks};
            break;
        case kIndicatorComparison:
            indicator = {record.item, record.p1, record.p2, record.p3};
            break;
        case kValueComparison:
            value = {record.item, record.p1, record.p2, record.p3};
            break;
        case kCandleShape:
            candle = {record.item, record.p1};
            break;
        case kIndicatorMovement:
            movement = {record.item, record.p1};
            break;
        case kCapsuleReference:
            capsule = record.item;
            break;
        default:
            break;
    }
}

Labels ConditionEditor::categoryTabs() const {
    const Labels all = conditions::categoryLabels();
    return context_ == ConditionContext::Capsule ? all.first(kCategoryCount - 1) : all;
}

void ConditionEditor::setCategory(int category) {
    if (conditions::listed(categoryTabs(), category)) category_ = category;
}

void ConditionEditor::setPriceItem(int item) {
    price.item = item;
    price.target = keepIfListed(price.target, priceTargets());
    price.action = item == kLimitItem ? 0 : keepIfListed(price.action, priceActions());
}

void ConditionEditor::setIndicatorItem(int item) {
    indicator.item = item;
    indicator.target = 0;
    indicator.action = keepIfListed(indicator.action, indicatorActions());
}

void ConditionEditor::setValueItem(int item) {
    value.item = item;
    value.comparison = keepIfListed(value.comparison, valueComparisons());
}

void ConditionEditor::setMovementItem(int item) {
    movement.item = item;
    if (item == kParabolicItem && movement.state >= kParabolicStates) movement.state = 0;
}

Labels ConditionEditor::priceTargets() const {
    return conditions::targetLabels(kPriceComparison, price.item);
}
Labels ConditionEditor::priceActions() const {
    return conditions::actionLabels(kPriceComparison, price.item);
}
Labels ConditionEditor::indicatorTargets() const {
    return conditions::targetLabels(kIndicatorComparison, indicator.item);
}
Labels ConditionEditor::indicatorActions() const {
    return conditions::actionLabels(kIndicatorComparison, indicator.item);
}
Labels ConditionEditor::valueComparisons() const {
    return conditions::actionLabels(kValueComparison, value.item);
}
Labels ConditionEditor::movementStates() const {
    return conditions::stateLabels(movement.item);
}

bool ConditionEditor::indicatorNEditable() const {
    return conditions::indicatorComparisonTakesN(indicator.item, indicator.target);
}
bool ConditionEditor::valueRangeEditable() const {
    return conditions::valueComparisonTakesRange(value.comparison);
}
bool ConditionEditor::candleNEditable() const {
    return conditions::candleShapeTakesN(candle.item);
}

Condition ConditionEditor::result() const {
    auto field = [](int number) { return static_cast<int16_t>(number); };
    Condition out = original_;
    out.category = field(category_);
    out.role = conditions::roleFromListIndex(roleIndex_);
    out.dayOffset = field(dayOffset);
    switch (category_) {
        case kPriceComparison:
            out.item = field(price.item);
            out.p1 = field(price.target);
            out.p2 = field(price.action);
            out.p3 = field(price.n);
            out.percent = field(price.percent);
            out.ticks = field(price.ticks);
            break;
        case kIndicatorComparison:
            out.item = field(indicator.item);
            out.p1 = field(indicator.target);
            out.p2 = field(indicator.action);
            out.p3 = field(indicator.n);
            break;
        case kValueComparison:
            out.item = field(value.item);
            out.p1 = field(value.value);
            out.p2 = field(value.comparison);
            out.p3 = field(value.range);
            break;
        case kCandleShape:
            out.item = field(candle.item);
            out.p1 = field(candle.n);
            break;
        case kIndicatorMovement:
            out.item = field(movement.item);
            out.p1 = field(movement.state);
            break;
        case kCapsuleReference:
            out.item = field(capsule);
            break;
        default:
            break;
    }
    return out;
}

int ConditionEditor::parseNumber(std::string_view text) {
    return static_cast<int16_t>(parseLeadingInt32(text));
}

IntegerField ConditionEditor::field(Edit edit) {
    constexpr int kLow = -32768, kHigh = 32767;
    switch (edit) {
        case Edit::Day: return {"判断基準日", 0, kHigh};
        case Edit::PriceN: return {"n", 0, kHigh};
        case Edit::PricePercent: return {"±m%", kLow, kHigh};
        case Edit::PriceTicks: return {"±L 呼値", kLow, kHigh};
        case Edit::IndicatorN: return {"n", 0, kHigh};
        case Edit::Value: return {"値", kLow, kHigh};
        case Edit::Range: return {"範囲", kLow, kHigh};
        case Edit::CandleN: return {"n", 0, kHigh};
    }
    return {};
}

namespace {

template <typename Editor>
auto& slot(Editor& e, ConditionEditor::Edit edit) {
    using Edit = ConditionEditor::Edit;
    switch (edit) {
        case Edit::Day: return e.dayOffset;
        case Edit::PriceN: return e.price.n;
        case Edit::PricePercent: return e.price.percent;
        case Edit::PriceTicks: return e.price.ticks;
        case Edit::IndicatorN: return e.indicator.n;
        case Edit::Value: return e.value.value;
        case Edit::Range: return e.value.range;
        case Edit::CandleN: break;
    }
    return e.candle.n;
}

}  // namespace

bool ConditionEditor::setNumber(Edit edit, std::string_view text) {
    const auto parsed = parseIntegerField(text, field(edit));
    if (!parsed) return false;
    slot(*this, edit) = *parsed;
    return true;
}

int ConditionEditor::number(Edit edit) const {
    return slot(*this, edit);
}

}  // namespace tav
