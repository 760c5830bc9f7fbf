#include "simulation/simulation_results.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/text.h"
#include "simulation/number_formats.h"
#include "simulation/simulation_report.h"
#include "simulation/simulation_settings.h"
#include "support/recording_prompter.h"
#include "support/temp_folder.h"

namespace tav {
namespace {

TEST(NumberFormats, AmountsPercentagesAndFactors) {
    EXPECT_EQ(amountText(1000000), "1,000,000");
    EXPECT_EQ(amountText(-12345), "-12,345");
    EXPECT_EQ(amountText(-1234567), "-1,234,567");
    EXPECT_EQ(amountText(-123), "-123");
    EXPECT_EQ(amountText(0), "0");
    EXPECT_EQ(amountText(100), "100");
    EXPECT_EQ(amountText(int64_t{5'000'000'000}), "5,000,000,000");
    EXPECT_EQ(percentText(12.34), "12.3%");
    EXPECT_EQ(ratioPercentText(2, 3), "66.7%");
    EXPECT_EQ(ratioPercentText(0, 3), "0.0%");
    EXPECT_EQ(ratioPercentText(3, 0), "0.0%");
    EXPECT_EQ(ratioPercentText(-12345, 1000000), "-1.2%");
    EXPECT_EQ(profitFactorText(1.316f), "1.32");
    EXPECT_EQ(profitFactorText(0), "0.00");
}

TEST(NoteLines, SummaryOfAResultBlock) {
    EXPECT_TRUE(noteLines(ResultBlock{}).empty());
    ResultBlock block{true, {}};
    block.result.capital = 1000000;
    block.result.equity = 1000000;
    auto lines = noteLines(block);
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_EQ(lines[0], (NoteLine{"当初資金", "1,000,000"}));
    EXPECT_EQ(lines[2], (NoteLine{"取引数", "0 [勝 0]"}));
    EXPECT_EQ(lines[3], (NoteLine{"勝率", "0.0%"}));

    SimulationResult& r = block.result;
    r.trades = 3;
    r.wins = 2;
    r.totalProfit = 50000;
    r.tax = 5000;
    r.totalCommission = 2050;
    r.equity = 1047950;
    r.profitFactor = 2.5f;
    lines = noteLines(block);
    EXPECT_EQ(lines[3].value, "66.7%");
    EXPECT_EQ(lines[9].value, "2.50");
    EXPECT_EQ(lines[11], (NoteLine{"粗利益率", "5.0%"}));
    EXPECT_EQ(lines[14], (NoteLine{"純利益", "42,950"}));
    EXPECT_EQ(lines[15], (NoteLine{"純利益率", "4.3%"}));
    EXPECT_EQ(lines[16], (NoteLine{"現資金", "1,042,950"}));
}

ResultRow longNamedRow() {
    SimulationResult r;
    r.totalProfit = -12345;
    r.trades = 12;
    r.wins = 5;
    r.grossProfit = 1234567;
    r.grossLoss = -1246912;
    r.profitFactor = 0.99f;
    ResultRow row = ResultRow::from(r);
    row.rank = 1;
    row.code = 7203;
    // 20 double-byte characters: 40 bytes, more than the name column holds.
    row.name = "東西南北春夏秋冬松竹梅桜菊藤萩桐牡丹鹿蝶";
    row.market = "東証１部";
    row.unit = "100";
    return row;
}

TEST(SimulationReport, EveryCellStartsAtItsColumn) {
    const std::vector<ResultRow> rows = {longNamedRow()};
    const std::string report = formatReport("押し目買い", 1000000, rows);
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < report.size();) {
        const std::size_t end = report.find('\n', start);
        lines.push_back(report.substr(start, end - start));
        start = end + 1;
    }
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(text::utf8FromSjis(lines[0]),
              "シミュレーション結果     押し目買い     当初資金     1,000,000");
    EXPECT_EQ(lines[1], "");
    const std::string& header = lines[2];
    const std::string& data = lines[3];
    ASSERT_EQ(header.size(), kReportLineBytes);
    ASSERT_EQ(data.size(), kReportLineBytes);
    EXPECT_EQ(text::utf8FromSjis(header.substr(72, 10)), "値洗利益率");
    EXPECT_EQ(text::utf8FromSjis(header.substr(180, 8)), "損益比率");

    const auto cells = resultCells(rows[0], 1000000);
    for (std::size_t c = 0; c < kResultColumns.size(); ++c) {
        const std::size_t start = static_cast<std::size_t>(kResultColumns[c].reportStart);
        if (c > 0) {
            EXPECT_EQ(data[start - 1], ' ') << c;  // nothing spills in from the left
        }
        if (c == 2) continue;
        const std::string cell = text::sjisFromUtf8(cells[c]);
        EXPECT_EQ(data.substr(start, cell.size()), cell) << c;
    }
    // The name is cut at a character boundary inside its 29 bytes.
    EXPECT_EQ(text::utf8FromSjis(data.substr(14, 28)), "東西南北春夏秋冬松竹梅桜菊藤");
    EXPECT_EQ(data.substr(42, 2), "  ");
    EXPECT_EQ(text::utf8FromSjis(data.substr(61, 7)), "-12,345");
    EXPECT_EQ(text::utf8FromSjis(data.substr(72, 5)), "-1.2%");
}

TEST(SimulationReport, AnUnwritableFileIsReportedAndNotCreated) {
    test::TempFolder temp;
    test::RecordingPrompter prompter;
    const std::vector<ResultRow> rows = {longNamedRow()};
    EXPECT_TRUE(writeReport(temp.str(), "Report.txt", "A", 1000000, rows, prompter));
    EXPECT_EQ(test::readFile(temp / "Report.txt"), formatReport("A", 1000000, rows));

    const std::string missing = (temp / "no such folder").string();
    EXPECT_FALSE(writeReport(missing, "Report.txt", "A", 1000000, rows, prompter));
    ASSERT_EQ(prompter.calls.size(), 1u);
    EXPECT_EQ(prompter.calls[0].icon, MessageIcon::Stop);
    // The message names the file and why it could not be written.
    EXPECT_EQ(prompter.calls[0].text,
              "レポートを書き込めません。\n\n" + missing + "/Report.txt\nNo such file or directory");
    EXPECT_FALSE(std::filesystem::exists(missing));
    // A folder where the file should be: the old contents stay, no stray files.
    std::filesystem::create_directory(temp / "Taken.txt");
    EXPECT_FALSE(writeReport(temp.str(), "Taken.txt", "A", 1000000, rows, prompter));
    EXPECT_TRUE(std::filesystem::is_directory(temp / "Taken.txt"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()),
                            std::filesystem::directory_iterator()),
              2);
}

TEST(SimulationReport, ConfirmingTheResultDialog) {
    test::TempFolder temp;
    test::RecordingPrompter prompter;
    const std::vector<ResultRow> rows = {longNamedRow()};
    ResultDialogChoice choice{3, 3, true, temp.str(), "out.txt"};
    EXPECT_FALSE(confirmResultDialog(choice, "A", 1000000, rows, prompter));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"入力先と出力先が同じです。"});
    EXPECT_FALSE(std::filesystem::exists(temp / "out.txt"));
    choice.outputWatchlist = 0;
    choice.reportFileName.clear();
    EXPECT_TRUE(confirmResultDialog(choice, "A", 1000000, rows, prompter));
    choice.reportFileName = "out.txt";
    EXPECT_TRUE(confirmResultDialog(choice, "A", 1000000, rows, prompter));
    EXPECT_TRUE(std::filesystem::exists(temp / "out.txt"));

