#include "settings/settings_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>

#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "workspace/workspace.h"

namespace tav {
namespace {

// A block whose every byte is the given value.
AnalysisParameters filled(uint8_t value) {
    AnalysisParameters block;
    block.bytes.fill(value);
    return block;
}

std::string settingsFile(uint8_t value) {
    return settingsFileBytes(filled(value));
}

class SettingsFiles : public ::testing::Test {
  protected:
    void SetUp() override { std::filesystem::create_directory(temp / "Config"); }
    void writeOptions(const OptionsRecord& options) {
        test::writeFile(temp / "Option.cfg", options.toBytes());
    }
    std::string read(const std::string& name) { return test::readFile(temp / name); }

    test::TempFolder temp;
    SettingsStore store{temp.str(), 14};
    AnalysisParameters block = AnalysisParameters::defaults();
};

TEST_F(SettingsFiles, WithoutOptionsFileNothingIsRead) {
    test::writeFile(temp / "Common.cfg", settingsFile(7));
    store.load(std::nullopt, block);
    EXPECT_EQ(store.options, OptionsRecord::defaults(14));
    EXPECT_EQ(block, AnalysisParameters::defaults());
    EXPECT_TRUE(store.parametersPath().empty());

    // An options path that cannot be read counts as missing; a command-line
    // code still becomes the code on display.
    std::filesystem::create_directory(temp / "Option.cfg");
    store.load(7203, block);
    EXPECT_EQ(store.options.stockCode, 7203);
    EXPECT_EQ(store.storedCode(), 1010);
    EXPECT_EQ(block, AnalysisParameters::defaults());
}

TEST_F(SettingsFiles, CommonOrIndividualWithFallback) {
    OptionsRecord options;
    options.stockCode = 7203;
    writeOptions(options);
    test::writeFile(temp / "Common.cfg", settingsFile(7));
    test::writeFile(temp / "Config/7203.cfg", settingsFile(8));

    // Common settings ignore the security's own file.
    store.load(std::nullopt, block);
    EXPECT_EQ(block, filled(7));

    options.individualSettings = 1;
    writeOptions(options);
    store.load(std::nullopt, block);
    EXPECT_EQ(block, filled(8));
    EXPECT_EQ(store.parametersPath(), (temp / "Config/7203.cfg").string());

    // A security without its own file uses the common values; nothing is read
    // when individual settings are off.
    store.securityShown(6758, block);
    EXPECT_EQ(block, filled(7));
    store.options.individualSettings = 0;
    block = filled(1);
    store.securityShown(7203, block);
    EXPECT_EQ(block, filled(1));

    // A missing "Common.cfg" leaves the block as it was.
    std::filesystem::remove(temp / "Common.cfg");
    store.loadParameters(7203, block);
    EXPECT_EQ(block, filled(1));
}

TEST_F(SettingsFiles, ShortAndLongSettingsFiles) {
    writeOptions(OptionsRecord());
    // Bytes present are used, the rest of the block is zero.
    test::writeFile(temp / "Common.cfg", std::string(10, '\x05'));
    store.load(std::nullopt, block);
    AnalysisParameters expected;
    std::fill_n(expected.bytes.begin(), 10, 5);
    EXPECT_EQ(block, expected);
    EXPECT_FALSE(store.readCommonValues());

    test::writeFile(temp / "Common.cfg", "");
    store.load(std::nullopt, block);
    EXPECT_EQ(block, AnalysisParameters());

    // Bytes past the block are ignored.
    test::writeFile(temp / "Common.cfg", settingsFile(9) + "trailing");
    store.load(std::nullopt, block);
    EXPECT_EQ(block, filled(9));
    // "Back to the common values" takes only a file of exactly 248 bytes.
    EXPECT_FALSE(store.readCommonValues());
    test::writeFile(temp / "Common.cfg", settingsFile(9));
    EXPECT_EQ(store.readCommonValues(), filled(9));

    test::writeFile(temp / "Common.cfg", settingsFile(9).substr(0, 247));
    EXPECT_FALSE(store.readCommonValues());
    std::filesystem::remove(temp / "Common.cfg");
    EXPECT_FALSE(store.readCommonValues());
}

TEST_F(SettingsFiles, CommandLineCodeIsAppliedBeforeItsSettingsAreRead) {
    OptionsRecord options;
    options.stockCode = 6758;
    options.individualSettings = 1;
    writeOptions(options);
    test::writeFile(temp / "Config/6758.cfg", settingsFile(1));
    test::writeFile(temp / "Config/7203.cfg", settingsFile(2));

    store.load(7203, block);
    EXPECT_EQ(store.options.stockCode, 7203);
    EXPECT_EQ(store.storedCode(), 6758);
    EXPECT_EQ(block, filled(2));

    // The exit save writes the start security's settings to its own file only.
    block.bytes[0] = 99;
    ASSERT_TRUE(store.save(7203, block));
    EXPECT_EQ(read("Config/6758.cfg"), settingsFile(1));
    EXPECT_EQ(read("Config/7203.cfg"), settingsFileBytes(block));

    // A command-line code of 0 keeps the stored one.
    store.load(0, block);
    EXPECT_EQ(store.options.stockCode, 7203);
}

TEST(StartCode, FirstFourCharactersAsADecimalNumber) {
    EXPECT_EQ(parseStartCode("7203"), 7203);
    EXPECT_EQ(parseStartCode("72031"), 7203);
    EXPECT_EQ(parseStartCode("12-b"), 12);
    EXPECT_EQ(parseStartCode("130A5"), 130);
    EXPECT_EQ(parseStartCode("130a"), parseCode("130A"));
    EXPECT_EQ(parseStartCode("0000"), std::nullopt);
    EXPECT_EQ(parseStartCode("abc"), std::nullopt);
    EXPECT_EQ(parseStartCode(""), std::nullopt);
}

TEST_F(SettingsFiles, EverySavedFieldComesBackFromTheNextLoad) {
    OptionsRecord& options = store.options;
    options.dayStamp = 31;
    options.versionStamp = 2700;
    options.watchlistShown = 0;
    options.watchlistSelector = 12;
    options.maximized = 1;
    options.windowLeft = -8;
    options.windowTop = 20;
    options.windowWidth = 1280;
    options.windowHeight = 1024;
    options.splitter1 = 400;
    options.watchlistWidth = 180;
    options.splitter2 = 300;
    options.rightWidth = 140;
    options.barPitch = 9;
    options.priceStyle = 2;
    options.chartOverlay = 6;
    options.periodMode = 2;
    options.selectedStrategy = 3;
    options.indicatorScreen = 5;
    options.graphsPerScreen = 3;
    options.individualSettings = 1;
    options.accumulateMode = 0;
    options.accumulateYears = 20;
    options.watchlistSorted = 1;
    options.screenSearchItem = 4;
    options.screenStrategy = 5;
    options.screenCapsule = 6;
    options.screenMarket = 2;
    options.screenUnit = 3;
    options.screenLiquidity = 0;
    options.screenLiquidityMultiple = 250;
    options.screenInput = 2;
    options.screenOutput = 11;
    options.screenValue = -40;
    options.screenTradingValueMin = 1000;
    options.screenTradingValueMax = 900000;
    options.screenMarginType = 2;
    options.multiStrategy = 4;
    options.multiMarket = 1;
    options.multiUnit = 2;
    options.multiLiquidity = 0;
    options.multiLiquidityMultiple = 50;
    options.multiRankingLength = 99;
    options.multiInput = 3;
    options.multiOutput = 12;
    options.multiResultChoice = 1;
    options.multiMarginType = 1;
    options.multiRankingKind = 7;
    options.reportName = {'a', 'b', '.', 't', 'x', 't'};
    options.rankingChoices = {1, 2, 3, 4, 5};
    options.reservedDialog.fill(0x5A);
    options.capital = 3000000;
    options.simulation256 = 1;
    options.simulation260 = -2;
    options.simulation264 = 3;
    options.simulation268 = 4;
    options.periodKind = 4;
    options.periodYears = 29;
    options.defaultFill = 1;
    options.commissionKind = 2;
    options.taxKind = 1;
    options.commissionValue = 525;
    options.commissionMinimum = 100;
    options.taxRate = 2000;
    options.startYear = 3;
    options.startMonth = 11;
    options.quoteInterval = 3600;
    options.rangeType = 9;
    options.quoteSource = 1;
    options.waveLineDays = 200;
    options.updateOption = 0;
    options.historyLength = 50;
    options.parabolicOnClose = 1;
    options.showTurnMarks = 0;
    options.indicatorOrder = {16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
    for (int i = 0; i < kColourCount; ++i)
        options.colours[i] = 0x010203u * (i + 1);
    options.barLineWidth = 5;
    options.volumeLineWidth = 2;
    OptionsRecord saved = options;
    ASSERT_TRUE(store.save(4502, filled(3)));
    saved.stockCode = 4502;
    std::string image = read("Option.cfg");

    SettingsStore next(temp.str(), 1);
    AnalysisParameters loaded;
    next.load(std::nullopt, loaded);
    EXPECT_EQ(next.options, saved);
    EXPECT_EQ(loaded, filled(3));
    EXPECT_EQ(read("Config/4502.cfg"), settingsFile(3));
    ASSERT_TRUE(next.save(4502, loaded));
    EXPECT_EQ(read("Option.cfg"), image);
}

TEST_F(SettingsFiles, FailedSavesKeepTheOldFiles) {
    test::writeFile(temp / "Common.cfg", settingsFile(4));
    // "Option.cfg" cannot be created: the settings file is not written either.
    std::filesystem::create_directory(temp / "Option.cfg");
    EXPECT_FALSE(store.save(1010, filled(5)));
    EXPECT_EQ(read("Common.cfg"), settingsFile(4));
    std::filesystem::remove(temp / "Option.cfg");

    // The settings file alone fails: "Option.cfg" is still written.
    store.options.individualSettings = 1;
    std::filesystem::create_directory(temp / "Config/1010.cfg");
    EXPECT_TRUE(store.save(1010, filled(5)));
    EXPECT_EQ(read("Option.cfg"), store.options.toBytes());

    // A write that fails half way (file size limit) leaves the old file and no
    // temporary file behind.
    std::string old = read("Option.cfg");
    store.options.barPitch = 12;
    auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    rlimit small = previous;
    small.rlim_cur = 100;
    ::setrlimit(RLIMIT_FSIZE, &small);
    bool saved = store.save(1010, filled(6));
    ::setrlimit(RLIMIT_FSIZE, &previous);
    ::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(read("Option.cfg"), old);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(temp.path()))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 2);  // Option.cfg and Common.cfg
}

class WorkspaceSettings : public ::testing::Test {
  protected:
    void SetUp() override {
        test::writeFile(temp / "Stock.lst", "");
        test::writeFile(temp / "url.lst", "");
        workspace.initProgramFolder();
    }
    std::string read(const std::string& name) { return test::readFile(temp / name); }

