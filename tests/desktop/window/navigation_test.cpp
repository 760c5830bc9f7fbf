#include <gtest/gtest.h>

#include <Qt>

#include "window/chart_navigation.h"
#include "window/command_ids.h"
#include "window/key_routing.h"
#include "window/startup_options.h"

namespace tav::desktop {
namespace {

// A 630-pixel chart at pitch 6 holds (630 - 30) / 6 + 1 = 101 bars.
ChartNavigation navigation(int bars, int width = 630, int pitch = 6) {
    ChartNavigation nav;
    nav.setPitch(pitch);
    nav.setChartWidth(width);
    nav.reset(bars);
    return nav;
}

TEST(ChartNavigation, ScrollingStaysWithinTheScreenAndTheNewestBar) {
    ChartNavigation nav = navigation(300);
    ASSERT_EQ(nav.visible(), 101);
    EXPECT_EQ(nav.newest(), 299);
    EXPECT_FALSE(nav.scrollForward(1));
    EXPECT_TRUE(nav.scrollBack(10));
    EXPECT_EQ(nav.newest(), 289);
    EXPECT_TRUE(nav.scrollForward(10));
    EXPECT_TRUE(nav.scrollBack(299 - 101));
    EXPECT_EQ(nav.newest(), 101);
    EXPECT_FALSE(nav.scrollBack(1));
    // A refused move leaves n where it was, even when a shorter one would fit.
    EXPECT_TRUE(nav.scrollForward(5));
    EXPECT_FALSE(nav.scrollBack(10));
    EXPECT_EQ(nav.newest(), 106);
}

TEST(ChartNavigation, SeriesShorterThanTheScreenStaysOnItsNewestBar) {
    ChartNavigation nav = navigation(40);
    EXPECT_EQ(nav.lowest(), 39);
    EXPECT_FALSE(nav.scrollBack(1));
    EXPECT_FALSE(nav.scrollForward(1));
    nav.pageBack();
    EXPECT_EQ(nav.newest(), 39);
    nav.pageForward();
    EXPECT_EQ(nav.newest(), 39);
    EXPECT_EQ(nav.pagesBack(), 0);
    ChartNavigation empty = navigation(0);
    EXPECT_FALSE(empty.scrollBack(1));
    EXPECT_FALSE(empty.scrollForward(1));
    empty.pageBack();
    EXPECT_EQ(empty.endCount(), 0);
}

TEST(ChartNavigation, PagingBackCountsPagesAndStopsAtTheOldestScreen) {
    ChartNavigation nav = navigation(300);
    EXPECT_FALSE(nav.pageBackNeedsOlderBars());
    nav.pageBack();
    EXPECT_EQ(nav.newest(), 198);
    EXPECT_EQ(nav.pagesBack(), 1);
    EXPECT_TRUE(nav.pageBackNeedsOlderBars());
    nav.pageBack();
    EXPECT_EQ(nav.newest(), 101);  // clamped: the oldest full screen
    EXPECT_EQ(nav.pagesBack(), 2);
    nav.pageBack();
    EXPECT_EQ(nav.pagesBack(), 2);  // nothing further back
}

TEST(ChartNavigation, OlderBarsPrependedKeepTheShownBar) {
    ChartNavigation nav = navigation(300);
    nav.pageBack();
    nav.barsPrepended(200);
    EXPECT_EQ(nav.barCount(), 500);
    EXPECT_EQ(nav.newest(), 398);
    nav.pageBack();
    EXPECT_EQ(nav.newest(), 297);
}

TEST(ChartNavigation, PagingForwardPastTheNewestReturnsToIt) {
    ChartNavigation nav = navigation(300);
    nav.pageBack();
    nav.pageBack();
    nav.pageForward();
    EXPECT_EQ(nav.newest(), 202);
    EXPECT_EQ(nav.pagesBack(), 1);
    nav.pageForward();
    EXPECT_EQ(nav.newest(), 299);
    EXPECT_EQ(nav.pagesBack(), 0);
    nav.pageForward();
    EXPECT_EQ(nav.newest(), 299);
    EXPECT_EQ(nav.pagesBack(), 0);
}

TEST(ChartNavigation, ZoomChangesTheScreenCapacityWithinItsLimits) {
    ChartNavigation nav = navigation(300, 630, 2);
    EXPECT_EQ(nav.visible(), 301);
    EXPECT_TRUE(nav.zoomIn());
    EXPECT_EQ(nav.pitch(), 3);
    EXPECT_EQ(nav.visible(), 201);
    EXPECT_TRUE(nav.zoomOut());
    EXPECT_TRUE(nav.zoomOut());
    EXPECT_EQ(nav.pitch(), 1);
    EXPECT_FALSE(nav.zoomOut());
    EXPECT_EQ(nav.pitch(), 1);
    nav.setPitch(ChartNavigation::kMaxPitch);
    EXPECT_FALSE(nav.zoomIn());
    nav.setPitch(0);  // a damaged options file
    EXPECT_EQ(nav.pitch(), 1);
}

TEST(KeyRouting, TableKeys) {
    const auto key = [](int k, bool keypad = false, bool control = false) {
        return commandForKey({k, keypad, control});
    };
    EXPECT_EQ(key(Qt::Key_Space)->command, cmd::NextPeriod);
    EXPECT_EQ(key(Qt::Key_Home)->command, cmd::Newest);
    EXPECT_EQ(key(Qt::Key_Insert)->command, cmd::ZoomIn);
    EXPECT_EQ(key(Qt::Key_Delete)->command, cmd::ZoomOut);
    EXPECT_EQ(key(Qt::Key_PageUp)->command, cmd::PageBack);
    EXPECT_EQ(key(Qt::Key_PageDown)->command, cmd::PageForward);
    EXPECT_EQ(key(Qt::Key_Up)->command, cmd::ScrollBack10);
    EXPECT_EQ(key(Qt::Key_Down)->command, cmd::ScrollForward10);
    EXPECT_EQ(key(Qt::Key_Escape)->command, cmd::ToggleWatchlist);
    EXPECT_EQ(key(Qt::Key_F11)->command, cmd::HistoryOlder);
    EXPECT_EQ(key(Qt::Key_F12)->command, cmd::HistoryNewer);
    EXPECT_EQ(key(Qt::Key_F, false, true)->command, cmd::Search);
    EXPECT_EQ(key(Qt::Key_M, false, true)->command, cmd::FixPriceScale);
    EXPECT_FALSE(key(Qt::Key_F));
    EXPECT_FALSE(key(Qt::Key_A));
    // Keypad: * and + go back, / and - forward.
    EXPECT_EQ(key(Qt::Key_Asterisk, true), (KeyCommand{cmd::NextScreen, true}));
    EXPECT_EQ(key(Qt::Key_Slash, true), (KeyCommand{cmd::NextScreen, false}));
    EXPECT_EQ(key(Qt::Key_Plus, true), (KeyCommand{cmd::NextOverlay, true}));
    EXPECT_EQ(key(Qt::Key_Minus, true), (KeyCommand{cmd::NextOverlay, false}));
    EXPECT_FALSE(key(Qt::Key_Minus));
}

TEST(CodeEntry, FourDigitsMakeACodeAndOtherKeysAreIgnored) {
    CodeEntry entry;
    EXPECT_FALSE(entry.type('7'));
    EXPECT_FALSE(entry.type('-'));
    EXPECT_FALSE(entry.type('2'));
    EXPECT_FALSE(entry.type('0'));
    EXPECT_EQ(entry.type('3'), 7203);
    EXPECT_EQ(entry.length(), 0);
    EXPECT_FALSE(entry.type('0'));
    entry.clear();
    EXPECT_FALSE(entry.type('1'));
    EXPECT_FALSE(entry.type('0'));
    EXPECT_FALSE(entry.type('1'));
    EXPECT_EQ(entry.type('0'), 1010);
}

TEST(CodeEntry, LettersAfterADigitMakeAnAlphanumericCode) {
    for (const char* typed : {"130A", "130a", "A130A"}) {  // a letter first is ignored
        CodeEntry entry;
        std::optional<StockCode> last;
        for (const char* p = typed; *p; ++p) last = entry.type(*p);
        EXPECT_EQ(last, parseCode("130A")) << typed;
    }
}

TEST(StartupOptions, CodeIsReadWholeBesideTheFolder) {
    auto options = parseStartupOptions({"10101", "--folder", "/tmp/x"});
    EXPECT_EQ(options.code, 10101);
    EXPECT_EQ(options.folder, "/tmp/x");
    EXPECT_TRUE(options.error.empty());
    EXPECT_EQ(parseStartupOptions({"--folder=/d", "7203"}).code, 7203);
    EXPECT_FALSE(parseStartupOptions({"12-b"}).code);
    EXPECT_EQ(parseStartupOptions({"130a"}).code, parseCode("130A"));
    EXPECT_FALSE(parseStartupOptions({"0"}).code);
    EXPECT_FALSE(parseStartupOptions({}).code);
    EXPECT_EQ(parseStartupOptions({"--screenshot", "a.png"}).screenshot, "a.png");
    EXPECT_FALSE(parseStartupOptions({"--folder"}).error.empty());
    EXPECT_FALSE(parseStartupOptions({"--bogus"}).error.empty());
}

}  // namespace
}  // namespace tav::desktop
