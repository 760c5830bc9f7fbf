#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "core/stock_code.h"

namespace tav {

// Colours are stored as 0x00BBGGRR (red in the low byte).
using ColourRef = uint32_t;

// The 44 entries of the colour table, by use.
enum class ColourIndex : uint8_t {
    chartBackground,
    indicatorBackground,
    priceGuide,
    volumeGuide,
    indicatorGuide,
    crosshair,
    trendLine,
    risingOutline,
    risingBody,
    fallingOutline,
    fallingBody,
    lineChart,
    barChart,
    volumeBars,
    volumeMaLong,
    volumeMaShort,
    marginBuy,
    marginSell,
    maLong,
    maMid,
    maShort,
    kijun,
    tenkan,
    chikou,
    senkou1,
    senkou2,
    hlBandCentre,
    hlBandOuter,
    parabolicRising,
    parabolicCentre,
    parabolicFalling,
    bollingerCentre,
    bollingerOuter,
    maBandCentre,
    maBandOuter,
    envelopeCentre,
    envelopeOuter,
    indicatorLine1,  // shortest period
    indicatorLine2,
    indicatorLine3,
    indicatorLine4,
    indicatorLine5,
    turnUp,
    turnDown,
};
constexpr int kColourCount = 44;

struct ColourInfo {
    std::string_view name;
    ColourRef defaultValue;
};
inline constexpr std::array<ColourInfo, kColourCount> kColours = {{
    {"chartBackground", 0xFFFFFF},  {"indicatorBackground", 0xFFFFFF},
    {"priceGuide", 0xE6E6E6},       {"volumeGuide", 0x000000},
    {"indicatorGuide", 0xB4B4B4},   {"crosshair", 0xFF0000},
    {"trendLine", 0xC800C8},        {"risingOutline", 0x0000FF},
    {"risingBody", 0x0000FF},       {"fallingOutline", 0x000000},
    {"fallingBody", 0x000000},      {"lineChart", 0x000000},
    {"barChart", 0x000000},         {"volumeBars", 0x7F7F00},
    {"volumeMaLong", 0xFF0000},     {"volumeMaShort", 0x7F7F00},
    {"marginBuy", 0x0000FF},        {"marginSell", 0xC800C8},
    {"maLong", 0x000000},           {"maMid", 0xFF0000},
    {"maShort", 0x0000FF},          {"kijun", 0xFF0000},
    {"tenkan", 0x0000FF},           {"chikou", 0x7F7F00},
    {"senkou1", 0x00FFFF},          {"senkou2", 0x00FF00},
    {"hlBandCentre", 0xFF0000},     {"hlBandOuter", 0x0000FF},
    {"parabolicRising", 0x0000FF},  {"parabolicCentre", 0x7F7F00},
    {"parabolicFalling", 0xFF0000}, {"bollingerCentre", 0xFF0000},
    {"bollingerOuter", 0x7F7F00},   {"maBandCentre", 0xFF0000},
    {"maBandOuter", 0x000000},      {"envelopeCentre", 0xFF0000},
    {"envelopeOuter", 0x7F7F00},    {"indicatorLine1", 0x7F7F00},
    {"indicatorLine2", 0xFF0000},   {"indicatorLine3", 0x0000FF},
    {"indicatorLine4", 0x000000},   {"indicatorLine5", 0xC800C8},
    {"turnUp", 0x0000FF},           {"turnDown", 0x000000},
}};

constexpr std::array<ColourRef, kColourCount> defaultColours() {
    std::array<ColourRef, kColourCount> colours{};
    for (int i = 0; i < kColourCount; ++i)
        colours[i] = kColours[i].defaultValue;
    return colours;
}

constexpr int kIndicatorCount = 17;

// The application options ("Option.cfg"): a plain record whose fields map one
// to one onto the 896-byte file image. The member initialisers are the
// defaults in force before any file is read.
struct OptionsRecord {
    static constexpr std::size_t kSize = 896;
    static constexpr int16_t kVersion = 2640;

    uint8_t dayStamp = 0;  // day of the month the record was created in memory
    int16_t versionStamp = kVersion;
    uint8_t watchlistShown = 1;
    uint8_t watchlistSelector = 0;
    uint8_t maximized = 0;
    uint8_t watchlistSegment = 0;  // which segment when watchlistSelector is 255
    int32_t windowLeft = 0;
    int32_t windowTop = 0;
    int32_t windowWidth = 500;
    int32_t windowHeight = 500;
    int32_t splitter1 = 0;
    int32_t watchlistWidth = 0;  // 0 means 150
    int32_t splitter2 = 0;       // 0 means 240
    int32_t rightWidth = 0;
    StockCode stockCode = kDefaultCode;
    int32_t barPitch = 6;
    uint8_t priceStyle = 0;
    uint8_t chartOverlay = 0;
    uint8_t periodMode = 0;
    uint8_t selectedStrategy = 0;  // 1-based, 0 = none
    uint8_t indicatorScreen = 0;
    uint8_t graphsPerScreen = 5;
    uint8_t individualSettings = 0;
    uint8_t accumulateMode = 1;
    uint8_t accumulateYears = 0;
    uint8_t watchlistSorted = 0;

