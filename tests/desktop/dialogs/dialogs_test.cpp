#include <gtest/gtest.h>

#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>

#include "dialog_driving.h"
#include "dialogs/add_security_dialog.h"
#include "dialogs/archive_days_dialog.h"
#include "dialogs/margin_dialog.h"
#include "dialogs/quote_entry_dialog.h"
#include "dialogs/stop_dialog.h"
#include "dialogs/tactic_dialog.h"
#include "simulation/strategy.h"
#include "support/recording_prompter.h"

namespace tav::desktop {
namespace {

TEST(AddSecurityDialog, PresetCodeAndChoicesMakeTheRequest) {
    AddSecurityDialog dialog(7203);
    EXPECT_EQ(dialog.codeEdit()->text(), "7203");
    EXPECT_EQ(dialog.marketCombo()->count(), 11);  // the three segments after "その他"
    EXPECT_EQ(dialog.unitCombo()->count(), 7);
    EXPECT_EQ(dialog.marketCombo()->currentText(), QString::fromUtf8("東証1部"));
    EXPECT_EQ(dialog.unitCombo()->currentText(), QString::fromUtf8("1000株"));
    dialog.nameEdit()->setText(QString::fromUtf8("トヨタ自動車"));
    dialog.marketCombo()->setCurrentIndex(7);
    dialog.unitCombo()->setCurrentIndex(1);
    const AddSecurityRequest request = dialog.request();
    EXPECT_EQ(request.code, 7203);
    EXPECT_EQ(request.name, "トヨタ自動車");
    EXPECT_EQ(request.marketIndex, 7);
    EXPECT_EQ(request.unitIndex, 1);
}

TEST(ArchiveDaysDialog, RemovingMovesTheSelectionAndAddingAppends) {
    ArchiveDaysDialog dialog({"20240603", "20240604", "20240605"}, 1);
    EXPECT_EQ(dialog.sourceMode(), 1);
    dialog.list()->setCurrentRow(1);
    dialog.removeSelected();
    EXPECT_EQ(dialog.days(), (std::vector<std::string>{"20240603", "20240605"}));
    EXPECT_EQ(dialog.list()->currentRow(), 1);  // the same index
    dialog.removeSelected();
    EXPECT_EQ(dialog.list()->currentRow(), 0);  // the one before
    dialog.removeSelected();
    EXPECT_TRUE(dialog.days().empty());
    dialog.removeSelected();  // nothing left: nothing happens
    dialog.appendDay("20240607");
    dialog.appendDay("");
    EXPECT_EQ(dialog.days(), (std::vector<std::string>{"20240607"}));
}

TEST(ArchiveDaysDialog, TheTypedDayTakesDigitsOnlyAndACalendarDay) {
    DayEntryDialog entry(QStringLiteral("20240614"));
    EXPECT_TRUE(entry.okButton()->isEnabled());
    entry.edit()->clear();
    QTest::keyClicks(entry.edit(), QStringLiteral("abc"));
    EXPECT_EQ(entry.edit()->text(), QString());  // refused as typed
    EXPECT_FALSE(entry.okButton()->isEnabled());
    QTest::keyClicks(entry.edit(), QStringLiteral("2024x06-31"));
    EXPECT_EQ(entry.edit()->text(), QStringLiteral("20240631"));
    EXPECT_FALSE(entry.okButton()->isEnabled());  // no 31 June
    entry.edit()->setText(QStringLiteral("20240229"));
    EXPECT_TRUE(entry.okButton()->isEnabled());
    QTest::keyClicks(entry.edit(), QStringLiteral("1"));  // a ninth digit does not go in
    EXPECT_EQ(entry.day(), QStringLiteral("20240229"));
}

// The state and side pairs are separate choices: OK gives back what was
// opened, and choosing a side leaves the state alone.
TEST(TacticDialog, OkKeepsTheStateAndSideItOpenedWith) {
    struct Case {
        uint8_t mode;
        uint8_t disabled;
        uint8_t side;
    };
    for (const Case c : {Case{kModeMixed, 1, kBuyTactic}, Case{kModeMixed, 1, kSellTactic},
                         Case{kModeMixed, 0, kSellTactic}, Case{kModeLong, 1, kBuyTactic}}) {
        SCOPED_TRACE(testing::Message() << int(c.mode) << int(c.disabled) << int(c.side));
        Tactic tactic;
        tactic.name = "押し目";
        tactic.disabled = c.disabled;
        tactic.side = c.side;
        TacticDialog dialog(tactic, c.mode);
        dialog.accept();
        EXPECT_EQ(dialog.disabled(), c.disabled != 0);
        EXPECT_EQ(dialog.side(), c.side);
        EXPECT_EQ(dialog.name(), "押し目");
    }
    Tactic disabled;
    disabled.disabled = 1;
    TacticDialog dialog(disabled, kModeMixed);
    for (QRadioButton* side : dialog.findChildren<QRadioButton*>())
        if (side->text() == QStringLiteral("売り戦術") ||
            side->text() == QStringLiteral("買い戦術"))
            side->click();
    EXPECT_TRUE(dialog.disabled());
    test::shoot(dialog, "tactic_disabled_after_side_clicks");
}

// The unit beside a stop's value follows the kind and item chosen.
TEST(StopDialog, TheValueUnitFollowsKindAndItem) {
    test::RecordingPrompter prompter;
    StopDialog dialog(stopRule(kStopLoss, 0, 5), true, false, prompter);
    EXPECT_EQ(dialog.valueUnit()->text(), QStringLiteral("％"));
    const struct {
        int kind, item;
        const char* unit;
    } steps[] = {{kStopLoss, 1, "円"},
                 {kStopTrailing, 1, "円"},
                 {kStopTrailing, 2, "％"},
                 {kStopTimeOver, 0, "日"},
                 {kStopProfit, 3, "円"}};
    for (const auto& step : steps) {
        dialog.kindList()->setCurrentIndex(step.kind);
        dialog.itemList()->setCurrentIndex(step.item);
        EXPECT_EQ(dialog.valueUnit()->text(), QString::fromUtf8(step.unit))
            << step.kind << "/" << step.item;
    }
}

TEST(QuoteEntryDialog, EditedValuesGoBackIntoTheRecord) {
    QuoteRecord quote;
    quote.open = 2500;
    quote.high = 2550;
    quote.low = 2480;
    quote.price = 2530;
    quote.volume = 12345678901;
    quote.texts[0] = "kept";
    QuoteEntryDialog dialog(quote);
    EXPECT_EQ(dialog.field(4)->text(), "12345678901");
    dialog.field(3)->setText("2540");
    const QuoteRecord edited = dialog.edited();
    EXPECT_EQ(edited.open, 2500);
    EXPECT_EQ(edited.price, 2540);
    EXPECT_EQ(edited.volume, 12345678901);
    EXPECT_EQ(edited.texts[0], "kept");
}

TEST(MarginDialog, OneRowPerRecordInPageOrder) {
    std::vector<MarginRecord> records(2);
    records[0] = {"24/06/07", "1,200", "35,000", "29.17", "20240607", 1200, 35000, 29.17};
    records[1] = {"24/05/31", "1,100", "34,000", "30.91", "20240531", 1100, 34000, 30.91};
    MarginDialog dialog("トヨタ自動車", records);
    ASSERT_EQ(dialog.table()->topLevelItemCount(), 2);
    EXPECT_EQ(dialog.table()->topLevelItem(0)->text(0), "24/06/07");
    EXPECT_EQ(dialog.table()->topLevelItem(1)->text(2), "34,000");
    EXPECT_EQ(dialog.table()->headerItem()->text(3), QString::fromUtf8("貸借倍率"));
    // Every column holds its widest text, header or value, in the table's font.
    const QFontMetrics metrics = dialog.table()->fontMetrics();
    for (int column = 0; column < 4; ++column) {
        int widest = metrics.horizontalAdvance(dialog.table()->headerItem()->text(column));
        for (int row = 0; row < 2; ++row)
            widest = std::max(
                widest, metrics.horizontalAdvance(dialog.table()->topLevelItem(row)->text(column)));
        EXPECT_GT(dialog.table()->columnWidth(column), widest) << column;
    }
}

}  // namespace
}  // namespace tav::desktop
