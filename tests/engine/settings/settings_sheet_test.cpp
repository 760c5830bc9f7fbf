#include "settings/settings_sheet.h"

#include <gtest/gtest.h>

#include "settings/settings_store.h"
#include "support/recording_prompter.h"
#include "support/temp_folder.h"

namespace tav {
namespace {

class Sheet : public ::testing::Test {
  protected:
    OptionsRecord options = OptionsRecord::defaults(1);
    DisplaySwitches switches;
    AnalysisParameters block = AnalysisParameters::defaults();
    SettingsSheet sheet{options, switches, 20, block, PeriodMode::Daily};
    test::RecordingPrompter prompter;
};

TEST_F(Sheet, EditsStayOnTheCopiesUntilApplied) {
    sheet.colours[0] = 0x123456;
    sheet.text(SheetField::graphsPerScreen) = "3";
    sheet.chart.fields[0] = "77";
    sheet.moveDown(0);
    ASSERT_FALSE(sheet.refusedField());
    // Cancelling is simply dropping the sheet: the originals are untouched.
    EXPECT_EQ(options, OptionsRecord::defaults(1));
    EXPECT_EQ(block, AnalysisParameters::defaults());

    options.indicatorScreen = 4;
    const SheetChanges changes = sheet.apply(options, switches, block);
    EXPECT_TRUE(changes.graphsPerScreenChanged);
    EXPECT_FALSE(changes.quoteIntervalChanged);
    EXPECT_EQ(options.colours[0], 0x123456u);
    EXPECT_EQ(options.indicatorScreen, 0);
    EXPECT_EQ(options.indicatorScreenCount(), 6);
    EXPECT_EQ(options.indicatorOrder[0], 1);
    EXPECT_EQ(options.indicatorOrder[1], 0);
    EXPECT_EQ(block.chart(ChartParam::spTurnPercent, PeriodMode::Daily), 77);
    EXPECT_EQ(block.chart(ChartParam::spTurnPercent, PeriodMode::Weekly), 10);
}

TEST_F(Sheet, TheDataSourceChoiceKeepsTheArchiveModeUnlessTheApiIsChosen) {
    struct Case {
        uint8_t stored;
        bool api;
        uint8_t after;
    };
    // Disk, net, member server, API.
    for (const Case& c : {Case{0, false, 0}, Case{2, false, 2}, Case{2, true, 3}, Case{3, true, 3},
                          Case{3, false, 1}}) {
        options.updateOption = c.stored;
        SettingsSheet choice{options, switches, 20, block, PeriodMode::Daily};
        EXPECT_EQ(choice.dataFromApi, c.stored == 3);
        choice.dataFromApi = c.api;
        choice.apply(options, switches, block);
        EXPECT_EQ(options.updateOption, c.after) << int(c.stored) << " " << c.api;
    }
}

TEST_F(Sheet, EveryFieldIsRefusedOutsideItsRange) {
    struct Case {
        SheetField field;
        const char* below;
        const char* lowest;
        const char* highest;
        const char* above;
        SheetPage page;
    };
    const Case cases[] = {
        {SheetField::historyLength, "4", "5", "50", "51", SheetPage::General},
        {SheetField::accumulateYears, "-1", "0", "20", "21", SheetPage::General},
        {SheetField::quoteInterval, "-1", "0", "3600", "3601", SheetPage::General},
        {SheetField::waveLineDays, "-1", "0", "255", "256", SheetPage::General},
        {SheetField::barLineWidth, "0", "1", "5", "6", SheetPage::Colours},
        {SheetField::volumeLineWidth, "0", "1", "5", "6", SheetPage::Colours},
        {SheetField::graphsPerScreen, "0", "1", "10", "11", SheetPage::IndicatorDisplay},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.field));
        const std::string kept = sheet.text(c.field);
        for (const char* good : {c.lowest, c.highest}) {
            sheet.text(c.field) = good;
            EXPECT_FALSE(sheet.refusedField());
        }
        for (const char* bad : {c.below, c.above, "", "1x"}) {
            sheet.text(c.field) = bad;
            const auto refused = sheet.refusedField();
            ASSERT_TRUE(refused);
            EXPECT_EQ(refused->page, c.page);
            EXPECT_EQ(refused->field, static_cast<int>(c.field));
        }
        sheet.text(c.field) = kept;
    }
    EXPECT_EQ(rangeMessage({5, 50}), "5 から 50 までの整数を入力してください。");