    // Screening dialog.
    uint8_t screenSearchItem = 0;
    uint8_t screenStrategy = 0;
    uint8_t screenCapsule = 0;
    uint8_t screenMarket = 6;
    uint8_t screenUnit = 0;
    uint8_t screenLiquidity = 1;
    int32_t screenLiquidityMultiple = 100;
    uint8_t screenInput = 0;
    uint8_t screenOutput = 9;
    int32_t screenValue = 0;
    int32_t screenTradingValueMin = 0;
    int32_t screenTradingValueMax = 0;
    uint8_t screenMarginType = 0;

    // Multi-security simulation dialog.
    uint8_t multiStrategy = 0;
    uint8_t multiMarket = 6;
    uint8_t multiUnit = 0;
    uint8_t multiLiquidity = 1;
    int32_t multiLiquidityMultiple = 100;
    uint8_t multiRankingLength = 30;
    uint8_t multiInput = 0;
    uint8_t multiOutput = 10;
    uint8_t multiResultChoice = 0;
    uint8_t multiMarginType = 0;
    uint8_t multiRankingKind = 0;
    std::array<char, 16> reportName = {'R', 'e', 'p', 'o', 'r', 't', '.', 't', 'x', 't'};

    // Ranking dialog, its five choices in dialog order.
    std::array<uint8_t, 5> rankingChoices = {0, 0, 0, 0, 9};
    std::array<uint8_t, 32> reservedDialog{};  // kept as read

    // Simulation.
    int32_t capital = 1000000;
    uint8_t simulation256 = 0;
    int32_t simulation260 = 0;
    int32_t simulation264 = 0;
    uint8_t simulation268 = 0;
    uint8_t periodKind = 0;
    uint8_t periodYears = 0;
    uint8_t defaultFill = 0;
    uint8_t commissionKind = 0;
    uint8_t taxKind = 0;
    int16_t commissionValue = 10;
    int16_t commissionMinimum = 0;
    int16_t taxRate = 1000;
    uint8_t startYear = 0;
    uint8_t startMonth = 0;

    int16_t quoteInterval = 0;  // seconds, 0 means 60
    uint8_t rangeType = 0;
    uint8_t quoteSource = 0;
    uint8_t waveLineDays = 0;
    uint8_t updateOption = 1;
    uint8_t historyLength = 20;
    uint8_t parabolicOnClose = 0;
    uint8_t showTurnMarks = 1;
    std::array<uint8_t, kIndicatorCount> indicatorOrder = {0, 1,  2,  3,  4,  5,  6,  7, 8,
                                                           9, 10, 11, 12, 13, 14, 15, 16};
    std::array<ColourRef, kColourCount> colours = defaultColours();
    uint8_t barLineWidth = 1;
    uint8_t volumeLineWidth = 1;

    // The defaults, stamped with the day of the month.
    static OptionsRecord defaults(int dayOfMonth);

    // Decodes up to kSize bytes; missing bytes count as zero. No repair.
    static OptionsRecord fromBytes(std::string_view bytes);
    // The whole image; bytes that belong to no field are zero.
    std::string toBytes() const;

    // Raises the version stamp to kVersion and replaces every field outside
    // its valid range with its default (a short or damaged file would
    // otherwise divide by zero or index outside the tables that use them).
    void repair();
    // True when repair() would change nothing.
    bool valid() const;

    // 17 indicators divided by the graphs per screen, rounded up.
    int indicatorScreenCount() const;
    // The quote-watch timer period; a stored 0 means 60 seconds.
    int quoteWatchMilliseconds() const { return quoteInterval == 0 ? 60000 : 1000 * quoteInterval; }
    // Stored zeros stand for these layout defaults.
    int32_t watchlistWidthInUse() const { return watchlistWidth == 0 ? 150 : watchlistWidth; }
    int32_t splitter2InUse() const { return splitter2 == 0 ? 240 : splitter2; }
    // The about box line: stamps up to 1000 are hundredths of the version
    // number, larger ones thousandths ("Tavrento Version 2.640").
    std::string versionText(std::string_view applicationName) const;
    ColourRef colour(ColourIndex index) const { return colours[static_cast<int>(index)]; }

    friend bool operator==(const OptionsRecord&, const OptionsRecord&) = default;
};

// A scalar field of the record: its name, place in the file and valid range.
struct OptionField {
    using Member =
        std::variant<uint8_t OptionsRecord::*, int16_t OptionsRecord::*, int32_t OptionsRecord::*>;
    std::string_view name;
    uint16_t offset;
    Member member;
    int64_t min;
    int64_t max;

    int64_t get(const OptionsRecord& record) const;
    void set(OptionsRecord& record, int64_t value) const;  // value must lie in range
    bool inRange(int64_t value) const { return value >= min && value <= max; }
};

// Every scalar field, in file order. The arrays (report name, ranking choices,
// reserved bytes, display order, colours) are handled on their own.
std::span<const OptionField> optionFields();

// The offsets of the arrays in the file.
namespace options_layout {
constexpr uint16_t kReportName = 92;
constexpr std::array<uint16_t, 5> kRankingChoices = {223, 108, 109, 110, 111};
constexpr uint16_t kReservedDialog = 124;
constexpr uint16_t kIndicatorOrder = 478;
constexpr uint16_t kColourTable = 516;
}  // namespace options_layout

// True when the order holds each indicator id 0-16 exactly once.
bool isIndicatorPermutation(std::span<const uint8_t> order);
// True when the name holds a terminator and is not empty.
bool isTerminatedName(std::span<const char> name);

}  // namespace tav
