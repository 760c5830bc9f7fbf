#include "simulation/strategy_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/file_io.h"
#include "core/text.h"
#include "simulation/strategy_list.h"
#include "support/recording_prompter.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"

namespace tav {
namespace {

Strategy sample() {
    Strategy s;
    s.tradingMode = kModeMixed;
    s.split = {kSplitPercent, 20, -5, 3};
    Tactic first;
    first.name = "押し目 買い";  // a blank inside the name
    first.buy.logic = kLogicAnd;
    first.buy.fillPrice = 4;
    first.buy.count = 2;
    first.buy.conditions[0] = Condition{0, 1, 2, 3, 4, 5, 6, 7, 8, 0};
    first.buy.conditions[1] = Condition{3, 2, 0, 1, 0, 0, 0, 0, 0, 0};
    first.stop.count = 1;
    first.stop.conditions[0] = stopRule(kStopTrailing, 1, 30);
    Tactic second;
    second.disabled = 1;
    second.side = kSellTactic;
    second.name = "戦術2";
    second.sell.fillPrice = 13;
    second.sell.count = 1;
    second.sell.conditions[0] = Condition{5, 0, 0, 2, 0, 0, 0, 0, 0, 0};
    s.tactics = {first, second};
    return s;
}

TEST(StrategyFile, WritesTheLayoutAndReadsItBack) {
    Strategy s = sample();
    s.tactics[0].buy.conditions[0].spare = 99;  // never written
    const std::string bytes = formatStrategyFile(s);
    EXPECT_EQ(text::utf8FromSjis(bytes),
              "[TYPE]\n3 0 0 0 0\n[TACT]\n"
              "0 0 0 0 0 0 0 0 0 0 押し目 買い\n"
              "1 1 0 0 0 0 0 0 0 0 戦術2\n"
              "[RESERVE]\n0 0 0 0 0 0 0 0 0 0\n"
              "[BUY]\n1 4 0 0 0 0 0 0 0 0,0 1 2 3 4 5 6 7 8 0,3 2 0 1 0 0 0 0 0 0\n\n"
              "[SELL]\n\n0 13 0 0 0 0 0 0 0 0,5 0 0 2 0 0 0 0 0 0\n"
              "[STOP]\n0 0 0 0 0 0 0 0 0 0,2 0 0 1 30 0 0 0 0 0\n\n"
              "[SPLIT]\n2 20 -5 3 0 0 0 0 0 0\n");
    const StrategyReading reading = parseStrategyFile(bytes);
    EXPECT_EQ(reading.strategy, sample());
    EXPECT_EQ(reading.droppedConditions, 0);
    // Carriage returns are removed.
    std::string crlf;
    for (char c : bytes) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    EXPECT_EQ(parseStrategyFile(crlf).strategy, sample());
}

TEST(StrategyFile, NamelessTacticsAndEmptyColumnLines) {
    // The nameless second line adds no tactic, so "[BUY]" line 2 belongs to
    // the second tactic; the empty line still counts as the first tactic's.
    const Strategy s = parseStrategyFile(
                           "junk before the type\n[TYPE]\n1 0 0 0 0\n\n[TACT]\n"
                           "0 0 0 0 0 0 0 0 0 0 A\n0 0 0 0 0 0 0 0 0 0 \n0 1 0 0 0 0 0 0 0 0 B\n"
                           "[BUY]\n\n1 2 0 0 0 0 0 0 0 0,3 0 0 0\n[SPLIT]\n1 5\n")
                           .strategy;
    ASSERT_EQ(s.tactics.size(), 2u);
    EXPECT_EQ(s.tradingMode, kModeShort);
    EXPECT_EQ(s.tactics[0].name, "A");
    EXPECT_EQ(s.tactics[0].buy.count, 0);
    EXPECT_EQ(s.tactics[1].name, "B");
    EXPECT_EQ(s.tactics[1].side, 1);
    EXPECT_EQ(s.tactics[1].buy.logic, 1);
    EXPECT_EQ(s.tactics[1].buy.fillPrice, 2);
    ASSERT_EQ(s.tactics[1].buy.count, 1);
    EXPECT_EQ(s.tactics[1].buy.conditions[0], (Condition{3, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(s.split, (SplitSettings{1, 5, 0, 0}));
    // A nameless tactic is written with a name, so its columns stay its own.
    Strategy nameless = s;
    nameless.tactics[0].name.clear();
    EXPECT_EQ(parseStrategyFile(formatStrategyFile(nameless)).strategy.tactics[0].name, "戦術1");
    // Nothing counts before "[TYPE]"; no file is an empty strategy.
    EXPECT_TRUE(parseStrategyFile("[TACT]\n0 0 0 0 0 0 0 0 0 0 A\n").strategy.tactics.empty());
    EXPECT_EQ(parseStrategyFile("").strategy, Strategy{});
}

TEST(StrategyFile, LongColumnLinesAreReadWholeAndCapped) {
    std::string line = "0 0 0 0 0 0 0 0 0 0";
    for (int i = 0; i < 25; ++i)
        line += ",2 255 -32000 17 -32000 1 -32000 -32000 -32000 " + std::to_string(i);
    ASSERT_GT(line.size(), 1024u);
    const std::string file =
        "[TYPE]\n0 0 0 0 0\n[TACT]\n0 0 0 0 0 0 0 0 0 0 A\n"
        "0 0 0 0 0 0 0 0 0 0 B\n[BUY]\n" +
        line + "\n0 0 0 0 0 0 0 0 0 0,3 0 0 1\n";
    const StrategyReading reading = parseStrategyFile(file);
    ASSERT_EQ(reading.strategy.tactics.size(), 2u);
    EXPECT_EQ(reading.strategy.tactics[0].buy.count, kMaxColumnConditions);
    EXPECT_EQ(reading.strategy.tactics[0].buy.conditions[19].spare, 19);
    EXPECT_EQ(reading.droppedConditions, 5);
    // The second tactic keeps its own line.
    ASSERT_EQ(reading.strategy.tactics[1].buy.count, 1);
    EXPECT_EQ(reading.strategy.tactics[1].buy.conditions[0].item, 1);
}

class StrategyListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        writeStrategyNames(temp.str(), {"一", "二", "三", "四"});
        for (int k = 1; k <= 4; ++k) {
            Strategy s;
            s.split.amount = k;  // tells the files apart
            saveStrategy(temp.str(), k, s);
        }
    }
    int markOf(int number) const { return loadStrategy(temp.str(), number)->strategy.split.amount; }
    bool exists(const std::string& name) const { return std::filesystem::exists(temp / name); }

    test::TempFolder temp;
    test::RecordingPrompter prompter;
};

TEST_F(StrategyListTest, DeleteRenumbersAndMovesSwapThroughTheBackup) {
    StrategyList list(temp.str(), prompter);
    list.open(1);
    ASSERT_TRUE(list.deleteStrategy());
    EXPECT_EQ(prompter.questions(),
              std::vector<std::string>{
                  "[二] を削除します。\n\n一度削除すると元へ戻せません。\n\nよろしいですか？"});
    EXPECT_EQ(readStrategyNames(temp.str()), (std::vector<std::string>{"一", "三", "四"}));
    EXPECT_EQ(markOf(1), 1);
    EXPECT_EQ(markOf(2), 3);
    EXPECT_EQ(markOf(3), 4);
    EXPECT_FALSE(exists("Trade4.pat"));
    EXPECT_EQ(list.strategy().split.amount, 3);

    ASSERT_TRUE(list.moveStrategyDown());
    EXPECT_EQ(readStrategyNames(temp.str()), (std::vector<std::string>{"一", "四", "三"}));
    EXPECT_EQ(markOf(2), 4);
    EXPECT_EQ(markOf(3), 3);
    EXPECT_FALSE(exists("Trade.bak"));
    EXPECT_EQ(list.current(), 2);
    EXPECT_FALSE(list.moveStrategyDown());

    // A "no" keeps everything.
    prompter.answers.push_back(Answer::No);
    EXPECT_FALSE(list.deleteStrategy());
    EXPECT_EQ(list.count(), 3);
}

TEST_F(StrategyListTest, CopyAddRenameAndInitialise) {
    StrategyList list(temp.str(), prompter);
    list.open(0);
    EXPECT_FALSE(list.copyStrategyTo(0));
    EXPECT_TRUE(list.copyStrategyTo(2));
    EXPECT_EQ(markOf(3), 1);
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"送り手と受け手が同じです。"});
    std::filesystem::remove(temp / "Trade4.pat");
    list.select(3);
    EXPECT_FALSE(list.copyStrategyTo(0));
    EXPECT_EQ(prompter.messages().back(), "複写元には設定がありません。");

