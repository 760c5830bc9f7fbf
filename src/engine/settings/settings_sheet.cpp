#include "settings/settings_sheet.h"

#include <algorithm>
#include <charconv>

#include "settings/settings_store.h"

namespace tav {

namespace {

struct FieldInfo {
    FieldRange range;
    SheetPage page;
};
constexpr std::array<FieldInfo, kSheetFieldCount> kFieldInfo = {{
    {{5, 50}, SheetPage::General},          // historyLength
    {{0, 20}, SheetPage::General},          // accumulateYears
    {{0, 3600}, SheetPage::General},        // quoteInterval
    {{0, 255}, SheetPage::General},         // waveLineDays
    {{1, 5}, SheetPage::Colours},           // barLineWidth
    {{1, 5}, SheetPage::Colours},           // volumeLineWidth
    {{1, 10}, SheetPage::IndicatorDisplay}, // graphsPerScreen
}};
constexpr FieldRange kByte = {0, 255};

// Rows after which the page leaves a gap: the trend-line row and the envelope row.
constexpr int kGapAfterRows[] = {3, 14};

constexpr std::string_view kResetColoursQuestion = "描画色を初期値に戻します\n\nよろしいですか？";

std::string number(int value) { return std::to_string(value); }

}  // namespace

FieldRange sheetFieldRange(SheetField field) { return kFieldInfo[static_cast<int>(field)].range; }
SheetPage sheetFieldPage(SheetField field) { return kFieldInfo[static_cast<int>(field)].page; }

std::string rangeMessage(FieldRange range) {
    return number(range.min) + " から " + number(range.max) + " までの整数を入力してください。";
}

std::optional<int> parseInRange(std::string_view text, FieldRange range) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value < range.min || value > range.max) return std::nullopt;
    return value;
}

// --- Colour page geometry ---

int colourRowTop(int row) {
    int top = swatch_layout::kTop + row * swatch_layout::kPitchY;
    for (int gapRow : kGapAfterRows)
        if (row > gapRow) top += swatch_layout::kGroupGap;
    return top;
}

SwatchRect swatchRect(int colourIndex) {
    int row = 0;
    int first = 0;
    while (row < static_cast<int>(kColourRows.size()) - 1 &&
           colourIndex >= first + kColourRows[row].count) {
        first += kColourRows[row].count;
        ++row;
    }
    return {swatch_layout::kLeft + (colourIndex - first) * swatch_layout::kPitchX,
            colourRowTop(row), swatch_layout::kSize};
}

std::optional<int> swatchAt(int x, int y) {
    for (int index = 0; index < kColourCount; ++index)
        if (swatchRect(index).contains(x, y)) return index;
    return std::nullopt;
}

// --- Parameter pages ---

ParameterPage::ParameterPage(ParameterGroup group, AnalysisParameters& block, PeriodMode shown)
    : group_(group), block_(&block), period_(shown) {
    fields.resize(group == ParameterGroup::Chart ? kChartParamCount : kIndicatorParamCount);
    showFields();
}

std::string_view ParameterPage::label(int field) const {
    return group_ == ParameterGroup::Chart ? kChartParams[field].label
                                           : kIndicatorParams[field].label;
}

int ParameterPage::firstByte() const {
    return group_ == ParameterGroup::Chart ? 0 : 3 * kChartParamCount;
}

void ParameterPage::showFields() {
    for (int field = 0; field < fieldCount(); ++field)
        fields[field] = number(block_->bytes[firstByte() + 3 * field + periodIndex(period_)]);
}

std::optional<int> ParameterPage::storeFields() {
    std::vector<uint8_t> values(fields.size());
    for (int field = 0; field < fieldCount(); ++field) {
        const auto value = parseInRange(fields[field], kByte);
        if (!value) return field;
        values[field] = static_cast<uint8_t>(*value);
    }
    for (int field = 0; field < fieldCount(); ++field)
        block_->bytes[firstByte() + 3 * field + periodIndex(period_)] = values[field];
    return std::nullopt;
}

std::optional<int> ParameterPage::selectPeriod(PeriodMode period) {
    if (auto refused = storeFields()) return refused;
    period_ = period;
    showFields();
    return std::nullopt;
}

std::string_view ParameterPage::resetLabel(bool individual) {
    return individual ? "共通値に戻す" : "初期値に戻す";
}

bool ParameterPage::resetToDefaults(Prompter& prompter) {
    const bool chart = group_ == ParameterGroup::Chart;
    if (!prompter.askYesNo(chart ? "チャート設定値を初期値に戻します\n\nよろしいですか？"
                                 : "指数設定値を初期値に戻します\n\nよろしいですか？",
                           QuestionKind::Destructive))
        return false;
    const AnalysisParameters defaults = AnalysisParameters::defaults();
    std::copy_n(defaults.bytes.begin() + firstByte(), 3 * fieldCount(),
                block_->bytes.begin() + firstByte());
    showFields();
    return true;
}

