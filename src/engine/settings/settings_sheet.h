#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/period_mode.h"
#include "platform/prompter.h"
#include "settings/analysis_parameters.h"
#include "settings/options_record.h"

namespace tav {

class SettingsStore;

// The pages of the settings sheet, in tab order.
enum class SheetPage : uint8_t { General, Colours, IndicatorDisplay, ChartValues, IndicatorValues };
inline constexpr std::array<std::string_view, 5> kSheetPageTitles = {
    "全般", "描画色指定", "指数表示指定", "チャート値指定", "指数値指定"};

// The sheet's numeric fields outside the parameter pages.
enum class SheetField : uint8_t {
    historyLength,
    accumulateYears,
    quoteInterval,
    waveLineDays,
    barLineWidth,
    volumeLineWidth,
    graphsPerScreen,
};
constexpr int kSheetFieldCount = 7;

struct FieldRange {
    int min;
    int max;
};
FieldRange sheetFieldRange(SheetField field);
SheetPage sheetFieldPage(SheetField field);
// The range message shown when a field is refused.
std::string rangeMessage(FieldRange range);
// The number a field's text stands for, when it is a whole number in range.
std::optional<int> parseInRange(std::string_view text, FieldRange range);

// The 全般 page's data source and data API plan, in list order. The plan
// names are the API's own; the store of the plan lies with the data API code.
inline constexpr std::array<std::string_view, 2> kDataSourceLabels = {"株価アーカイブ",
                                                                      "データAPI"};
inline constexpr std::array<std::string_view, 4> kApiPlanLabels = {"Free", "Light", "Standard",
                                                                   "Premium"};
// The stored source mode that means the data API.
inline constexpr uint8_t kApiSourceMode = 3;

// The colour page: 17 labelled rows of swatches holding the colour table in
// table order.
struct ColourRow {
    std::string_view label;
    uint8_t count;
};
inline constexpr std::array<ColourRow, 17> kColourRows = {{
    {"背景色（チャート画面／指数画面）", 2},
    {"目安線（株価／出来高／指数）", 3},
    {"十字カーソル", 1},
    {"トレンドライン", 1},
    {"ローソク足（陽線枠／陽線体／陰線枠／陰線体）", 4},
    {"折れ線／バーチャート", 2},
    {"出来高（バー／長期／短期移動平均線）", 3},
    {"信用残（買残／売残）", 2},
    {"株価移動平均線（長期／中期／短期線）", 3},
    {"一目均衡表（基準／転換／遅延／先行１／先行２）", 5},
    {"ＨＬバンド（中央／他）", 2},
    {"パラボリック（上昇／中央／下降線）", 3},
    {"ボリンジャーバンド（中央／他）", 2},
    {"ＭＡバンド（中央／他）", 2},
    {"エンベロープ（中央／他）", 2},
    {"指数共通線（ 短期 <・・・・> 長期 ）", 5},
    {"指数転換マーク（上昇／下降転換）", 2},
}};

// Page pixels of the swatches: 10-pixel squares 20 apart from x 315, rows 15
// apart from y 22, with a gap after the trend-line row and after the
// envelope row that groups the rows.
namespace swatch_layout {
constexpr int kLeft = 315;
constexpr int kTop = 22;
constexpr int kSize = 10;
constexpr int kPitchX = 20;
constexpr int kPitchY = 15;
constexpr int kGroupGap = 8;
}  // namespace swatch_layout
struct SwatchRect {
    int left;
    int top;
    int size;
    bool contains(int x, int y) const {
        return x >= left && x < left + size && y >= top && y < top + size;
    }
};
// The row baseline of the row's label and the swatch of colour-table entry index.
int colourRowTop(int row);
SwatchRect swatchRect(int colourIndex);
std::optional<int> swatchAt(int x, int y);

// The names of the 17 indicators by id, as the display-order list shows them.
inline constexpr std::array<std::string_view, kIndicatorCount> kIndicatorNames = {
    "RSI",    "RCI",         "ROC",    "乖離度",      "ｽﾄｷｬｽﾃｨｸｽ", "Williams%R",
    "MACD",   "MACDﾋｽﾄｸﾞﾗﾑ", "DMI",    "ｻｲｺﾛｼﾞｶﾙﾗｲﾝ", "勢力指数",  "VR",
    "和光VR", "PVR",         "ﾏﾙﾁRSI", "ﾏﾙﾁRCI",      "VLRSI"};

enum class ParameterGroup : uint8_t { Chart, Indicator };

// One of the two parameter pages: edit fields showing the values of the bar
// period chosen in "設定対象". Switching the period first keeps what was typed
// for the period being left, so edits of every period survive until OK.
class ParameterPage {
  public:
    ParameterPage(ParameterGroup group, AnalysisParameters& block, PeriodMode shown);

