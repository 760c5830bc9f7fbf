#include "settings/options_record.h"

#include <algorithm>
#include <bitset>
#include <cstdio>
#include <cstring>
#include <limits>

namespace tav {

namespace {

using R = OptionsRecord;
constexpr int64_t kU8 = 255;
constexpr int64_t kI32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kI32Max = std::numeric_limits<int32_t>::max();
constexpr int64_t kI16Min = std::numeric_limits<int16_t>::min();
constexpr int64_t kI16Max = std::numeric_limits<int16_t>::max();

// Ranges: flags 0-1, choices indexing a table up to its last entry, counts as the
// settings pages allow them. Dialog fields of other subsystems take any value.
constexpr OptionField kFields[] = {
    {"dayStamp", 0, &R::dayStamp, 0, kU8},
    {"versionStamp", 2, &R::versionStamp, R::kVersion, kI16Max},
    {"watchlistShown", 8, &R::watchlistShown, 0, 1},
    {"watchlistSelector", 9, &R::watchlistSelector, 0, kU8},
    {"maximized", 10, &R::maximized, 0, 1},
    {"watchlistSegment", 11, &R::watchlistSegment, 0, 2},
    {"windowLeft", 12, &R::windowLeft, kI32Min, kI32Max},
    {"windowTop", 16, &R::windowTop, kI32Min, kI32Max},
    {"windowWidth", 20, &R::windowWidth, kI32Min, kI32Max},
    {"windowHeight", 24, &R::windowHeight, kI32Min, kI32Max},
    {"splitter1", 28, &R::splitter1, kI32Min, kI32Max},
    {"watchlistWidth", 32, &R::watchlistWidth, kI32Min, kI32Max},
    {"splitter2", 36, &R::splitter2, kI32Min, kI32Max},
    {"rightWidth", 40, &R::rightWidth, kI32Min, kI32Max},
    {"stockCode", 44, &R::stockCode, 1, kI32Max},
    {"barPitch", 48, &R::barPitch, 1, kI32Max},
    {"priceStyle", 52, &R::priceStyle, 0, 2},
    {"chartOverlay", 53, &R::chartOverlay, 0, 6},
    {"periodMode", 54, &R::periodMode, 0, 2},
    {"selectedStrategy", 55, &R::selectedStrategy, 0, kU8},
    {"indicatorScreen", 56, &R::indicatorScreen, 0, kIndicatorCount - 1},
    {"graphsPerScreen", 57, &R::graphsPerScreen, 1, 10},
    {"individualSettings", 58, &R::individualSettings, 0, 1},
    {"accumulateMode", 59, &R::accumulateMode, 0, 1},
    {"accumulateYears", 60, &R::accumulateYears, 0, 20},
    {"watchlistSorted", 61, &R::watchlistSorted, 0, 1},
    {"screenSearchItem", 62, &R::screenSearchItem, 0, kU8},
    {"screenStrategy", 66, &R::screenStrategy, 0, kU8},
    {"screenCapsule", 67, &R::screenCapsule, 0, kU8},
    {"screenMarket", 68, &R::screenMarket, 0, kU8},
    {"screenUnit", 69, &R::screenUnit, 0, kU8},
    {"screenLiquidity", 70, &R::screenLiquidity, 0, kU8},
    {"screenLiquidityMultiple", 72, &R::screenLiquidityMultiple, kI32Min, kI32Max},
    {"screenInput", 76, &R::screenInput, 0, kU8},
    {"screenOutput", 77, &R::screenOutput, 0, kU8},
    {"multiStrategy", 78, &R::multiStrategy, 0, kU8},
    {"multiMarket", 79, &R::multiMarket, 0, kU8},
    {"multiUnit", 80, &R::multiUnit, 0, kU8},
    {"multiLiquidity", 81, &R::multiLiquidity, 0, kU8},
    {"multiLiquidityMultiple", 84, &R::multiLiquidityMultiple, kI32Min, kI32Max},
    {"multiRankingLength", 88, &R::multiRankingLength, 0, kU8},
    {"multiInput", 89, &R::multiInput, 0, kU8},
    {"multiOutput", 90, &R::multiOutput, 0, kU8},
    {"multiResultChoice", 91, &R::multiResultChoice, 0, kU8},
    {"screenValue", 112, &R::screenValue, kI32Min, kI32Max},
    {"screenTradingValueMin", 116, &R::screenTradingValueMin, kI32Min, kI32Max},
    {"screenTradingValueMax", 120, &R::screenTradingValueMax, kI32Min, kI32Max},
    {"screenMarginType", 220, &R::screenMarginType, 0, kU8},
    {"multiMarginType", 221, &R::multiMarginType, 0, kU8},
    {"multiRankingKind", 222, &R::multiRankingKind, 0, kU8},
    {"capital", 252, &R::capital, kI32Min, kI32Max},
    {"simulation256", 256, &R::simulation256, 0, kU8},
    {"simulation260", 260, &R::simulation260, kI32Min, kI32Max},
    {"simulation264", 264, &R::simulation264, kI32Min, kI32Max},
    {"simulation268", 268, &R::simulation268, 0, kU8},
    {"periodKind", 269, &R::periodKind, 0, kU8},
    {"periodYears", 270, &R::periodYears, 0, kU8},
    {"defaultFill", 272, &R::defaultFill, 0, kU8},
    {"commissionKind", 273, &R::commissionKind, 0, kU8},
    {"taxKind", 274, &R::taxKind, 0, kU8},
    {"commissionValue", 276, &R::commissionValue, kI16Min, kI16Max},
    {"commissionMinimum", 278, &R::commissionMinimum, kI16Min, kI16Max},
    {"taxRate", 280, &R::taxRate, kI16Min, kI16Max},
    {"startYear", 282, &R::startYear, 0, kU8},
    {"startMonth", 283, &R::startMonth, 0, kU8},
    {"quoteInterval", 284, &R::quoteInterval, 0, 3600},
    {"rangeType", 286, &R::rangeType, 0, 9},
    {"quoteSource", 287, &R::quoteSource, 0, 1},
    {"waveLineDays", 288, &R::waveLineDays, 0, kU8},
    {"updateOption", 289, &R::updateOption, 0, kU8},
    {"historyLength", 346, &R::historyLength, 5, 50},
    {"parabolicOnClose", 347, &R::parabolicOnClose, 0, 1},
    {"showTurnMarks", 348, &R::showTurnMarks, 0, 1},
    {"barLineWidth", 764, &R::barLineWidth, 1, 5},
    {"volumeLineWidth", 765, &R::volumeLineWidth, 1, 5},
};

template <typename T>
T readLittle(const uint8_t* image, std::size_t offset) {
    using U = std::make_unsigned_t<T>;
    U value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        value |= static_cast<U>(U{image[offset + i]} << (8 * i));
    return static_cast<T>(value);
}

template <typename T>
void writeLittle(uint8_t* image, std::size_t offset, T value) {
    auto bits = static_cast<std::make_unsigned_t<T>>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        image[offset + i] = static_cast<uint8_t>(bits >> (8 * i));
}

}  // namespace

std::span<const OptionField> optionFields() {
    return kFields;
}

int64_t OptionField::get(const OptionsRecord& record) const {
    return std::visit([&](auto pointer) -> int64_t { return record.*pointer; }, member);
}

void OptionField::set(OptionsRecord& record, int64_t value) const {
    std::visit(
        [&](auto pointer) {
            using T = std::remove_reference_t<decltype(record.*pointer)>;
            record.*pointer = static_cast<T>(value);
        },
        member);
}

bool isIndicatorPermutation(std::span<const uint8_t> order) {
    if (order.size() != kIndicatorCount) return false;
    std::bitset<kIndicatorCount> seen;
    for (uint8_t id : order) {
        if (id >= kIndicatorCount || seen[id]) return false;
        seen[id] = true;
    }
    return true;
}

bool isTerminatedName(std::span<const char> name) {
    return !name.empty() && name[0] != '\0' &&
           std::find(name.begin(), name.end(), '\0') != name.end();
}

OptionsRecord OptionsRecord::defaults(int dayOfMonth) {
    OptionsRecord record;
    record.dayStamp = static_cast<uint8_t>(dayOfMonth);
    return record;
}

OptionsRecord OptionsRecord::fromBytes(std::string_view bytes) {
    std::array<uint8_t, kSize> image{};
    if (!bytes.empty()) std::memcpy(image.data(), bytes.data(), std::min(bytes.size(), kSize));
    OptionsRecord record;
    for (const OptionField& field : kFields) {
        std::visit(
            [&](auto pointer) {
                using T = std::remove_reference_t<decltype(record.*pointer)>;
                record.*pointer = readLittle<T>(image.data(), field.offset);
            },
            field.member);
    }
    using namespace options_layout;
    std::memcpy(record.reportName.data(), image.data() + kReportName, record.reportName.size());
    for (std::size_t i = 0; i < kRankingChoices.size(); ++i)
        record.rankingChoices[i] = image[kRankingChoices[i]];
    std::memcpy(record.reservedDialog.data(), image.data() + kReservedDialog,
                record.reservedDialog.size());
    std::memcpy(record.indicatorOrder.data(), image.data() + kIndicatorOrder,
                record.indicatorOrder.size());
    for (int i = 0; i < kColourCount; ++i)
        record.colours[i] = readLittle<ColourRef>(image.data(), kColourTable + 4 * i);
    return record;
}

std::string OptionsRecord::toBytes() const {
    std::array<uint8_t, kSize> image{};
    for (const OptionField& field : kFields) {
        std::visit([&](auto pointer) { writeLittle(image.data(), field.offset, this->*pointer); },
                   field.member);
    }
    using namespace options_layout;
    std::memcpy(image.data() + kReportName, reportName.data(), reportName.size());
    for (std::size_t i = 0; i < kRankingChoices.size(); ++i)
        image[kRankingChoices[i]] = rankingChoices[i];
    std::memcpy(image.data() + kReservedDialog, reservedDialog.data(), reservedDialog.size());
    std::memcpy(image.data() + kIndicatorOrder, indicatorOrder.data(), indicatorOrder.size());
    for (int i = 0; i < kColourCount; ++i)
        writeLittle(image.data(), kColourTable + 4 * i, colours[i]);
    return std::string(reinterpret_cast<const char*>(image.data()), image.size());
}

void OptionsRecord::repair() {
    const OptionsRecord fallback;
    if (versionStamp < kVersion) versionStamp = kVersion;
    for (const OptionField& field : kFields)
        if (!field.inRange(field.get(*this))) field.set(*this, field.get(fallback));
    // The screen shown must exist with the graphs per screen now in force.
    if (indicatorScreen >= indicatorScreenCount()) indicatorScreen = 0;
    if (!isIndicatorPermutation(indicatorOrder)) indicatorOrder = fallback.indicatorOrder;
    if (!isTerminatedName(reportName)) reportName = fallback.reportName;
}

bool OptionsRecord::valid() const {
    OptionsRecord repaired = *this;
    repaired.repair();
    return repaired == *this;
}

int OptionsRecord::indicatorScreenCount() const {
    if (graphsPerScreen == 0) return kIndicatorCount;
    return (kIndicatorCount + graphsPerScreen - 1) / graphsPerScreen;
}

std::string OptionsRecord::versionText(std::string_view applicationName) const {
    char text[128];
    if (versionStamp <= 1000)
        std::snprintf(text, sizeof text, "%.*s Version %.2f",
                      static_cast<int>(applicationName.size()), applicationName.data(),
                      versionStamp / 100.0);
    else
        std::snprintf(text, sizeof text, "%.*s Version %.3f",
                      static_cast<int>(applicationName.size()), applicationName.data(),
                      versionStamp / 1000.0);
    return text;
}

}  // namespace tav
