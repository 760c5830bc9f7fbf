#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>

#include "dialog_driving.h"
#include "dialogs/choice_dialog.h"
#include "dialogs/condition_dialog.h"
#include "dialogs/split_dialog.h"
#include "dialogs/stop_dialog.h"
#include "dialogs/strategy_editor_dialog.h"
#include "dialogs/tactic_dialog.h"
#include "engine/simulation/simulation_fixture.h"
#include "simulation/strategy_file.h"
#include "support/recording_prompter.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"

namespace tav::desktop {
namespace {

using test::shoot;
using test::whenOpen;

TEST(StrategyEditor, BuildsAStrategyThroughTheWidgetsAndSavesTheExpectedFile) {
    test::TempFolder temp;
    test::RecordingPrompter prompter;
    test::RecordingShell shell;
    StrategyEditorDialog editor(temp.str(), 0, SimulationSettings{}, prompter, shell);
    editor.show();
    prompter.inputs = {std::string("順張り")};
    editor.button(QStringLiteral("追加"))->click();
    ASSERT_EQ(editor.strategies()->count(), 1);
    editor.button(QStringLiteral("行追加"))->click();
    ASSERT_EQ(editor.tactics()->count(), 1);

    // A buy condition: "陽線" of 足形・他.
    whenOpen<ConditionDialog>([](ConditionDialog& d) {
        d.tabs()->setCurrentIndex(3);
        EXPECT_FALSE(d.control(1074)->isEnabled());
        shoot(d, "condition_dialog");
        d.accept();
    });
    editor.button(QStringLiteral("列追加"))->click();
    ASSERT_EQ(editor.columns()->count(), 1);

    // A stop: 損切り of 5 % below the entry; a value out of range is refused first.
    editor.tabs()->setCurrentIndex(2);
    whenOpen<StopDialog>([&](StopDialog& d) {
        shoot(d, "stop_dialog");
        d.valueEdit()->setText("70000");
        d.accept();
        EXPECT_EQ(prompter.messages().back(),
                  "「値」には 0 から 32767 までの整数を入力してください。");
        d.valueEdit()->setText("5");
        d.accept();
    });
    editor.button(QStringLiteral("列追加"))->click();
    ASSERT_EQ(editor.columns()->count(), 1);

    whenOpen<SplitDialog>([](SplitDialog& d) {
        d.methodList()->setCurrentIndex(1);
        d.amountEdit()->setText("2");
        d.stepEdit()->setText("-1");
        shoot(d, "split_dialog");
        d.accept();
    });
    editor.button(QStringLiteral("分割指定"))->click();
    EXPECT_TRUE(editor.splitSummary()->text().startsWith(QStringLiteral("定数法：[ 2 ]単元")));
    whenOpen<TacticDialog>([](TacticDialog& d) {
        shoot(d, "tactic_dialog");
        d.reject();
    });
    editor.button(QStringLiteral("行設定"))->click();
    shoot(editor, "strategy_editor");

    editor.button(QStringLiteral("終了"))->click();
    EXPECT_EQ(test::readFile(temp / "Trade.inf"), "\x8f\x87\x92\xa3\x82\xe8\n");
    EXPECT_EQ(test::readFile(temp / "Trade1.pat"),
              "[TYPE]\n0 0 0 0 0\n"
              "[TACT]\n0 0 0 0 0 0 0 0 0 0 \x90\xed\x8f\x70\x31\n"
              "[RESERVE]\n0 0 0 0 0 0 0 0 0 0\n"
              "[BUY]\n0 0 0 0 0 0 0 0 0 0,3 0 0 0 0 0 0 0 0 0\n"
              "[SELL]\n\n"
              "[STOP]\n0 0 0 0 0 0 0 0 0 0,0 0 0 0 5 0 0 0 0 0\n"
              "[SPLIT]\n1 2 -1 0 0 0 0 0 0 0\n");

    // Run on bars where one rising candle buys two units at the next open,
    // and a close 10 % under the entry sets off the stop, filled at the open
    // after it; fills are marked on the bar whose signal made them.
    auto reading = readStrategyFile((temp / "Trade1.pat").string());
    ASSERT_TRUE(reading);
    test::SimulationCase run;
    run.strategy = reading->strategy;
    run.bars = test::candles("----u-----");
    auto& drop = run.bars[7];
    drop.open = 1000, drop.close = 900, drop.high = 1005, drop.low = 895;
    auto& after = run.bars[8];  // a flat bar: no new buy
    after.open = 890, after.close = 890, after.high = 895, after.low = 885;
    run.run();
    ASSERT_EQ(run.journal.fills.size(), 2u);
    const Fill& entry = run.journal.fills[0];
    const Fill& exit = run.journal.fills[1];
    EXPECT_EQ(std::tuple(entry.bar, entry.kind, entry.side, entry.units, entry.price),
              std::tuple(4, FillKind::Open, uint8_t{1}, int64_t{2}, 1000));
    EXPECT_EQ(std::tuple(exit.bar, exit.kind, exit.reason, exit.units, exit.price),
              std::tuple(7, FillKind::Close, ExitReason::StopLoss, int64_t{2}, 890));
}

// 定率 and 定額 do not share a text: a switch clears the field and the unit
// beside it follows the kind.
TEST(StrategyEditor, CommissionKindSwitchClearsTheTextAndShowsTheUnit) {
    test::TempFolder temp;
    test::RecordingPrompter prompter;
    test::RecordingShell shell;
    SimulationSettings settings;
    settings.commissionKind = kCommissionFixed;
    settings.commissionValue = 10;
    StrategyEditorDialog editor(temp.str(), 0, settings, prompter, shell);
    EXPECT_EQ(editor.commission()->text(), QStringLiteral("10"));
    EXPECT_EQ(editor.commissionUnit()->text(), QStringLiteral("円"));

    editor.commissionKind()->setCurrentIndex(kCommissionNone);  // kept while unused
    EXPECT_EQ(editor.commission()->text(), QStringLiteral("10"));
    EXPECT_EQ(editor.commissionUnit()->text(), QStringLiteral("円"));
    editor.commissionKind()->setCurrentIndex(kCommissionRate);
    EXPECT_EQ(editor.commission()->text(), QString());
    EXPECT_EQ(editor.commissionUnit()->text(), QStringLiteral("％"));
    shoot(editor, "strategy_editor_commission_switched");

    // Closing with the field empty names it instead of taking a value.
    editor.button(QStringLiteral("終了"))->click();
    EXPECT_EQ(prompter.messages().back(), "「手数料」の値が正しくありません。");
    editor.commission()->setText(QStringLiteral("0.25"));
    editor.commissionKind()->setCurrentIndex(kCommissionFixed);
    editor.commission()->setText(QStringLiteral("300"));
    editor.button(QStringLiteral("終了"))->click();
    EXPECT_EQ(editor.settings().commissionKind, kCommissionFixed);
    EXPECT_EQ(editor.settings().commissionValue, 300);
}

TEST(StrategyEditor, ShowsTheLogicAndFillPriceOfTheTabOnDisplay) {
    test::TempFolder temp;
    test::RecordingPrompter prompter;
    test::RecordingShell shell;
    StrategyEditorDialog editor(temp.str(), 0, SimulationSettings{}, prompter, shell);
    prompter.inputs = {std::string("逆張り")};
    editor.button(QStringLiteral("追加"))->click();
    editor.button(QStringLiteral("行追加"))->click();
    const auto shown = [&] { return editor.columnSettings()->text(); };
    EXPECT_EQ(shown(), QStringLiteral("条件論理式：OR条件<～か～>\n個別売買値：指定なし"));

    editor.tabs()->setCurrentIndex(1);
    whenOpen<ChoiceDialog>([](ChoiceDialog& d) {
        d.list()->setCurrentIndex(1);
        d.accept();
    });
    editor.button(QStringLiteral("条件論理式"))->click();
    whenOpen<ChoiceDialog>([](ChoiceDialog& d) {
        d.list()->setCurrentIndex(5);
        d.accept();
    });
    editor.button(QStringLiteral("個別売買値"))->click();
    EXPECT_EQ(shown(), QStringLiteral("条件論理式：AND条件<～かつ～>\n個別売買値：翌日始値"));
    // The buy tab kept its own choices.
    editor.tabs()->setCurrentIndex(0);
    EXPECT_EQ(shown(), QStringLiteral("条件論理式：OR条件<～か～>\n個別売買値：指定なし"));
    shoot(editor, "strategy_editor_column_settings");
}

}  // namespace
}  // namespace tav::desktop