    ParameterGroup group() const { return group_; }
    PeriodMode period() const { return period_; }
    int fieldCount() const { return static_cast<int>(fields.size()); }
    std::string_view label(int field) const;

    // The edit fields' texts, in parameter order.
    std::vector<std::string> fields;

    // Stores the fields into the shown period; the first field that is no
    // byte value when one is not (nothing is stored then).
    std::optional<int> storeFields();
    // Stores the fields, then shows the other period. The refused field when
    // the fields could not be stored (the period stays).
    std::optional<int> selectPeriod(PeriodMode period);

    // "初期値に戻す" / "共通値に戻す" by the common/individual switch.
    static std::string_view resetLabel(bool individual);
    // Asks, then puts the defaults into all three periods and the fields.
    bool resetToDefaults(Prompter& prompter);
    // Asks, then shows the common values of the shown period in the fields
    // only; a "Common.cfg" of any size but 248 bytes changes nothing.
    bool syncWithCommon(Prompter& prompter, const SettingsStore& store);

  private:
    int firstByte() const;
    void showFields();

    ParameterGroup group_;
    AnalysisParameters* block_;
    PeriodMode period_;
};

// What OK changed that the window must act on.
struct SheetChanges {
    bool quoteIntervalChanged = false;
    bool graphsPerScreenChanged = false;
};

// A field the sheet refuses on OK: the page to show and the field to focus.
struct RefusedField {
    SheetPage page;
    int field;  // SheetField on the first three pages, the parameter on the others
    std::string message;
};

// The settings sheet without its widgets: copies of everything it edits,
// taken when it opens; nothing outside changes until apply().
class SettingsSheet {
  public:
    SettingsSheet(const OptionsRecord& options, const DisplaySwitches& switches, int historyLength,
                  const AnalysisParameters& block, PeriodMode shown);
    SettingsSheet(const SettingsSheet&) = delete;
    SettingsSheet& operator=(const SettingsSheet&) = delete;

    bool individual() const { return individual_; }
    bool accumulateMode() const { return accumulateMode_; }

    std::string& text(SheetField field) { return texts_[static_cast<int>(field)]; }
    const std::string& text(SheetField field) const { return texts_[static_cast<int>(field)]; }
    bool parabolicOnClose;
    bool showTurnMarks;
    bool alternativeQuotes;

    // The data source of the update: the daily archives or the data API.
    bool dataFromApi;
    // The plan by its index in kApiPlanLabels; the caller fills and stores it.
    int apiPlan = 0;
    // A key typed to be stored on OK (never filled from the stored one), and
    // whether one is stored: the page shows only that.
    std::string apiKeyTyped;
    bool apiKeyStored = false;

    std::array<ColourRef, kColourCount> colours;
    // Asks, then puts back every default colour.
    bool resetColours(Prompter& prompter);

    std::array<uint8_t, kIndicatorCount> order;
    // Moves the name at row one place; the row the selection follows to, or
    // the row unchanged when it cannot move (-1 = none selected).
    int moveUp(int row);
    int moveDown(int row);

    AnalysisParameters block;
    ParameterPage chart;
    ParameterPage indicator;

    // The first field out of its range, pages in tab order; none when OK may close.
    std::optional<RefusedField> refusedField();
    // OK, after refusedField() found nothing: writes the edits into the
    // options, display switches and parameter block. The history length is
    // for the caller to apply first.
    SheetChanges apply(OptionsRecord& options, DisplaySwitches& switches,
                       AnalysisParameters& parameters) const;
    int historyLength() const;

  private:
    std::array<std::string, kSheetFieldCount> texts_;
    bool individual_;
    bool accumulateMode_;
};

}  // namespace tav
