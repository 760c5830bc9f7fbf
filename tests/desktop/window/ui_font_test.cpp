#include "window/ui_font.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPushButton>

namespace tav::desktop {
namespace {

TEST(ComposedKana, HalfWidthKanaAreDrawnFullWidthWithTheirMarksJoined) {
    const struct {
        const char* stored;
        const char* drawn;
    } cases[] = {
        {"ﾚﾝｼﾞ", "レンジ"},
        {"ｼﾐｭﾚｰｼｮﾝ", "シミュレーション"},
        {"ﾊﾟﾗﾎﾞ", "パラボ"},
        {"ﾗﾝｷﾝｸﾞDL", "ランキングDL"},  // Latin letters stay half-width
        {"MACDﾋｽﾄｸﾞﾗﾑ（12,26,9）", "MACDヒストグラム（12,26,9）"},
        {"ＲＳＩ（14）", "ＲＳＩ（14）"},  // full-width text is left alone
        {"銘柄抽出", "銘柄抽出"},
        {"ﾞ", "゙"},  // a lone mark has no kana to join
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(composedKana(QString::fromUtf8(c.stored)), QString::fromUtf8(c.drawn))
            << c.stored;
}

TEST(ComposedKana, ButtonsAreSizedForTheTextTheyDraw) {
    QPushButton button(QString::fromUtf8("ﾚﾝｼﾞ"));
    // The label keeps its stored text; the hint leaves room for the wider drawing.
    EXPECT_EQ(button.text(), QString::fromUtf8("ﾚﾝｼﾞ"));
    const QFontMetrics metrics(button.font());
    EXPECT_GE(button.sizeHint().width(),
              metrics.horizontalAdvance(QString::fromUtf8("レンジ")) + 4);
}

}  // namespace
}  // namespace tav::desktop