    prompter.inputs = {std::string(""), std::string("五 番目")};
    EXPECT_FALSE(list.addStrategy());
    ASSERT_TRUE(list.addStrategy());
    EXPECT_EQ(readStrategyNames(temp.str()).back(), "五 番目");
    EXPECT_EQ(list.current(), 4);

    // Tactics, conditions and the mode go into the file when another is selected.
    ASSERT_TRUE(list.setTradingMode(kModeMixed));
    ASSERT_TRUE(list.addTactic());
    EXPECT_EQ(list.strategy().tactics[0].name, "買＞戦術1");
    for (int i = 0; i < kMaxColumnConditions; ++i)
        ASSERT_TRUE(list.addCondition(0, TacticTab::Buy, Condition{3, 0, 0, 0}));
    EXPECT_FALSE(list.addCondition(0, TacticTab::Buy, Condition{3, 0, 0, 0}));
    EXPECT_EQ(prompter.messages().back(), "1つの列に登録できる条件は20個までです。");
    ASSERT_TRUE(list.setTactic(0, "押し 目", true, kSellTactic));
    list.select(0);
    const Strategy saved = loadStrategy(temp.str(), 5)->strategy;
    ASSERT_EQ(saved.tactics.size(), 1u);
    EXPECT_EQ(saved.tactics[0].name, "押し 目");
    EXPECT_EQ(saved.tactics[0].buy.count, kMaxColumnConditions);
    EXPECT_EQ(strategy_labels::displayName(saved.tradingMode, saved.tactics[0]),
              "無効＞売＞押し 目");