    // Parameter values are bytes; the refused field is named on its page.
    sheet.indicator.fields[3] = "256";
    const auto refused = sheet.refusedField();
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->page, SheetPage::IndicatorValues);
    EXPECT_EQ(refused->field, 3);
}

TEST_F(Sheet, YearsAreNeitherCheckedNorTakenOutsideAccumulateMode) {
    options.accumulateMode = 0;
    options.accumulateYears = 3;
    SettingsSheet scratch(options, switches, 20, block, PeriodMode::Daily);
    scratch.text(SheetField::accumulateYears) = "99";
    ASSERT_FALSE(scratch.refusedField());
    scratch.apply(options, switches, block);
    EXPECT_EQ(options.accumulateYears, 3);
}

TEST_F(Sheet, PeriodSwitchKeepsUnsavedEditsOfEachPeriod) {
    SettingsSheet weekly(options, switches, 20, block, PeriodMode::Weekly);
    EXPECT_EQ(weekly.indicator.period(), PeriodMode::Weekly);

    sheet.indicator.fields[0] = "11";
    ASSERT_FALSE(sheet.indicator.selectPeriod(PeriodMode::Weekly));
    EXPECT_EQ(sheet.indicator.fields[0], "6");
    sheet.indicator.fields[0] = "22";
    ASSERT_FALSE(sheet.indicator.selectPeriod(PeriodMode::Daily));
    EXPECT_EQ(sheet.indicator.fields[0], "11");
    ASSERT_FALSE(sheet.indicator.selectPeriod(PeriodMode::Weekly));
    EXPECT_EQ(sheet.indicator.fields[0], "22");

    // A refused field keeps the period where it is.
    sheet.indicator.fields[5] = "abc";
    EXPECT_EQ(sheet.indicator.selectPeriod(PeriodMode::Monthly), 5);
    EXPECT_EQ(sheet.indicator.period(), PeriodMode::Weekly);
    sheet.indicator.fields[5] = "26";

    ASSERT_FALSE(sheet.refusedField());
    sheet.apply(options, switches, block);
    EXPECT_EQ(block.indicator(IndicatorParam::rsiPeriod, PeriodMode::Daily), 11);
    EXPECT_EQ(block.indicator(IndicatorParam::rsiPeriod, PeriodMode::Weekly), 22);
    EXPECT_EQ(block.indicator(IndicatorParam::rsiPeriod, PeriodMode::Monthly), 6);
}

TEST_F(Sheet, ResetsAskFirstAndDefaultToNo) {
    sheet.colours[5] = 1;
    sheet.chart.fields[2] = "99";
    ASSERT_FALSE(sheet.chart.selectPeriod(PeriodMode::Monthly));
    sheet.chart.fields[2] = "98";

    prompter.answers = {Answer::No, Answer::No};
    EXPECT_FALSE(sheet.resetColours(prompter));
    EXPECT_FALSE(sheet.chart.resetToDefaults(prompter));
    EXPECT_EQ(sheet.colours[5], 1u);
    EXPECT_EQ(sheet.chart.fields[2], "98");

    EXPECT_TRUE(sheet.resetColours(prompter));
    EXPECT_TRUE(sheet.chart.resetToDefaults(prompter));
    EXPECT_EQ(sheet.colours, defaultColours());
    EXPECT_EQ(sheet.chart.fields[2], "25");
    EXPECT_EQ(sheet.block.chart(ChartParam::maBandPercent, PeriodMode::Daily), 25);
    const std::vector<std::string> asked = {
        "描画色を初期値に戻します\n\nよろしいですか？",
        "チャート設定値を初期値に戻します\n\nよろしいですか？",
        "描画色を初期値に戻します\n\nよろしいですか？",
        "チャート設定値を初期値に戻します\n\nよろしいですか？"};
    EXPECT_EQ(prompter.questions(), asked);
    for (const auto& call : prompter.calls) EXPECT_EQ(call.question, QuestionKind::Destructive);
    EXPECT_EQ(ParameterPage::resetLabel(false), "初期値に戻す");
    EXPECT_EQ(ParameterPage::resetLabel(true), "共通値に戻す");
}

