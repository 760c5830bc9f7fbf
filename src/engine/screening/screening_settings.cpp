#include "screening/screening_settings.h"

#include <algorithm>

namespace tav {

const std::array<std::string_view, kSearchItemCount> kSearchItemLabels = {
    "なし",
    "＊＊＊ 売買戦略指定検索 ＊＊＊",
    "＊＊＊ 条件カプセル検索 ＊＊＊",
    "ＨＬバンド上限ブレイク",
    "ＨＬバンド下限ブレイク",
    "ＭＡバンド上限ブレイク",
    "ＭＡバンド下限ブレイク",
    "一目基準・転換線ゴールデンクロス",
    "一目基準・転換線デッドクロス",
    "一目均衡表、雲上抜け",
    "一目均衡表、雲の中",
    "一目均衡表、雲下抜け",
    "長・中期ＭＡゴールデンクロス",
    "長・中期ＭＡデッドクロス",
    "出来高急増（出来高目安線突破）",
    "ＳＴＣ高値圏クロス[指数値]",
    "ＳＴＣ安値圏クロス[指数値]",
    "ＲＳＩ高値圏反転[指数値]",
    "ＲＳＩ安値圏反転[指数値]",
    "ＲＣＩ高値圏反転[指数値]",
    "ＲＣＩ安値圏反転[指数値]",
    "長・短乖離率高値圏反転[指数値]",
    "長・短乖離率安値圏反転[指数値]",
    "和光ＶＲ高値圏反転[指数値]",
    "和光ＶＲ安値圏反転[指数値]",
    "ＰＶＲ高値圏反転[指数値]",
    "ＰＶＲ安値圏反転[指数値]",
    "前日比値上り率[％]",
    "前日比値下り率[％]",
    "未使用",
    "未使用",
};

const std::array<std::string_view, 15> kMarketLabels = {
    "なし",    "東証1部", "東証2部",    "大証1部", "大証2部",      "名証1部", "名証2部", "JASDAQ",
    "マザーズ", "ヘラクレス", "NYSE",       "Nasdaq", "プライム", "スタンダード", "グロース"};
const std::array<std::string_view, 4> kUnitLabels = {"なし", "1000株", "100株～500株",
                                                     "1株～50株"};
const std::array<std::string_view, 3> kMarginLabels = {"なし", "貸借", "信用"};
const std::array<std::string_view, 3> kLiquidityLabels = {"なし", "当日出来高", "出来高平均"};
const std::array<std::string_view, 2> kRankingKindLabels = {"金額ベース", "勝率ベース"};

bool searchItemTakesValue(int item) {
    if (item < 0 || item >= kSearchItemCount) return false;
    const std::string_view label = kSearchItemLabels[static_cast<std::size_t>(item)];
    return label.find('[') != std::string_view::npos && label.find(']') != std::string_view::npos;
}

namespace {

// A stored choice outside its list reads as "なし".
int choice(uint8_t stored, std::size_t count) { return stored < count ? stored : 0; }

}  // namespace

ScreeningSettings ScreeningSettings::from(const OptionsRecord& options) {
    ScreeningSettings s;
    s.searchItem = choice(options.screenSearchItem, kSearchItemCount);
    s.value = options.screenValue;
    s.strategy = options.screenStrategy;
    s.capsule = options.screenCapsule;
    s.filters.market = choice(options.screenMarket, kMarketLabels.size());
    s.filters.unit = choice(options.screenUnit, kUnitLabels.size());
    s.filters.marginType = choice(options.screenMarginType, kMarginLabels.size());
    s.filters.liquidity = choice(options.screenLiquidity, kLiquidityLabels.size());
    s.filters.liquidityMultiple = options.screenLiquidityMultiple;
    s.tradingValueMin = options.screenTradingValueMin;
    s.tradingValueMax = options.screenTradingValueMax;
    s.input = options.screenInput;
    s.output = options.screenOutput;
    return s;
}

void ScreeningSettings::storeInto(OptionsRecord& options) const {
    options.screenSearchItem = static_cast<uint8_t>(searchItem);
    options.screenValue = value;
    options.screenStrategy = static_cast<uint8_t>(strategy);
    options.screenCapsule = static_cast<uint8_t>(capsule);
    options.screenMarket = static_cast<uint8_t>(filters.market);
    options.screenUnit = static_cast<uint8_t>(filters.unit);
    options.screenMarginType = static_cast<uint8_t>(filters.marginType);
    options.screenLiquidity = static_cast<uint8_t>(filters.liquidity);
    options.screenLiquidityMultiple = filters.liquidityMultiple;
    options.screenTradingValueMin = tradingValueMin;
    options.screenTradingValueMax = tradingValueMax;
    options.screenInput = static_cast<uint8_t>(input);
    options.screenOutput = static_cast<uint8_t>(output);
}

bool ScreeningSettings::choosesNothing() const {
    return searchItem == 0 && filters.market == 0 && filters.unit == 0 &&
           filters.marginType == 0 && filters.liquidity == kLiquidityNone && tradingValueMax == 0;
}

bool ScreeningSettings::needsSeries() const {
    return searchItem != 0 || filters.liquidity != kLiquidityNone || tradingValueMax != 0;
}

MultiRunSettings MultiRunSettings::from(const OptionsRecord& options) {
    MultiRunSettings s;
    s.strategy = options.multiStrategy;
    s.filters.market = choice(options.multiMarket, kMarketLabels.size());
    s.filters.unit = choice(options.multiUnit, kUnitLabels.size());
    s.filters.marginType = choice(options.multiMarginType, kMarginLabels.size());
    s.filters.liquidity = choice(options.multiLiquidity, kLiquidityLabels.size());
    s.filters.liquidityMultiple = options.multiLiquidityMultiple;
    s.input = options.multiInput;
    s.rankingKind = choice(options.multiRankingKind, kRankingKindLabels.size());
    s.rankingLength = options.multiRankingLength == 0 ? 30 : options.multiRankingLength;
    s.output = options.multiOutput;
    return s;
}

void MultiRunSettings::storeInto(OptionsRecord& options) const {
    options.multiStrategy = static_cast<uint8_t>(strategy);
    options.multiMarket = static_cast<uint8_t>(filters.market);
    options.multiUnit = static_cast<uint8_t>(filters.unit);
    options.multiMarginType = static_cast<uint8_t>(filters.marginType);
    options.multiLiquidity = static_cast<uint8_t>(filters.liquidity);
    options.multiLiquidityMultiple = filters.liquidityMultiple;
    options.multiInput = static_cast<uint8_t>(input);
    options.multiRankingKind = static_cast<uint8_t>(rankingKind);
    options.multiRankingLength = static_cast<uint8_t>(std::clamp(rankingLength, 1, 255));
    options.multiOutput = static_cast<uint8_t>(output);
}

}  // namespace tav
