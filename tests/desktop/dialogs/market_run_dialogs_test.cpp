#include <gtest/gtest.h>

#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>

#include "conditions/capsule_file.h"
#include "core/file_io.h"
#include "core/text.h"
#include "dialog_driving.h"
#include "dialogs/capsule_dialog.h"
#include "dialogs/market_run_fields.h"
#include "dialogs/multi_run_dialog.h"
#include "dialogs/screening_dialog.h"
#include "dialogs/simulation_result_dialog.h"
#include "simulation/strategy_file.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"

namespace tav::desktop {
namespace {

const std::vector<std::string> kWatchlists{"入力", "出力", "予備"};

class MarketRunDialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        writeStrategyNames(temp.str(), {"戦略A", "戦略B"});
        writeCapsuleTitles(temp.str(), {"カプセルA", "カプセルB"});
    }
    std::unique_ptr<ScreeningDialog> screening(const ScreeningSettings& initial,
                                               bool accumulate = true) {
        auto dialog = std::make_unique<ScreeningDialog>(initial, temp.str(), accumulate,
                                                        kWatchlists, prompter, shell);
        dialog->show();
        return dialog;
    }
    std::unique_ptr<MultiRunDialog> multiRun(const MultiRunSettings& initial,
                                             bool accumulate = true) {
        auto dialog = std::make_unique<MultiRunDialog>(initial, temp.str(), accumulate,
                                                       kWatchlists, prompter);
        dialog->show();
        return dialog;
    }

    test::TempFolder temp;
    test::RecordingPrompter prompter;
    test::RecordingShell shell;
};

TEST_F(MarketRunDialogs, FieldsFollowTheSearchItemAndTheLiquidityChoice) {
    struct Case {
        int item;
        bool value, strategy, capsule;
    };
    const Case cases[] = {
        {0, false, false, false},  {1, false, true, false},  {2, false, false, true},
        {3, false, false, false},  {14, false, false, false}, {15, true, false, false},
        {26, true, false, false},  {27, true, false, false},  {28, true, false, false},
        {29, false, false, false}, {30, false, false, false},
    };
    auto dialog = screening({});
    ASSERT_EQ(dialog->searchItem()->count(), kSearchItemCount);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        dialog->searchItem()->setCurrentIndex(c.item);
        EXPECT_EQ(dialog->value()->isEnabled(), c.value);
        EXPECT_EQ(dialog->strategy()->isEnabled(), c.strategy);
        EXPECT_EQ(dialog->capsule()->isEnabled(), c.capsule);
    }
    // The dialog opens with the rules of its stored item already applied.
    ScreeningSettings stored;
    stored.searchItem = 2;
    stored.filters.liquidity = kLiquidityNone;
    auto reopened = screening(stored);
    EXPECT_TRUE(reopened->capsule()->isEnabled());
    EXPECT_FALSE(reopened->strategy()->isEnabled());
    EXPECT_FALSE(reopened->filters().multiple()->isEnabled());

    auto multi = multiRun({});
    for (const FilterFields* fields : {&dialog->filters(), &multi->filters()}) {
        for (int liquidity : {1, 0, 2}) {
            fields->liquidity()->setCurrentIndex(liquidity);
            EXPECT_EQ(fields->multiple()->isEnabled(), liquidity != 0) << liquidity;
        }
    }
}

