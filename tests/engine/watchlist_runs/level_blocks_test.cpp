#include <gtest/gtest.h>

#include <vector>

#include "core/text.h"
#include "data/program_folder.h"
#include "support/temp_folder.h"
#include "watchlist_runs/level_blocks.h"

namespace tav::test {
namespace {

// Seven securities whose only bar has H = L = C = 100 and no indicator values:
// pivots and prices 100, the lines 0, the cloud unknown. The names try the
// 10-byte cut: whole, Latin, and a double-byte character across the limit.
std::vector<LevelColumn> sevenColumns() {
    DailyBar bar{};
    bar.open = bar.high = bar.low = bar.close = 100;
    const std::vector<DailyBar> bars{bar};
    const char* names[] = {"トヨタ自動車株式会社", "ABCDEFGHIJKL", "Aトヨタ自動車", "x", "y", "z", "w"};
    std::vector<LevelColumn> columns;
    for (int k = 0; k < 7; ++k)
        columns.push_back({1301 + k, names[k], levelList(bars, 0)});
    return columns;
}

TEST(LevelBlocks, SevenSecuritiesMatchTheWrittenFiles) {
    const std::string folder = std::string(TAV_SOURCE_DIR) + "/tests/engine/watchlist_runs/";
    const auto columns = sevenColumns();
    // A4 portrait: one block of five, one of two, rows 110 columns wide.
    EXPECT_EQ(layerBlocksText(columns, 5), readFile(folder + "layer_7_in_blocks_of_5.txt"));
    // Blocks of six: rows end after column 132 with a blank line.
    EXPECT_EQ(layerBlocksText(columns, 6), readFile(folder + "layer_7_in_blocks_of_6.txt"));
}

TEST(LevelBlocks, NamesAreCutAtACharacterBoundary) {
    struct Case {
        const char* name;
        std::size_t bytes;
        const char* kept;
    };
    const Case cases[] = {
        {"トヨタ自動車", 10, "トヨタ自動"},
        {"Aトヨタ自動車", 10, "Aトヨタ自"},  // the fifth double-byte character would straddle
        {"ｱｲｳｴｵｶｷｸｹｺｻ", 10, "ｱｲｳｴｵｶｷｸｹｺ"},  // half-width katakana are one byte each
        {"short", 10, "short"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(text::utf8FromSjis(cutSjisName(c.name, c.bytes)), c.kept) << c.name;
}

TEST(LevelBlocks, WritesThePathOfThisSystemAndReplacesTheFileWhole) {
    TempFolder temp;
    ProgramFolder folder(temp.str());
    writeFile(temp / "Layer.txt", std::string(100000, 'x'));
    const auto columns = sevenColumns();
    auto path = writeLayerBlocks(folder, columns, 5);
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, temp.str() + "/Layer.txt");
    EXPECT_EQ(readFile(*path), layerBlocksText(columns, 5));
    EXPECT_EQ(layerBlocksText({}, 5), "");
}

}  // namespace
}  // namespace tav::test
