#include "conditions/condition_editor.h"

#include <gtest/gtest.h>

namespace tav {
namespace {

TEST(ConditionEditor, OpensOnTheRecordAndKeepsOtherFieldsOnOk) {
    const Condition record{0, 255, 2, 1, 14, 3, 5, -2, 4, 0};
    ConditionEditor editor(record, ConditionContext::Strategy);
    EXPECT_EQ(editor.categoryTabs().size(), 6u);
    EXPECT_EQ(editor.roleIndex(), 3);
    EXPECT_EQ(editor.roleList()[3], "無効");
    EXPECT_EQ(editor.dayOffset, 2);
    EXPECT_EQ(editor.price.target, 14);
    EXPECT_EQ(editor.price.ticks, 4);
    EXPECT_EQ(editor.result(), record);

    // Tab 0 -> 3 -> 0 keeps the price entries; OK on tab 3 keeps the unused fields.
    editor.setCategory(3);
    editor.candle.item = 21;
    editor.candle.n = ConditionEditor::parseNumber("7x");
    EXPECT_EQ(editor.result(), (Condition{3, 255, 2, 21, 7, 3, 5, -2, 4, 0}));
    editor.setCategory(0);
    EXPECT_EQ(editor.result(), record);
    editor.setRoleIndex(1);
    EXPECT_EQ(editor.result().role, 1);
    EXPECT_EQ(ConditionEditor::parseNumber("abc"), 0);
    EXPECT_EQ(ConditionEditor::parseNumber("70000"), static_cast<int16_t>(70000));
}

TEST(ConditionEditor, InsideACapsule) {
    ConditionEditor editor(Condition{}, ConditionContext::Capsule);
    EXPECT_EQ(editor.categoryTabs().size(), 5u);
    EXPECT_EQ(editor.roleList().size(), 3u);
    editor.setCategory(5);
    EXPECT_EQ(editor.category(), 0);
    editor.setRoleIndex(2);
    EXPECT_EQ(editor.result().role, 2);
}

TEST(ConditionEditor, ListsFollowTheItems) {
    ConditionEditor editor(Condition{0, 0, 0, 0, 30, 5, 0, 0, 0, 0}, ConditionContext::Strategy);
    editor.setPriceItem(4);
    EXPECT_EQ(editor.priceActions().size(), 1u);
    EXPECT_EQ(editor.price.action, 0);
    EXPECT_EQ(editor.price.target, 30);
    editor.price.action = 0;
    editor.setPriceItem(1);
    EXPECT_EQ(editor.priceActions().size(), 6u);
    editor.price.action = 3;
    editor.setPriceItem(5);
    EXPECT_EQ(editor.price.target, 0);
    EXPECT_EQ(editor.price.action, 3);
    EXPECT_EQ(editor.priceTargets().size(), 2u);

    editor.setCategory(1);
    editor.indicator.target = 1;
    editor.indicator.action = 5;
    editor.setIndicatorItem(8);
    EXPECT_EQ(editor.indicator.target, 0);
    EXPECT_EQ(editor.indicator.action, 0);
    EXPECT_EQ(editor.indicatorTargets().size(), 7u);
    EXPECT_FALSE(editor.indicatorNEditable());
    editor.setIndicatorItem(0);
    editor.indicator.target = 1;
    EXPECT_TRUE(editor.indicatorNEditable());

    editor.value.comparison = 6;
    EXPECT_TRUE(editor.valueRangeEditable());
    editor.setValueItem(20);
    EXPECT_EQ(editor.value.comparison, 0);
    EXPECT_FALSE(editor.valueRangeEditable());
    editor.value.comparison = 1;
    editor.setValueItem(3);
    EXPECT_EQ(editor.value.comparison, 1);

    editor.candle.item = 0;
    EXPECT_FALSE(editor.candleNEditable());
    editor.candle.item = 2;
    EXPECT_TRUE(editor.candleNEditable());

    editor.movement.state = 6;
    editor.setMovementItem(12);
    EXPECT_EQ(editor.movement.state, 0);
    EXPECT_EQ(editor.movementStates().size(), 4u);
    editor.movement.state = 3;
    editor.setMovementItem(12);
    EXPECT_EQ(editor.movement.state, 3);
}

// The n edits over every item: shapes without an n, and the indicator items
// whose target takes a width, a percent, days or a multiple.
TEST(ConditionEditor, NEditsFollowEveryItem) {
    ConditionEditor editor(Condition{}, ConditionContext::Strategy);
    for (int item = 0; item < 30; ++item) {
        editor.candle.item = item;
        const bool withoutN = item <= 1 || (item >= 13 && item <= 20);
        EXPECT_EQ(editor.candleNEditable(), !withoutN) << "shape " << item;
    }
    for (int item = 0; item < 12; ++item) {
        editor.setIndicatorItem(item);
        for (int target = 0; target < static_cast<int>(editor.indicatorTargets().size()); ++target) {
            editor.indicator.target = target;
            const bool takesN = item == 4 || item == 9 || item == 10 || (item == 0 && target == 1);
            EXPECT_EQ(editor.indicatorNEditable(), takesN) << "item " << item << " target " << target;
        }
    }
}

}  // namespace
}  // namespace tav