TEST_F(MarketRunDialogs, RedLineAtTheTopOnlyOutsideAccumulateMode) {
    for (bool accumulate : {true, false}) {
        SCOPED_TRACE(accumulate);
        auto screen = screening({}, accumulate);
        auto multi = multiRun({}, accumulate);
        // Entry 0 of the simulation input is the master list or the list on display.
        EXPECT_EQ(multi->input()->itemText(0), accumulate ? QStringLiteral("なし")
                                                          : QStringLiteral("現注目銘柄"));
        EXPECT_EQ(multi->input()->count(), 1 + static_cast<int>(kWatchlists.size()));
        EXPECT_EQ(screen->input()->itemText(0), QStringLiteral("なし"));
        EXPECT_EQ(screen->output()->count(), static_cast<int>(kWatchlists.size()));
        const std::pair<QLabel*, QWidget*> lines[] = {{screen->warningLine(), screen->searchItem()},
                                                      {multi->warningLine(), multi->strategy()}};
        for (const auto& [line, firstField] : lines) {
            if (accumulate) {
                EXPECT_EQ(line, nullptr);
                continue;
            }
            ASSERT_NE(line, nullptr);
            EXPECT_EQ(line->text(), QStringLiteral("必ず一括追加更新後に行ってください！！！"));
            EXPECT_EQ(line->palette().color(QPalette::WindowText), QColor(0xFF, 0, 0));
            EXPECT_LT(line->geometry().bottom(), firstField->geometry().top());
        }
        if (!accumulate) {
            test::shoot(*screen, "screening_dialog");
            test::shoot(*multi, "simulation_dialog");
        }
    }
}