bool ParameterPage::syncWithCommon(Prompter& prompter, const SettingsStore& store) {
    const bool chart = group_ == ParameterGroup::Chart;
    if (!prompter.askYesNo(
            chart ? "チャート設定値を共通設定のチャート値と同期させます。\n\nよろしいですか？"
                  : "指数設定値を共通設定の指数値と同期させます。\n\nよろしいですか？",
            QuestionKind::Destructive))
        return false;
    const auto common = store.readCommonValues();
    if (!common) return false;
    for (int field = 0; field < fieldCount(); ++field)
        fields[field] = number(common->bytes[firstByte() + 3 * field + periodIndex(period_)]);
    return true;
}

// --- The sheet ---

SettingsSheet::SettingsSheet(const OptionsRecord& options, const DisplaySwitches& switches,
                             int historyLength, const AnalysisParameters& parameters,
                             PeriodMode shown)
    : parabolicOnClose(switches.parabolicOnClose != 0),
      showTurnMarks(switches.showTurnMarks != 0),
      alternativeQuotes(options.quoteSource != 0),
      dataFromApi(options.updateOption == kApiSourceMode),
      colours(options.colours),
      order(options.indicatorOrder),
      block(parameters),
      chart(ParameterGroup::Chart, block, shown),
      indicator(ParameterGroup::Indicator, block, shown),
      individual_(options.individualSettings != 0),
      accumulateMode_(options.accumulateMode != 0) {
    text(SheetField::historyLength) = number(historyLength);
    text(SheetField::accumulateYears) = number(options.accumulateYears);
    text(SheetField::quoteInterval) = number(options.quoteInterval);
    text(SheetField::waveLineDays) = number(switches.waveLineDays);
    text(SheetField::barLineWidth) = number(options.barLineWidth);
    text(SheetField::volumeLineWidth) = number(options.volumeLineWidth);
    text(SheetField::graphsPerScreen) = number(options.graphsPerScreen);
}

bool SettingsSheet::resetColours(Prompter& prompter) {
    if (!prompter.askYesNo(std::string(kResetColoursQuestion), QuestionKind::Destructive))
        return false;
    colours = defaultColours();
    return true;
}

int SettingsSheet::moveUp(int row) {
    if (row <= 0 || row >= kIndicatorCount) return row;
    std::swap(order[row], order[row - 1]);
    return row - 1;
}

int SettingsSheet::moveDown(int row) {
    if (row < 0 || row >= kIndicatorCount - 1) return row;
    std::swap(order[row], order[row + 1]);
    return row + 1;
}

std::optional<RefusedField> SettingsSheet::refusedField() {
    for (int field = 0; field < kSheetFieldCount; ++field) {
        const auto id = static_cast<SheetField>(field);
        // A read-only years field is not taken, so it is not checked either.
        if (id == SheetField::accumulateYears && !accumulateMode_) continue;
        if (!parseInRange(texts_[field], sheetFieldRange(id)))
            return RefusedField{sheetFieldPage(id), field, rangeMessage(sheetFieldRange(id))};
    }
    const std::pair<ParameterPage*, SheetPage> pages[] = {
        {&chart, SheetPage::ChartValues}, {&indicator, SheetPage::IndicatorValues}};
    for (const auto& [page, id] : pages)
        if (auto refused = page->storeFields()) return RefusedField{id, *refused, rangeMessage(kByte)};
    return std::nullopt;
}

int SettingsSheet::historyLength() const {
    return parseInRange(text(SheetField::historyLength), sheetFieldRange(SheetField::historyLength))
        .value_or(20);
}

SheetChanges SettingsSheet::apply(OptionsRecord& options, DisplaySwitches& switches,
                                  AnalysisParameters& parameters) const {
    const auto value = [this](SheetField field) {
        return *parseInRange(text(field), sheetFieldRange(field));
    };
    SheetChanges changes;
    options.historyLength = static_cast<uint8_t>(value(SheetField::historyLength));
    options.parabolicOnClose = parabolicOnClose ? 1 : 0;
    options.showTurnMarks = showTurnMarks ? 1 : 0;
    options.quoteSource = alternativeQuotes ? 1 : 0;
    // Back from the API to the archives: the public server, as a first start has it.
    if (dataFromApi)
        options.updateOption = kApiSourceMode;
    else if (options.updateOption == kApiSourceMode)
        options.updateOption = 1;
    if (options.accumulateMode)
        options.accumulateYears = static_cast<uint8_t>(value(SheetField::accumulateYears));
    const auto interval = static_cast<int16_t>(value(SheetField::quoteInterval));
    changes.quoteIntervalChanged = interval != options.quoteInterval;
    options.quoteInterval = interval;

    options.waveLineDays = static_cast<uint8_t>(value(SheetField::waveLineDays));
    options.indicatorOrder = order;
    const auto graphs = static_cast<uint8_t>(value(SheetField::graphsPerScreen));
    changes.graphsPerScreenChanged = graphs != options.graphsPerScreen;
    options.graphsPerScreen = graphs;
    if (changes.graphsPerScreenChanged) options.indicatorScreen = 0;

    options.colours = colours;
    options.barLineWidth = static_cast<uint8_t>(value(SheetField::barLineWidth));
    options.volumeLineWidth = static_cast<uint8_t>(value(SheetField::volumeLineWidth));
    parameters = block;
    switches = {options.parabolicOnClose, options.showTurnMarks, options.waveLineDays};
    return changes;
}

}  // namespace tav