    list.select(4);
    ASSERT_TRUE(list.initialiseStrategy());
    EXPECT_EQ(prompter.questions().back(),
              "[ 五 番目 ] "
              "の内容を初期化します。\n\n戦略内全てのサインが消去されます。\n\nよろしいですか？");
    EXPECT_TRUE(list.strategy().tactics.empty());
    EXPECT_EQ(list.strategy().tradingMode, kModeLong);
    EXPECT_TRUE(list.changed());
}

TEST_F(StrategyListTest, CopySavesFirstAndAFailedDeleteChangesNothing) {
    StrategyList list(temp.str(), prompter);
    list.open(0);
    ASSERT_TRUE(list.addTactic());
    ASSERT_TRUE(list.copyStrategyTo(1));
    EXPECT_FALSE(list.changed());
    EXPECT_EQ(loadStrategy(temp.str(), 1)->strategy, list.strategy());
    EXPECT_EQ(loadStrategy(temp.str(), 2)->strategy, list.strategy());

    list.store().ops.write = [](const std::string& path, std::string_view bytes) {
        return !path.ends_with("/Trade.inf") && fileio::writeFileAtomic(path, bytes);
    };
    EXPECT_FALSE(list.deleteStrategy());
    EXPECT_FALSE(list.moveStrategyDown());
    EXPECT_EQ(list.count(), 4);
    EXPECT_EQ(readStrategyNames(temp.str()), (std::vector<std::string>{"一", "二", "三", "四"}));
    EXPECT_EQ(markOf(3), 3);
    EXPECT_EQ(markOf(4), 4);
    EXPECT_TRUE(exists("Trade4.pat"));
}

TEST_F(StrategyListTest, DroppedConditionsAreReported) {
    std::string line = "0 0 0 0 0 0 0 0 0 0";
    for (int i = 0; i < 21; ++i)
        line += ",3 0 0 0 0 0 0 0 0 0";
    test::writeFile(temp / "Trade2.pat",
                    "[TYPE]\n0 0 0 0 0\n[TACT]\n0 0 0 0 0 0 0 0 0 0 A\n[SELL]\n" + line + "\n");
    StrategyList list(temp.str(), prompter);
    list.open(1);
    ASSERT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(list.strategy().tactics[0].sell.count, kMaxColumnConditions);
}

// Item k of the selector must pick strategy k: a blank name keeps its place.
TEST(StrategyFile, SelectorItemsFollowTheListLines) {
    test::TempFolder temp;
    EXPECT_EQ(strategySelectorItems(temp.str()), std::vector<std::string>{"（戦略なし）"});
    test::writeFile(temp / "Trade.inf", text::sjisFromUtf8("一\r\n\n三\n"));
    EXPECT_EQ(strategySelectorItems(temp.str()),
              (std::vector<std::string>{"（戦略なし）", "一", "", "三"}));
}

TEST(StrategyLabels, StopListsAndSummaries) {
    Tactic sellTactic;
    sellTactic.side = kSellTactic;
    EXPECT_TRUE(strategy_labels::showsShortStops(kModeMixed, sellTactic));
    EXPECT_FALSE(strategy_labels::showsShortStops(kModeReverse, sellTactic));
    EXPECT_EQ(strategy_labels::stopItems(kStopProfit, false)[0], "仕掛値からの上昇率(終値)");
    EXPECT_EQ(strategy_labels::stopItems(kStopLoss, true)[3], "仕掛値からの上昇値幅(指値)");
    EXPECT_EQ(strategy_labels::stopItems(kStopTimeOver, true).size(), 1u);
    EXPECT_TRUE(strategy_labels::stopItems(7, false).empty());
    const std::vector<std::string> titles = {"一", "二"};
    EXPECT_EQ(strategy_labels::splitSummary(SplitSettings{}, titles),
              std::vector<std::string>{"分割なし"});
    EXPECT_EQ(
        strategy_labels::splitSummary(SplitSettings{kSplitYen, 300000, -50000, 1}, titles),
        (std::vector<std::string>{"定額法：[ 300000 ]円", "増減率：[ -50000 ]円", "分割条件：二"}));
}

// The unit beside a stop value follows what its item measures, on both sides.
TEST(StrategyLabels, StopValueUnitMatchesItemWording) {
    for (int kind = kStopLoss; kind <= kStopTimeOver; ++kind)
        for (bool shortPosition : {false, true}) {
            const auto items = strategy_labels::stopItems(kind, shortPosition);
            for (int item = 0; item < static_cast<int>(items.size()); ++item) {
                const std::string_view label = items[static_cast<std::size_t>(item)];
                const std::string_view expected = label.find("率") != std::string_view::npos ? "％"
                                                  : label.find("値幅") != std::string_view::npos
                                                      ? "円"
                                                      : "日";
                EXPECT_EQ(strategy_labels::stopValueUnit(kind, item), expected) << label;
            }
        }
    EXPECT_EQ(strategy_labels::stopValueUnit(kStopLoss, 4), "");
    EXPECT_EQ(strategy_labels::stopValueUnit(kStopTimeOver, 1), "");
}

}  // namespace
}  // namespace tav

namespace tav {
namespace {

TEST_F(StrategyListTest, AlternateChoicesOpenTheListFileOrTheRuleFile) {
    test::RecordingShell shell;
    StrategyList list(temp.str(), prompter);
    list.open(0);
    list.select(1, false, shell);
    list.chooseTactic(false, shell);
    EXPECT_TRUE(shell.opened.empty());
    list.select(2, true, shell);
    list.chooseTactic(true, shell);
    EXPECT_EQ(shell.opened, (std::vector<std::string>{(temp / "Trade.inf").string(),
                                                      (temp / "Trade3.pat").string()}));
    EXPECT_EQ(list.strategy().split.amount, 3);
}

}  // namespace
}  // namespace tav