    OptionsRecord options;
    EXPECT_EQ(reportNameOf(options), "Report.txt");
    EXPECT_FALSE(storeReportName(options, "sixteen_chars.tx"));
    ASSERT_TRUE(storeReportName(options, "R.txt"));
    EXPECT_EQ(reportNameOf(OptionsRecord::fromBytes(options.toBytes())), "R.txt");
}

TEST(SimulationSettingsTexts, PercentagesAreStoredInHundredths) {
    EXPECT_EQ(hundredthsFromPercentText("0.1"), 10);
    EXPECT_EQ(hundredthsFromPercentText(" 0.10 "), 10);
    EXPECT_EQ(hundredthsFromPercentText("10"), 1000);
    EXPECT_EQ(hundredthsFromPercentText("10."), 1000);
    EXPECT_EQ(hundredthsFromPercentText(".5"), 50);
    EXPECT_EQ(hundredthsFromPercentText("0.125"), 12);
    EXPECT_EQ(hundredthsFromPercentText("-0.05"), -5);
    EXPECT_EQ(hundredthsFromPercentText("327.67"), 32767);
    EXPECT_FALSE(hundredthsFromPercentText("327.68"));
    EXPECT_FALSE(hundredthsFromPercentText(""));
    EXPECT_FALSE(hundredthsFromPercentText("1.2.3"));
    EXPECT_FALSE(hundredthsFromPercentText("1%"));
    EXPECT_EQ(percentTextFromHundredths(10), "0.10");
    EXPECT_EQ(percentTextFromHundredths(1000), "10.00");
    EXPECT_EQ(percentTextFromHundredths(-5), "-0.05");

    SimulationSettings settings;
    settings.commissionKind = kCommissionRate;
    ASSERT_TRUE(applySettingsTexts({"2000000", "0.05", "1500", "20.315"}, settings));
    EXPECT_EQ(settings.capital, 2000000);
    EXPECT_EQ(settings.commissionValue, 5);
    EXPECT_EQ(settings.commissionMinimum, 1500);
    EXPECT_EQ(settings.taxRate, 2031);
    // A fixed commission is yen.
    settings.commissionKind = kCommissionFixed;
    ASSERT_TRUE(applySettingsTexts({"2000000", "525", "0", "10"}, settings));
    EXPECT_EQ(settings.commissionValue, 525);
    std::string bad;
    EXPECT_FALSE(applySettingsTexts({"2000000", "5.25", "0", "10"}, settings, &bad));
    EXPECT_EQ(bad, "手数料");
    EXPECT_EQ(settings.commissionValue, 525);

    OptionsRecord options;
    settings.storeInto(options);
    const std::string bytes = options.toBytes();
    EXPECT_EQ(SimulationSettings::from(OptionsRecord::fromBytes(bytes)).commissionValue, 525);
    EXPECT_EQ(static_cast<uint8_t>(bytes[276]), 525 % 256);
}

}  // namespace
}  // namespace tav