TEST_F(MarketRunDialogs, ScreeningOkStaysOpenUntilTheChoicesMakeARun) {
    struct Case {
        const char* what;
        std::function<void(ScreeningDialog&)> set;
        const char* message;  // nullptr: accepted
    };
    const Case cases[] = {
        {"nothing chosen", [](ScreeningDialog&) {}, "何も選択されていません。"},
        {"input is the output",
         [](ScreeningDialog& d) {
             d.filters().market()->setCurrentIndex(1);
             d.input()->setCurrentIndex(2);
             d.output()->setCurrentIndex(1);
         },
         "入力先と出力先が同じです。"},
        {"value that is no number",
         [](ScreeningDialog& d) {
             d.searchItem()->setCurrentIndex(27);
             d.value()->setText("");
         },
         "「値」には -2147483648 から 2147483647 までの整数を入力してください。"},
        // A switched-off field is not read: its junk keeps the stored value.
        {"market only, value off",
         [](ScreeningDialog& d) {
             d.filters().market()->setCurrentIndex(1);
             d.value()->setText("");
         },
         nullptr},
        {"every field",
         [](ScreeningDialog& d) {
             d.searchItem()->setCurrentIndex(17);
             d.value()->setText("7");
             d.filters().market()->setCurrentIndex(8);
             d.filters().unit()->setCurrentIndex(2);
             d.filters().margin()->setCurrentIndex(1);
             d.filters().liquidity()->setCurrentIndex(2);
             d.filters().multiple()->setText("100");
             d.tradingValueMin()->setText("1000");
             d.tradingValueMax()->setText("5000000");
             d.input()->setCurrentIndex(3);
             d.output()->setCurrentIndex(1);
         },
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompter.calls.clear();
        ScreeningSettings initial;
        initial.value = 7;
        initial.filters = {0, 0, 0, kLiquidityNone, 100};
        initial.output = 0;
        auto dialog = screening(initial);
        c.set(*dialog);
        dialog->accept();
        if (c.message) {
            EXPECT_EQ(prompter.messages(), std::vector<std::string>{c.message});
            EXPECT_TRUE(dialog->isVisible());
            EXPECT_NE(dialog->result(), QDialog::Accepted);
        } else {
            EXPECT_TRUE(prompter.messages().empty());
            EXPECT_EQ(dialog->result(), QDialog::Accepted);
            const ScreeningSettings& s = dialog->settings();
            EXPECT_EQ(s.value, 7);
            EXPECT_EQ(s.filters.liquidityMultiple, 100);
            if (s.searchItem != 17) continue;
            EXPECT_EQ((std::array{s.filters.market, s.filters.unit, s.filters.marginType,
                                  s.filters.liquidity, s.tradingValueMin, s.tradingValueMax,
                                  s.input, s.outputWatchlist()}),
                      (std::array{8, 2, 1, 2, 1000, 5000000, 3, 2}));
        }
    }
}

TEST_F(MarketRunDialogs, RankingLengthMustLieWithinOneToAThousand) {
    const std::pair<const char*, bool> cases[] = {
        {"0", false}, {"1", true}, {"1000", true}, {"1001", false}};
    for (const auto& [length, accepted] : cases) {
        SCOPED_TRACE(length);
        prompter.calls.clear();
        auto dialog = multiRun({});
        dialog->rankingLength()->setText(length);
        dialog->rankingKind()->setCurrentIndex(1);
        dialog->accept();
        EXPECT_EQ(dialog->result() == QDialog::Accepted, accepted);
        if (accepted) {
            EXPECT_EQ(dialog->settings().rankingLength, std::atoi(length));
            EXPECT_EQ(dialog->settings().rankingKind, kRankByWinRate);
        } else {
            EXPECT_EQ(prompter.messages(),
                      std::vector<std::string>{"ランキング結果は 1 から 1000 位までです。"});
        }
    }
}

TEST_F(MarketRunDialogs, CapsuleButtonEditsThenReloadsAndChoosesCapsuleSearch) {
    ScreeningSettings initial;
    initial.searchItem = 15;
    initial.capsule = 1;
    auto dialog = screening(initial);
    int openedOn = -1;
    prompter.inputs = {std::string("カプセルC")};
    test::whenOpen<CapsuleDialog>([&openedOn](CapsuleDialog& capsules) {
        openedOn = capsules.set().current();
        capsules.button(1058)->click();  // adds "カプセルC"
        capsules.accept();
    });
    dialog->capsuleButton()->click();
    EXPECT_EQ(openedOn, 1);
    ASSERT_EQ(dialog->capsule()->count(), 3);
    EXPECT_EQ(dialog->capsule()->itemText(2), QStringLiteral("カプセルC"));
    EXPECT_EQ(dialog->capsule()->currentIndex(), 1);
    EXPECT_EQ(dialog->searchItem()->currentIndex(), kSearchCapsule);
    EXPECT_TRUE(dialog->capsule()->isEnabled());
    EXPECT_FALSE(dialog->value()->isEnabled());
}

// --- The result list ---

ResultRow row(int16_t rank, StockCode code, std::string name, int64_t profit) {
    ResultRow r;
    r.rank = rank;
    r.code = code;
    r.name = std::move(name);
    r.market = "";
    r.unit = "1000";
    r.markedProfit = profit;
    r.trades = 12;
    r.wins = 5;
    r.grossProfit = 2'345'678;
    r.grossLoss = -12'345;
    r.profitFactor = 1.5f;
    return r;
}

class ResultDialogTest : public ::testing::Test {
  protected:
    SimulationResultSetup setup() {
        SimulationResultSetup s;
        s.strategyName = "三戦術";
        s.capital = 1'000'000;
        s.rows = {row(1, 7203, "トヨタ自動車株式会社ホールディングス長い名前の銘柄", 1'234'567),
                  row(2, 6758, "ソニー", -12'345)};
        s.watchlists = kWatchlists;
        s.inputWatchlist = 1;
        s.reportFolder = temp.str();
        s.reportFileName = "Report.txt";
        return s;
    }
    test::TempFolder temp;
    test::RecordingPrompter prompter;
};

struct Ink {
    int first = -1;
    int last = -1;
};

// First and last columns of ink (darker than mid-grey) in x0 .. x1 - 1 of a row band.
Ink inkSpan(const QImage& image, int x0, int x1, int y0, int y1) {
    int first = -1, last = -1;
    for (int x = std::max(x0, 0); x < std::min(x1, image.width()); ++x)
        for (int y = std::max(y0, 0); y < std::min(y1, image.height()); ++y)
            if (qGray(image.pixel(x, y)) < 128) {
                if (first < 0) first = x;
                last = x;
                break;
            }
    return {first, last};
}


TEST_F(ResultDialogTest, ColumnsAtTheirWidthsWithAlignedCellsAndSeparatedAmounts) {
    SimulationResultDialog dialog(setup(), prompter);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    test::shoot(dialog, "simulation_result_dialog");
    QTreeWidget* list = dialog.list();
    ASSERT_EQ(list->columnCount(), kResultColumnCount);
    ASSERT_EQ(list->topLevelItemCount(), 2);
    for (int c = 0; c < kResultColumnCount; ++c) {
        const ResultColumn& column = kResultColumns[static_cast<std::size_t>(c)];
        SCOPED_TRACE(c);
        EXPECT_GE(list->header()->sectionSize(c), column.width);
        EXPECT_EQ(list->headerItem()->text(c).toStdString(), column.header);
        EXPECT_EQ(list->topLevelItem(0)->textAlignment(c) & Qt::AlignHorizontal_Mask,
                  column.rightAligned ? Qt::AlignRight : Qt::AlignLeft);
    }
    const QTreeWidgetItem* first = list->topLevelItem(0);
    EXPECT_EQ(first->text(5), QStringLiteral("1,234,567"));
    EXPECT_EQ(first->text(6), QStringLiteral("123.5%"));
    EXPECT_EQ(first->text(10), QStringLiteral("2,345,678"));
    EXPECT_EQ(first->text(11), QStringLiteral("-12,345"));
    EXPECT_EQ(list->topLevelItem(1)->text(5), QStringLiteral("-12,345"));
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("capital"))->text(),
              QStringLiteral("1,000,000"));

    // Drawn: the amount ends at its column's right edge, the long name starts
    // at its left edge and stops at its own; the empty market stays blank.
    const QImage image = list->viewport()->grab().toImage();
    const QRect band = list->visualItemRect(first);
    const QRect secondBand = list->visualItemRect(list->topLevelItem(1));
    const auto column = [&](int c) {
        const int x = list->header()->sectionViewportPosition(c);
        return std::pair{x, x + list->header()->sectionSize(c)};
    };
    const auto [amountStart, amountEnd] = column(5);
    const auto amount =
        inkSpan(image, amountStart, amountEnd, secondBand.top(), secondBand.bottom());
    ASSERT_GE(amount.first, 0);
    EXPECT_GE(amount.last, amountEnd - 10);
    EXPECT_GT(amount.first, amountStart + 5);
    const auto [nameStart, nameEnd] = column(2);
    const auto name = inkSpan(image, nameStart, nameEnd, band.top(), band.bottom());
    ASSERT_GE(name.first, 0);
    EXPECT_LE(name.first, nameStart + 10);
    const auto [marketStart, marketEnd] = column(3);
    EXPECT_EQ(inkSpan(image, marketStart, marketEnd, band.top(), band.bottom()).first, -1);
}

// The widest numbers a run gives (the 32-bit extremes, a one-share unit
// beside a long amount, ten-thousand ranks) each fit their column whole, as
// does every header: a clipped cell loses its minus sign without a trace.
TEST_F(ResultDialogTest, EveryCellAndHeaderFitsItsColumn) {
    SimulationResultSetup s = setup();
    s.capital = 1;
    ResultRow wide = row(9999, 9999, "ソニーグループ", -2'147'483'648LL);
    wide.market = "東証プライム";
    wide.unit = "1";
    wide.trades = wide.wins = 32'767;
    wide.grossProfit = wide.averageWin = wide.maxProfit = 2'147'483'647LL;
    wide.grossLoss = wide.averageLoss = wide.averageProfit = wide.maxLoss = -2'147'483'648LL;
    wide.profitFactor = -99'999.99f;
    ResultRow small = row(1, 1301, "極洋", -1'812'200);
    small.unit = "1";
    s.rows = {wide, small};
    SimulationResultDialog dialog(s, prompter);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    test::shoot(dialog, "simulation_result_widest");
    const QTreeWidget* list = dialog.list();
    const QFontMetrics cells(list->font());
    const QFontMetrics headers(list->header()->font());
    for (int c = 0; c < kResultColumnCount; ++c) {
        SCOPED_TRACE(c);
        const int width = list->header()->sectionSize(c);
        EXPECT_LE(headers.horizontalAdvance(list->headerItem()->text(c)), width - 8);
        for (int r = 0; r < list->topLevelItemCount(); ++r) {
            const QString text = list->topLevelItem(r)->text(c);
            EXPECT_LE(cells.horizontalAdvance(text) + cellPadding(*list), width)
                << text.toStdString();
        }
    }
    EXPECT_EQ(list->topLevelItem(1)->text(5), QStringLiteral("-1,812,200"));
    EXPECT_EQ(list->topLevelItem(0)->text(5), QStringLiteral("-2,147,483,648"));

    // Drawn: the minus sign is on screen, right of the column's left edge.
    const QImage image = list->viewport()->grab().toImage();
    const QRect band = list->visualItemRect(list->topLevelItem(1));
    const int start = list->header()->sectionViewportPosition(5);
    const auto amount =
        inkSpan(image, start, start + list->header()->sectionSize(5), band.top(), band.bottom());
    ASSERT_GE(amount.first, 0);
    EXPECT_GT(amount.first, start + 1);
    EXPECT_LT(amount.last, start + list->header()->sectionSize(5));
}

TEST_F(ResultDialogTest, OkChecksTheOutputAndWritesTheReportOrNothing) {
    namespace fs = std::filesystem;
    const std::string notAFolder = (temp.path() / "plain").string();
    test::writeFile(temp.path() / "plain", "x");
    struct Case {
        const char* what;
        int output;
        bool report;
        std::string folder;
        std::string name;
        bool accepted;
        const char* messageStart;  // nullptr: no message
        bool written;
    };
    const Case cases[] = {
        {"output is the input", 1, true, temp.str(), "a.txt", false, "入力先と出力先が同じです。",
         false},
        {"no report", 2, false, temp.str(), "a.txt", true, nullptr, false},
        {"report without a name", 0, true, temp.str(), "", true, nullptr, false},
        {"unwritable folder", 0, true, notAFolder, "a.txt", false, "レポートを書き込めません。",
         false},
        {"report written", 2, true, temp.str(), "a.txt", true, nullptr, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(temp.path() / "a.txt");
        prompter.calls.clear();
        SimulationResultSetup s = setup();
        s.outputWatchlist = c.output;
        s.writeReport = c.report;
        s.reportFolder = c.folder;
        s.reportFileName = c.name;
        SimulationResultDialog dialog(s, prompter);
        dialog.show();
        dialog.accept();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted);
        const auto messages = prompter.messages();
        if (c.messageStart) {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].rfind(c.messageStart, 0), 0u) << messages[0];
        } else {
            EXPECT_TRUE(messages.empty());
        }
        EXPECT_EQ(fs::exists(temp.path() / "a.txt"), c.written);
        EXPECT_FALSE(fs::exists(temp.path() / "plain/a.txt"));
        if (c.written) {
            const auto bytes = fileio::readFile((temp.path() / "a.txt").string());
            ASSERT_TRUE(bytes);
            EXPECT_EQ(bytes->rfind(text::sjisFromUtf8("シミュレーション結果     三戦術"), 0), 0u);
        }
        EXPECT_EQ(dialog.choice().outputWatchlist, c.output);
    }
}

TEST_F(ResultDialogTest, ChangeTakesTheChosenFileFolderAndName) {
    SimulationResultDialog dialog(setup(), prompter);
    QString askedAt;
    QString answer;
    dialog.chooseFile = [&](const QString& start) {
        askedAt = start;
        return answer;
    };
    dialog.changeButton()->click();  // cancelled: nothing changes
    EXPECT_EQ(askedAt.toStdString(), temp.str() + "/Report.txt");
    EXPECT_EQ(dialog.choice().reportFolder, temp.str());

    answer = QString::fromStdString(temp.str() + "/sub/月次.txt");
    dialog.changeButton()->click();
    EXPECT_EQ(dialog.fileName()->text(), QStringLiteral("月次.txt"));
    EXPECT_EQ(dialog.folderLabel()->text().toStdString(), temp.str() + "/sub");
    EXPECT_EQ(dialog.choice().reportFolder, temp.str() + "/sub");
    EXPECT_EQ(dialog.choice().reportFileName, "月次.txt");
}

}  // namespace
}  // namespace tav::desktop
