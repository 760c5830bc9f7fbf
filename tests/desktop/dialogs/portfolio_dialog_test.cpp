#include "dialogs/portfolio_dialog.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

#include "dialog_driving.h"
#include "simulation/strategy_file.h"
#include "support/recording_prompter.h"
#include "support/temp_folder.h"

namespace tav::desktop {
namespace {

class PortfolioDialogs : public ::testing::Test {
  protected:
    void SetUp() override { writeStrategyNames(temp.str(), {"戦略A", "戦略B"}); }
    test::TempFolder temp;
    test::RecordingPrompter prompter;
};

TEST_F(PortfolioDialogs, TheChoicesBecomeTheAccountsSettings) {
    PortfolioDialog dialog({}, temp.str(), true, {"入力", "出力"}, prompter);
    dialog.show();
    dialog.strategy()->setCurrentIndex(1);
    dialog.input()->setCurrentIndex(2);
    dialog.capital()->setText("5000000");
    dialog.positions()->setText("3");
    dialog.sizing()->setCurrentIndex(0);
    dialog.sizeValue()->setText("400000");
    dialog.score()->setCurrentIndex(1);
    EXPECT_TRUE(dialog.slot()->isEnabled());
    EXPECT_FALSE(dialog.seed()->isEnabled());
    dialog.slot()->setCurrentText("rsi");
    dialog.from()->setText("20240105");

    // A date that is no YYYYMMDD keeps the dialog open with a message.
    dialog.to()->setText("2024-12");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    ASSERT_EQ(prompter.calls.size(), 1u);
    dialog.to()->setText("");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    EXPECT_EQ(dialog.selection().strategy, 1);
    EXPECT_EQ(dialog.selection().input, 2);
    const PortfolioSettings& s = dialog.account();
    EXPECT_EQ(s.capital, 5'000'000);
    EXPECT_EQ(s.maxPositions, 3);
    EXPECT_EQ(s.sizing, PositionSizing::Fixed);
    EXPECT_EQ(s.sizeValue, 400'000);
    EXPECT_EQ(s.score, PositionScore::Slot);
    EXPECT_EQ(scoreSlots()[static_cast<std::size_t>(s.slot)].name, "rsi");
    EXPECT_EQ(s.from, 20240105);
    EXPECT_EQ(s.to, 0);
}

// Yen and percent never stand for each other: each sizing keeps its own
// text and shows its unit.
TEST_F(PortfolioDialogs, SwitchingTheSizingKeepsEachKindsTextAndUnit) {
    PortfolioDialog dialog({}, temp.str(), true, {"入力"}, prompter);
    dialog.sizing()->setCurrentIndex(1);
    EXPECT_EQ(dialog.sizeUnit()->text(), QStringLiteral("％"));
    dialog.sizeValue()->setText("25");
    dialog.sizing()->setCurrentIndex(0);
    EXPECT_EQ(dialog.sizeUnit()->text(), QStringLiteral("円"));
    EXPECT_NE(dialog.sizeValue()->text(), QStringLiteral("25"));
    dialog.sizeValue()->setText("500000");
    dialog.sizing()->setCurrentIndex(2);
    EXPECT_FALSE(dialog.sizeValue()->isEnabled());
    EXPECT_TRUE(dialog.sizeUnit()->text().isEmpty());
    dialog.sizing()->setCurrentIndex(1);
    EXPECT_EQ(dialog.sizeValue()->text(), QStringLiteral("25"));
    dialog.sizing()->setCurrentIndex(0);
    dialog.accept();
    EXPECT_EQ(dialog.account().sizing, PositionSizing::Fixed);
    EXPECT_EQ(dialog.account().sizeValue, 500'000);
}

TEST_F(PortfolioDialogs, ATradeRowShowsItsSecurityAndDoubleClickAsksForIt) {
    PortfolioOutcome outcome;
    outcome.securities = {{1301, "極洋", 100, 1, 9'000}, {7203, "トヨタ", 100, 0, 0}};
    outcome.trades = {
        {0, 1, 0, 20240104, 20240110, 1000, 1100, 1, 10'000, 1'000, 0, ExitReason::Signal,
         EntryOutcome::Taken},
        {1, 1, 0, 20240105, 0, 2000, 0, 5, 0, 0, 0, ExitReason::Open, EntryOutcome::SkippedCash},
    };
    outcome.days = {{20240104, 1'000'000, 0, 0, 1}, {20240110, 1'009'000, 0, 0, 0}};
    PortfolioResultView view("戦略A", outcome);
    view.show();
    test::shoot(view, "portfolio_result");
    QTableWidget& table = view.table();
    ASSERT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.item(0, 1)->text(), QStringLiteral("極洋"));
    EXPECT_EQ(table.item(0, 10)->text(), QStringLiteral("9,000"));
    EXPECT_EQ(table.item(1, 1)->text(), QStringLiteral("トヨタ"));
    EXPECT_EQ(table.item(1, 8)->text(), QString());
    EXPECT_EQ(table.item(1, 12)->text(), QStringLiteral("見送り（資金不足）"));

    StockCode shown = 0;
    int32_t date = 0;
    view.onShowTrade = [&](StockCode code, int32_t day) {
        shown = code;
        date = day;
    };
    emit table.cellDoubleClicked(1, 0);
    EXPECT_EQ(shown, 7203);
    EXPECT_EQ(date, 20240105);
}

}  // namespace
}  // namespace tav::desktop