TEST_F(Sheet, CommonValuesComeOnlyFromA248ByteFileAndOnlyIntoTheFields) {
    test::TempFolder temp;
    SettingsStore store(temp.str(), 1);
    AnalysisParameters common = AnalysisParameters::defaults();
    common.setIndicator(IndicatorParam::rsiPeriod, PeriodMode::Weekly, 40);
    common.setIndicator(IndicatorParam::rsiPeriod, PeriodMode::Daily, 41);
    const std::string image = settingsFileBytes(common);
    ASSERT_EQ(image.size(), 248u);
    ASSERT_FALSE(sheet.indicator.selectPeriod(PeriodMode::Weekly));

    // Missing, short and long files change nothing.
    EXPECT_FALSE(sheet.indicator.syncWithCommon(prompter, store));
    for (const std::string& bad : {image.substr(0, 247), image + '\0'}) {
        test::writeFile(temp / "Common.cfg", bad);
        EXPECT_FALSE(sheet.indicator.syncWithCommon(prompter, store));
        EXPECT_EQ(sheet.indicator.fields[0], "6");
    }
    test::writeFile(temp / "Common.cfg", image);
    EXPECT_TRUE(sheet.indicator.syncWithCommon(prompter, store));
    EXPECT_EQ(sheet.indicator.fields[0], "40");
    // The block itself and the other periods wait for the fields to be stored.
    EXPECT_EQ(sheet.block.indicator(IndicatorParam::rsiPeriod, PeriodMode::Weekly), 6);
    ASSERT_FALSE(sheet.indicator.selectPeriod(PeriodMode::Daily));
    EXPECT_EQ(sheet.indicator.fields[0], "6");
    EXPECT_EQ(sheet.block.indicator(IndicatorParam::rsiPeriod, PeriodMode::Weekly), 40);
    EXPECT_EQ(prompter.questions().front(),
              "指数設定値を共通設定の指数値と同期させます。\n\nよろしいですか？");
}

TEST_F(Sheet, OrderMovesFollowTheSelectionAndStopAtTheEnds) {
    EXPECT_EQ(sheet.moveUp(0), 0);
    EXPECT_EQ(sheet.moveUp(-1), -1);
    EXPECT_EQ(sheet.moveDown(16), 16);
    EXPECT_EQ(sheet.moveDown(-1), -1);
    EXPECT_EQ(sheet.order, options.indicatorOrder);
    EXPECT_EQ(sheet.moveUp(16), 15);
    EXPECT_EQ(sheet.moveDown(3), 4);
    EXPECT_EQ(sheet.order[15], 16);
    EXPECT_EQ(sheet.order[16], 15);
    EXPECT_EQ(sheet.order[4], 3);
}

TEST(ColourSwatches, RowsHoldTheTableInOrderWithTheirGroupGaps) {
    int total = 0;
    for (const ColourRow& row : kColourRows) total += row.count;
    EXPECT_EQ(total, kColourCount);
    struct Case {
        int index, left, top;
    };
    // Row 4 follows the first gap, row 15 the second.
    const Case cases[] = {{0, 315, 22},   {1, 335, 22},   {2, 315, 37},   {6, 315, 67},
                          {7, 315, 90},   {10, 375, 90},  {21, 315, 165}, {25, 395, 165},
                          {35, 315, 240}, {37, 315, 263}, {41, 395, 263}, {43, 335, 278}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        const SwatchRect rect = swatchRect(c.index);
        EXPECT_EQ(rect.left, c.left);
        EXPECT_EQ(rect.top, c.top);
        EXPECT_EQ(swatchAt(c.left, c.top), c.index);
        EXPECT_EQ(swatchAt(c.left + 9, c.top + 9), c.index);
        EXPECT_FALSE(swatchAt(c.left + 10, c.top));
    }
}

}  // namespace
}  // namespace tav
