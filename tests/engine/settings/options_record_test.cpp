#include "settings/options_record.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace tav {
namespace {

void putLittle(std::string& image, std::size_t offset, int64_t value, int width) {
    for (int i = 0; i < width; ++i)
        image[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The default image written out field by field from the layout of the file,
// independently of the record's own table.
std::string expectedDefaultImage(int day) {
    std::string image(OptionsRecord::kSize, '\0');
    image[0] = static_cast<char>(day);
    putLittle(image, 2, 2640, 2);
    image[8] = 1;
    putLittle(image, 20, 500, 4);
    putLittle(image, 24, 500, 4);
    putLittle(image, 44, 1010, 4);
    putLittle(image, 48, 6, 4);
    image[57] = 5;
    image[59] = 1;
    image[68] = 6;
    image[70] = 1;
    putLittle(image, 72, 100, 4);
    image[77] = 9;
    image[79] = 6;
    image[81] = 1;
    putLittle(image, 84, 100, 4);
    image[88] = 30;
    image[90] = 10;
    image.replace(92, 10, "Report.txt");
    image[111] = 9;
    putLittle(image, 252, 1000000, 4);
    putLittle(image, 276, 10, 2);
    putLittle(image, 280, 1000, 2);
    image[289] = 1;
    image[346] = 20;
    image[348] = 1;
    for (int id = 0; id < 17; ++id)
        image[478 + id] = static_cast<char>(id);
    const uint32_t colours[44] = {
        0xFFFFFF, 0xFFFFFF, 0xE6E6E6, 0x000000, 0xB4B4B4, 0xFF0000, 0xC800C8, 0x0000FF, 0x0000FF,
        0x000000, 0x000000, 0x000000, 0x000000, 0x7F7F00, 0xFF0000, 0x7F7F00, 0x0000FF, 0xC800C8,
        0x000000, 0xFF0000, 0x0000FF, 0xFF0000, 0x0000FF, 0x7F7F00, 0x00FFFF, 0x00FF00, 0xFF0000,
        0x0000FF, 0x0000FF, 0x7F7F00, 0xFF0000, 0xFF0000, 0x7F7F00, 0xFF0000, 0x000000, 0xFF0000,
        0x7F7F00, 0x7F7F00, 0xFF0000, 0x0000FF, 0x000000, 0xC800C8, 0x0000FF, 0x000000};
    for (int i = 0; i < 44; ++i)
        putLittle(image, 516 + 4 * i, colours[i], 4);
    image[764] = 1;
    image[765] = 1;
    return image;
}

TEST(OptionsRecord, DefaultsLieAtTheirOffsets) {
    OptionsRecord defaults = OptionsRecord::defaults(14);
    EXPECT_EQ(defaults.toBytes(), expectedDefaultImage(14));
    EXPECT_EQ(OptionsRecord::fromBytes(expectedDefaultImage(14)), defaults);
    EXPECT_TRUE(defaults.valid());
    // First run: security 1010, five graphs per screen (four screens), white
    // backgrounds, twenty history entries.
    EXPECT_EQ(defaults.stockCode, 1010);
    EXPECT_EQ(defaults.indicatorScreenCount(), 4);
    EXPECT_EQ(defaults.colour(ColourIndex::chartBackground), 0xFFFFFFu);
    EXPECT_EQ(defaults.colour(ColourIndex::indicatorBackground), 0xFFFFFFu);
    EXPECT_EQ(defaults.historyLength, 20);
}

// A record with every field changed to a distinct valid value: catches fields
// that overlap or are left out of the image.
OptionsRecord everyFieldChanged(std::mt19937& random) {
    OptionsRecord record;
    for (const OptionField& field : optionFields()) {
        int64_t value = field.get(record);
        std::uniform_int_distribution<int64_t> pick(field.min, field.max);
        for (int attempt = 0; attempt < 100 && value == field.get(record); ++attempt)
            value = pick(random);
        field.set(record, value);
    }
    record.indicatorScreen = 0;
    std::shuffle(record.indicatorOrder.begin(), record.indicatorOrder.end(), random);
    for (auto& colour : record.colours)
        colour = random() & 0xFFFFFF;
    for (auto& choice : record.rankingChoices)
        choice = random() & 0xFF;
    for (auto& byte : record.reservedDialog)
        byte = random() & 0xFF;
    record.reportName = {'r', '2', '.', 't', 'x', 't', '\0', 'x', 'y'};
    return record;
}

TEST(OptionsRecord, EveryFieldComesBackFromTheImage) {
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        OptionsRecord record = everyFieldChanged(random);
        ASSERT_TRUE(record.valid());
        std::string image = record.toBytes();
        ASSERT_EQ(image.size(), 896u);
        OptionsRecord back = OptionsRecord::fromBytes(image);
        back.repair();
        EXPECT_EQ(back, record);
        EXPECT_EQ(back.toBytes(), image);
    }
    // Fields sit in disjoint bytes, and none but the listed bytes are ever written.
    std::set<int> covered;
    auto cover = [&](int offset, int width) {
        for (int i = 0; i < width; ++i)
            EXPECT_TRUE(covered.insert(offset + i).second) << offset;
    };
    for (const OptionField& field : optionFields()) {
        int width = std::visit(
            [](auto pointer) {
                return static_cast<int>(sizeof(std::declval<OptionsRecord>().*pointer));
            },
            field.member);
        cover(field.offset, width);
    }
    cover(92, 16);
    for (int offset : {223, 108, 109, 110, 111})
        cover(offset, 1);
    cover(124, 32);
    cover(478, 17);
    cover(516, 176);
    std::string allOnes(896, '\xFF');
    std::string rewritten = OptionsRecord::fromBytes(allOnes).toBytes();
    for (int offset = 0; offset < 896; ++offset)
        EXPECT_EQ(rewritten[offset] != 0, covered.count(offset) == 1) << offset;
}

TEST(OptionsRecord, VersionStampIsRaisedTo2640) {
    for (int16_t stored : {0, 100, 264, 2000, 2639, -5}) {
        std::string image = OptionsRecord().toBytes();
        putLittle(image, 2, stored, 2);
        OptionsRecord record = OptionsRecord::fromBytes(image);
        record.repair();
        EXPECT_EQ(record.versionStamp, 2640) << stored;
    }
    std::string image = OptionsRecord().toBytes();
    putLittle(image, 2, 2650, 2);
    OptionsRecord later = OptionsRecord::fromBytes(image);
    later.repair();
    EXPECT_EQ(later.versionStamp, 2650);
}

TEST(OptionsRecord, ShortFileGivesZerosExceptWhereZeroIsInvalid) {
    std::string image = OptionsRecord::defaults(3).toBytes().substr(0, 60);
    OptionsRecord record = OptionsRecord::fromBytes(image);
    record.repair();
    // Present bytes are used.
    EXPECT_EQ(record.stockCode, 1010);
    EXPECT_EQ(record.graphsPerScreen, 5);
    EXPECT_EQ(record.accumulateMode, 1);
    // Missing ones read as zero...
    EXPECT_EQ(record.capital, 0);
    EXPECT_EQ(record.screenMarket, 0);
    EXPECT_EQ(record.showTurnMarks, 0);
    EXPECT_EQ(record.colour(ColourIndex::chartBackground), 0u);
    // ...except where zero would break their users.
    EXPECT_EQ(record.historyLength, 20);
    EXPECT_EQ(record.barLineWidth, 1);
    EXPECT_EQ(record.indicatorOrder, OptionsRecord().indicatorOrder);
    EXPECT_EQ(std::string(record.reportName.data()), "Report.txt");
    EXPECT_TRUE(record.valid());

    // An empty file: every field zero, then repaired.
    OptionsRecord empty = OptionsRecord::fromBytes("");
    empty.repair();
    EXPECT_EQ(empty.barPitch, 6);
    EXPECT_EQ(empty.graphsPerScreen, 5);
    EXPECT_EQ(empty.stockCode, 1010);
    EXPECT_EQ(empty.versionStamp, 2640);
    EXPECT_EQ(empty.windowWidth, 0);
    EXPECT_TRUE(empty.valid());
}

TEST(OptionsRecord, DamagedFieldsFallBackToTheirDefaults) {
    OptionsRecord damaged;
    damaged.barPitch = 0;
    damaged.graphsPerScreen = 0;
    damaged.periodMode = 3;
    damaged.historyLength = 4;
    damaged.quoteInterval = -1;
    damaged.rangeType = 10;
    damaged.priceStyle = 3;
    damaged.chartOverlay = 7;
    damaged.individualSettings = 2;
    damaged.accumulateYears = 21;
    damaged.volumeLineWidth = 6;
    damaged.indicatorOrder[5] = damaged.indicatorOrder[4];
    damaged.reportName.fill('A');
    damaged.windowLeft = -300;   // any position is valid
    damaged.screenMarket = 200;  // other subsystems' choices are kept as read
    OptionsRecord record = OptionsRecord::fromBytes(damaged.toBytes());
    record.repair();
    OptionsRecord expected;
    expected.windowLeft = -300;
    expected.screenMarket = 200;
    EXPECT_EQ(record, expected);

    OptionsRecord tooLong;
    tooLong.historyLength = 51;
    tooLong.indicatorOrder[16] = 17;
    tooLong.repair();
    EXPECT_EQ(tooLong.historyLength, 20);
    EXPECT_EQ(tooLong.indicatorOrder, OptionsRecord().indicatorOrder);

    // The screen shown must exist for the graphs per screen in force.
    OptionsRecord screens;
    screens.graphsPerScreen = 10;
    screens.indicatorScreen = 1;
    EXPECT_TRUE(screens.valid());
    screens.indicatorScreen = 2;
    screens.repair();
    EXPECT_EQ(screens.indicatorScreen, 0);
}

TEST(OptionsRecord, StoredValuesAndWhatTheyStandFor) {
    OptionsRecord record;
    EXPECT_EQ(record.quoteWatchMilliseconds(), 60000);
    record.quoteInterval = 5;
    EXPECT_EQ(record.quoteWatchMilliseconds(), 5000);
    EXPECT_EQ(record.watchlistWidthInUse(), 150);
    EXPECT_EQ(record.splitter2InUse(), 240);
    record.watchlistWidth = 90;
    EXPECT_EQ(record.watchlistWidthInUse(), 90);

    EXPECT_EQ(record.versionText("Tavrento"), "Tavrento Version 2.640");
    record.versionStamp = 264;
    EXPECT_EQ(record.versionText("Tavrento"), "Tavrento Version 2.64");
    record.versionStamp = 1000;
    EXPECT_EQ(record.versionText("Tavrento"), "Tavrento Version 10.00");
    record.versionStamp = 1001;
    EXPECT_EQ(record.versionText("Tavrento"), "Tavrento Version 1.001");
}

TEST(OptionsRecord, ScreenCountRoundsUp) {
    OptionsRecord record;
    for (auto [graphs, screens] : {std::pair{1, 17}, {3, 6}, {5, 4}, {6, 3}, {9, 2}, {10, 2}}) {
        record.graphsPerScreen = static_cast<uint8_t>(graphs);
        EXPECT_EQ(record.indicatorScreenCount(), screens) << graphs;
    }
}

}  // namespace
}  // namespace tav
