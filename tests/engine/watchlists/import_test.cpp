#include "watchlist_fixture.h"
#include "watchlists/watchlist_import.h"

namespace tav::test {
namespace {

TEST(ImportReader, CommaAfterTheCodeBecomesASpace) {
    ImportedLines read = readImportLines(
        text::sjisFromUtf8("7203,トヨタ自動車\r\n10001,Apple,NASDAQ\n6758 ソニー\n\n1234 ,x\n"));
    EXPECT_FALSE(read.unknownFormat);
    EXPECT_EQ(read.lineCount, 4);
    EXPECT_EQ(text::utf8FromSjis(read.bytes),
              "7203 トヨタ自動車\n10001 Apple,NASDAQ\n6758 ソニー\n1234  x\n");
}

TEST(ImportReader, UnknownFormatStopsButKeepsEarlierLines) {
    ImportedLines read = readImportLines("7203 a\nabcdefg\n6758 b\n");
    EXPECT_TRUE(read.unknownFormat);
    EXPECT_EQ(read.bytes, "7203 a\n");
    EXPECT_EQ(read.lineCount, 1);
    // A bare code has no separator in either place.
    EXPECT_TRUE(readImportLines("7203\n").unknownFormat);
    // A double-byte character at the 5th byte is not a separator.
    EXPECT_TRUE(readImportLines(text::sjisFromUtf8("1234あいう")).unknownFormat);
}

TEST(ImportReader, OverlongLinesAreCutAtACharacterBoundary) {
    std::string line = "7203 " + std::string(249, 'x') + text::sjisFromUtf8("名前");
    ImportedLines read = readImportLines(line);
    ASSERT_FALSE(read.unknownFormat);
    EXPECT_EQ(read.bytes, "7203 " + std::string(249, 'x') + "\n");
}

class ImportIntoWatchlist : public WatchlistFolder {
  protected:
    void SetUp() override {
        WatchlistFolder::SetUp();
        writeSjis("Focus2.lst", "6758 ソニー");  // no final newline
        lists.select(watchlistPosition(2));
    }
    Watchlists lists{folder, prompter};
};

TEST_F(ImportIntoWatchlist, FileImportAppendsAndReloads) {
    writeSjis("in.txt", "7203,トヨタ自動車\n");
    ASSERT_TRUE(lists.importFile((temp / "in.txt").string()));
    EXPECT_EQ(
        prompter.questions(),
        std::vector<std::string>{"指定されたファイルからインポートします。\n\nよろしいですか？"});
    EXPECT_EQ(readUtf8("Focus2.lst"), "6758 ソニー\n7203 トヨタ自動車\n");
    EXPECT_EQ(shown(lists), (std::vector<std::string>{"6758 ソニー", "7203 トヨタ自動車"}));

    prompter.answers.push_back(Answer::No);
    EXPECT_FALSE(lists.importFile((temp / "in.txt").string()));
    EXPECT_EQ(lists.entries().size(), 2u);
}

TEST_F(ImportIntoWatchlist, SevenLettersStopWithTheMessage) {
    writeSjis("in.txt", "9984 ソフトバンク\nABCDEFG\n2121 ミクシィ\n");
    EXPECT_FALSE(lists.importEntries((temp / "in.txt").string()));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"ファイルフォーマットが不明です。"});
    EXPECT_EQ(prompter.calls.back().icon, MessageIcon::Stop);
    EXPECT_EQ(readUtf8("Focus2.lst"), "6758 ソニー\n9984 ソフトバンク\n");
    EXPECT_EQ(lists.entries().size(), 2u);

    // A missing source stops without a word.
    prompter.calls.clear();
    EXPECT_FALSE(lists.importEntries((temp / "none.txt").string()));
    EXPECT_TRUE(prompter.calls.empty());
}

TEST_F(ImportIntoWatchlist, PasteGoesThroughTheScratchFile) {
    FixedClipboard clipboard;
    EXPECT_FALSE(lists.pasteEntries(clipboard));
    clipboard.contents = "";
    EXPECT_FALSE(lists.pasteEntries(clipboard));
    EXPECT_EQ(prompter.messages(),
              (std::vector<std::string>{"クリップボードが空です。", "クリップボードが空です。"}));

    clipboard.contents = "4689,ヤフー\n";
    prompter.answers.push_back(Answer::No);
    EXPECT_FALSE(lists.pasteEntries(clipboard));
    EXPECT_FALSE(exists("Focus_.lst"));
    ASSERT_TRUE(lists.pasteEntries(clipboard));
    EXPECT_EQ(prompter.questions().back(),
              "クリップボードから銘柄を貼り付けます。\n\nよろしいですか？");
    EXPECT_FALSE(exists("Focus_.lst"));
    EXPECT_EQ(readUtf8("Focus2.lst"), "6758 ソニー\n4689 ヤフー\n");
}

}  // namespace
}  // namespace tav::test