    test::TempFolder temp;
    test::TestPlatform tools;
    Workspace workspace{ProgramFolder(temp.str()), tools.platform()};
};

TEST_F(WorkspaceSettings, StartUpFillsTheWorkspace) {
    // First run: the defaults, and the day of the month from the clock.
    EXPECT_EQ(workspace.loadSettings(std::nullopt), 1010);
    EXPECT_EQ(workspace.options().dayStamp, 14);
    EXPECT_EQ(workspace.storageMode, StorageMode::Accumulate);

    OptionsRecord options;
    options.stockCode = 6758;
    options.periodMode = 1;
    options.accumulateMode = 0;
    options.parabolicOnClose = 1;
    options.showTurnMarks = 0;
    options.waveLineDays = 75;
    options.individualSettings = 1;
    test::writeFile(temp / "Option.cfg", options.toBytes());
    test::writeFile(temp / "Common.cfg", settingsFile(7));
    test::writeFile(temp / "Config/7203.cfg", settingsFile(8));

    EXPECT_EQ(workspace.loadSettings(7203), 7203);
    EXPECT_EQ(workspace.periodMode, PeriodMode::Weekly);
    EXPECT_EQ(workspace.storageMode, StorageMode::Scratch);
    EXPECT_EQ(workspace.lastShownCode, 6758);  // "Last.txt" still holds the stored code
    EXPECT_EQ(workspace.displaySwitches, (DisplaySwitches{1, 0, 75}));
    EXPECT_EQ(workspace.analysisParameters, filled(8));

    // Showing another security reads its settings (the common ones without a file).
    workspace.loadStoredSeries(6758);
    EXPECT_EQ(workspace.analysisParameters, filled(7));
    workspace.loadStoredSeries(7203);
    EXPECT_EQ(workspace.analysisParameters, filled(8));

    // The exit save writes the switches and the code on display back.
    workspace.displaySwitches.waveLineDays = 30;
    workspace.periodMode = PeriodMode::Monthly;
    ASSERT_TRUE(workspace.saveSettings());
    OptionsRecord saved = OptionsRecord::fromBytes(read("Option.cfg"));
    EXPECT_EQ(saved.stockCode, 7203);
    EXPECT_EQ(saved.waveLineDays, 30);
    EXPECT_EQ(saved.periodMode, 2);
    EXPECT_EQ(saved.accumulateMode, 0);
    EXPECT_EQ(read("Config/7203.cfg"), settingsFile(8));
}

TEST_F(WorkspaceSettings, TogglingTwiceLeavesBothFilesAsShown) {
    test::writeFile(temp / "Option.cfg", OptionsRecord().toBytes());
    test::writeFile(temp / "Common.cfg", settingsFile(7));
    workspace.loadSettings(std::nullopt);
    workspace.loadStoredSeries(7203);
    workspace.analysisParameters.bytes[0] = 42;  // changed on the settings sheet
    AnalysisParameters shown = workspace.analysisParameters;

    workspace.toggleIndividualSettings();
    EXPECT_EQ(workspace.options().individualSettings, 1);
    EXPECT_EQ(workspace.analysisParameters, shown);  // no own file yet: the common values
    EXPECT_FALSE(std::filesystem::exists(temp / "Config/7203.cfg"));
    workspace.toggleIndividualSettings();
    EXPECT_EQ(workspace.options().individualSettings, 0);
    EXPECT_EQ(workspace.analysisParameters, shown);
    EXPECT_EQ(read("Common.cfg"), settingsFileBytes(shown));
    EXPECT_EQ(read("Config/7203.cfg"), settingsFileBytes(shown));
    EXPECT_EQ(OptionsRecord::fromBytes(read("Option.cfg")).individualSettings, 1);

    // Individual values stay with their security.
    workspace.toggleIndividualSettings();
    workspace.analysisParameters.bytes[1] = 43;
    workspace.toggleIndividualSettings();
    EXPECT_EQ(workspace.analysisParameters, shown);
    EXPECT_EQ(read("Config/7203.cfg")[1], 43);
}

TEST_F(WorkspaceSettings, ToggleRecomputesWithTheBlockOfTheNewMode) {
    std::string bars;
    for (int day = 1; day <= 9; ++day)
        bars +=
            "2024010" + std::to_string(day) + ",100,100,100," + (day == 9 ? "200" : "100") + ",1\n";
    test::writeFile(temp / "Data/7203.txt", bars);
    AnalysisParameters own = AnalysisParameters::defaults();
    own.setChart(ChartParam::maShortPeriod, PeriodMode::Daily, 2);
    test::writeFile(temp / "Config/7203.cfg", settingsFileBytes(own));
    workspace.loadSettings(std::nullopt);
    ASSERT_TRUE(workspace.loadStoredSeries(7203));
    workspace.seriesChanged();
    EXPECT_EQ(workspace.series().bars.back().maShort, (5 * 100 + 200) / 6);
    workspace.toggleIndividualSettings();
    EXPECT_EQ(workspace.analysisParameters, own);
    EXPECT_EQ(workspace.series().bars.back().maShort, (100 + 200) / 2);
}

TEST_F(WorkspaceSettings, NothingIsSavedWithoutTheFolderLock) {
    Workspace second{ProgramFolder(temp.str()), tools.platform()};
    ASSERT_FALSE(second.storeWritable());
    second.loadSettings(std::nullopt);
    EXPECT_FALSE(second.saveSettings());
    EXPECT_FALSE(std::filesystem::exists(temp / "Option.cfg"));
}

}  // namespace
}  // namespace tav
