#include "chart/price_board.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <chrono>

#include "analysis/bands.h"
#include "chart/chart_geometry.h"
#include "chart/pane_painting.h"
#include "core/local_date.h"
#include "workspace.h"

namespace tav::desktop {

namespace {

constexpr ColourRef kRed = 0x0000FF;
constexpr ColourRef kBlue = 0xFF0000;
constexpr ColourRef kGreen = 0x007F00;
constexpr ColourRef kVolume = 0xC800C8;
constexpr ColourRef kMarkedGround = 0x808080;
constexpr ColourRef kRangeText = 0xE1E100;
constexpr ColourRef kOpenText = 0xFF80FF;
constexpr int kCloudLag = 50;
constexpr int kRowGap = 3;

// One text row: label, value and trend mark, each optional.
struct Row {
    Row(QString label, QString value = {}, QString mark = {},
        std::optional<ColourRef> labelColour = {}, std::optional<ColourRef> valueColour = {})
        : label(std::move(label)),
          value(std::move(value)),
          mark(std::move(mark)),
          labelColour(labelColour),
          valueColour(valueColour) {}
    QString label;
    QString value;
    QString mark;
    std::optional<ColourRef> labelColour;
    std::optional<ColourRef> valueColour;
    bool indicator = false;  // indented label, inside the frame
};

QString trendMark(int64_t now, int64_t before) {
    if (now > before) return QStringLiteral("／");
    if (now < before) return QStringLiteral("＼");
    return QStringLiteral("―");
}

QString dateText(const DailyBar& bar, QChar separator, bool weekday) {
    LocalDate date;
    if (!parseDate8(bar.dateText(), date))
        return QString::fromLatin1(bar.dateText().data(), static_cast<int>(bar.dateText().size()));
    const char sep = separator.toLatin1();
    QString text = QString::asprintf("%d%c%02d%c%02d", date.year, sep, date.month, sep, date.day);
    if (weekday) {
        static const char* const kDays[] = {"日", "月", "火", "水", "木", "金", "土"};
        const std::chrono::year_month_day ymd{std::chrono::year(date.year),
                                              std::chrono::month(date.month),
                                              std::chrono::day(date.day)};
        const unsigned index = std::chrono::weekday(std::chrono::sys_days(ymd)).c_encoding();
        text += QStringLiteral("(%1)").arg(QString::fromUtf8(kDays[index]));
    }
    return text;
}

QString percentOf(int64_t part, int64_t whole, const char* format) {
    return QString::asprintf(format,
                             static_cast<double>(part) * 100.0 / static_cast<double>(whole));
}

// Deviation of a close from a line, or empty when the line is 0.
QString deviation(int32_t close, int32_t line) {
    if (line == 0) return {};
    return percentOf(int64_t{close} - line, line, "%+.1f%%");
}

QString priceOrEmpty(int64_t v) {
    return v == 0 ? QString() : QString::number(v);
}

struct IndicatorRowSpec {
    const char* label;
    bool perMille;
};
constexpr IndicatorRowSpec kIndicatorRows[kIndicatorCount] = {
    {"ＲＳＩ", true},   {"ＲＣＩ", true}, {"ROC", false},   {"乖離率", true}, {"STC", true},
    {"％Ｒ", true},     {"MACD", false},  {"MACDh", false}, {"DMI", true},    {"ｻｲｺﾛ", false},
    {"勢力", false},    {"VR", false},    {"WVR", true},    {"PVR", false},   {"ＲＳＩ３", true},
    {"ＲＣＩ３", true}, {"VLRSI", true},
};

// The value an indicator row shows for a bar; nothing when it is not defined.
std::optional<int64_t> indicatorValue(IndicatorId id, const DailyBar& b) {
    auto oscillator = [](int64_t v) { return v < 0 ? std::nullopt : std::optional(v); };
    switch (id) {
        case IndicatorId::Rsi:
            return oscillator(b.rsi);
        case IndicatorId::Rci:
            return b.rci;
        case IndicatorId::Roc:
            return b.roc;
        case IndicatorId::Deviation:
            return b.deviationLong == -10000 ? std::nullopt
                                             : std::optional<int64_t>(b.deviationLong);
        case IndicatorId::Stochastics:
            return b.stochD;
        case IndicatorId::WilliamsR:
            return oscillator(b.williamsR);
        case IndicatorId::Macd:
            return b.macd;
        case IndicatorId::MacdHistogram:
            return int64_t{b.macd} - b.macdSignal;
        case IndicatorId::Dmi:
            return b.adx;
        case IndicatorId::Psychological:
            return b.psychUpCount;
        case IndicatorId::ForceIndex:
            return b.forceIndex;
        case IndicatorId::Vr:
            return b.vr;
        case IndicatorId::WakoVr:
            return b.wakoVr;
        case IndicatorId::Pvr:
            return b.pvr;
        case IndicatorId::MultiRsi:
            return oscillator(b.rsiShort);
        case IndicatorId::MultiRci:
            return b.rciShort;
        case IndicatorId::VlRsi:
            return oscillator(b.vlRsi);
    }
    return std::nullopt;
}

std::optional<ColourRef> rocColour(int64_t v) {
    if ((v >= 81 && v <= 90) || (v >= 120 && v <= 129)) return kBlue;
    if (v >= 91 && v <= 119) return std::nullopt;
    return kRed;
}

}  // namespace

PriceBoard::PriceBoard(Workspace& workspace, ChartViewState& state, QWidget* parent)
    : QWidget(parent), workspace_(workspace), state_(state) {
    setAutoFillBackground(false);
}

int PriceBoard::shownBar() const {
    const int count = workspace_.series().count();
    const int end = std::clamp(state_.endCount, 0, count);
    for (int bar : {state_.chartHoverBar, state_.indicatorHoverBar, state_.clickedBar})
        if (bar >= 0 && bar < count) return bar;
    return end > 0 ? end - 1 : kNoBar;
}

void PriceBoard::showLevelList() {
    levelListShown_ = true;
    const int bar = shownBar();
    if (bar >= 0) {
        if (auto path =
                writeLayerFile(workspace_.folder(), levelList(workspace_.series().bars, bar)))
            workspace_.platform().shell.open(*path);
    }
    update();
}

void PriceBoard::hideLevelList() {
    levelListShown_ = false;
    update();
}

void PriceBoard::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (levelListShown_)
        hideLevelList();
    else
        showLevelList();
}

void PriceBoard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    const int k = shownBar();
    if (k < 0) return;
    const auto& bars = workspace_.series().bars;
    const DailyBar& bar = bars[k];
    const DailyBar* before = k > 0 ? &bars[k - 1] : nullptr;
    const QFontMetrics metrics(font());
    const int step = metrics.height() + kRowGap;
    const int valueX = width() / 3;
    const int markX = 2 * width() / 5;
    const QColor text = palette().color(QPalette::ButtonText);
    int y = 0;

    auto draw = [&](const Row& row) {
        const int baseline = y + metrics.ascent();
        painter.setPen(row.labelColour ? toQColor(*row.labelColour) : text);
        painter.drawText(row.indicator ? 3 : 0, baseline, row.label);
        painter.setPen(row.valueColour ? toQColor(*row.valueColour) : text);
        painter.drawText(valueX, baseline, row.value);
        if (!row.mark.isEmpty()) {
            painter.setPen(toQColor(kRed));
            // Long values push the mark right rather than under it.
            painter.drawText(std::max(markX, valueX + metrics.horizontalAdvance(row.value) + 2),
                             baseline, row.mark);
        }
        y += step;
    };

    draw({QStringLiteral("日付"), dateText(bar, QLatin1Char('/'), true)});

    if (levelListShown_) {
        const int nameX = valueX + 10;
        const int valueColumn = nameX + metrics.horizontalAdvance(QStringLiteral("前日高値 "));
        for (const LevelEntry& entry : levelList(bars, k)) {
            const std::string_view name = entry.name;
            std::optional<ColourRef> colour;
            std::optional<ColourRef> ground;
            if (name == "HBOP" || name == "LBOP" || name == "PIVOT") colour = kRed;
            if (name == "S2" || name == "B2") colour = kBlue;
            if (name == "S1" || name == "B1") colour = kGreen;
            if (name == "前日高値" || name == "当日高値" || name == "前日安値" ||
                name == "当日安値") {
                colour = kRangeText;
                ground = kMarkedGround;
            }
            if (name == "当日始値") {
                colour = kOpenText;
                ground = kMarkedGround;
            }
            if (ground) painter.fillRect(nameX, y, width() - nameX, step, toQColor(*ground));
            painter.setPen(colour ? toQColor(*colour) : text);
            const int baseline = y + metrics.ascent();
            painter.drawText(nameX, baseline,
                             QString::fromUtf8(name.data(), static_cast<int>(name.size())));
            if (entry.value) painter.drawText(valueColumn, baseline, QString::number(*entry.value));
            y += step;
        }
        return;
    }

    // Prices.
    draw({QStringLiteral("始値"), QString::number(bar.open)});
    draw({QStringLiteral("高値"), QString::number(bar.high)});
    draw({QStringLiteral("安値"), QString::number(bar.low)});
    std::optional<ColourRef> closeColour;
    if (before) closeColour = bar.close > before->close ? kRed : kBlue;
    draw({QStringLiteral("終値"), QString::number(bar.close), {}, {}, closeColour});
    Row change{QStringLiteral("前日比")};
    if (before && before->close != 0) {
        const int64_t diff = int64_t{bar.close} - before->close;
        change.value = QString::number(diff) + QStringLiteral(" / ") +
                       percentOf(diff, before->close, "%.2f%%");
        change.valueColour = diff < 1 ? kBlue : kRed;
    }
    draw(change);
    Row range{QStringLiteral("高安差"), {}, {}, {}, kGreen};
    if (bar.low != 0) {
        const int64_t spread = int64_t{bar.high} - bar.low;
        range.value = QString::number(spread) + QStringLiteral(" / ") +
                      percentOf(spread, bar.low, "%.2f%%") + QStringLiteral(" / ") +
                      QString::number(bar.rangeAverage);
    }
    draw(range);
    draw({QStringLiteral("出来高"), QString::number(bar.volume), {}, {}, kVolume});
    Row volumeChange{QStringLiteral("前日比")};
    if (before && before->volume != 0) {
        const int64_t diff = bar.volume - before->volume;
        const double percent =
            static_cast<double>(diff) * 100.0 / static_cast<double>(before->volume);
        volumeChange.value = QString::number(diff) +
                             (percent < 0 ? QStringLiteral("/") : QStringLiteral(" / ")) +
                             QString::asprintf("%.1f%%", percent);
        volumeChange.valueColour = percent > 0 ? kRed : kBlue;
    }
    draw(volumeChange);

    // The indicators of the screen shown in the indicator pane, framed.
    const OptionsRecord& options = workspace_.options();
    IndicatorLayout lay{0, std::max(1, +options.graphsPerScreen), 0};
    lay.screen = std::clamp(+options.indicatorScreen, 0, lay.screenCount() - 1);
    const int frameTop = y;
    y += kRowGap;
    const int psychPeriod =
        workspace_.analysisParameters.indicator(IndicatorParam::psychPeriod, workspace_.periodMode);
    for (int g = 0; g < lay.graphsPerScreen; ++g) {
        const int entry = lay.orderEntry(g);
        if (entry < 0 || options.indicatorOrder[entry] >= kIndicatorCount) continue;
        const auto id = static_cast<IndicatorId>(options.indicatorOrder[entry]);
        const IndicatorRowSpec& spec = kIndicatorRows[static_cast<int>(id)];
        Row row{QString::fromUtf8(spec.label)};
        row.indicator = true;
        const auto value = indicatorValue(id, bar);
        if (value) {
            if (id == IndicatorId::Psychological)
                row.value = psychPeriod == 0
                                ? QString()
                                : QStringLiteral("%1勝%2敗").arg(*value).arg(psychPeriod - *value);
            else if (spec.perMille)
                row.value = QString::asprintf("%.1f", static_cast<double>(*value) / 10.0);
            else
                row.value = QString::number(*value);
            if (id == IndicatorId::Roc) row.valueColour = rocColour(*value);
            if (before && !row.value.isEmpty()) {
                if (const auto previous = indicatorValue(id, *before))
                    row.mark = trendMark(*value, *previous);
            }
        }
        draw(row);
    }
    y += kRowGap;
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(1, frameTop, width() - 3, y - frameTop);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(2, frameTop + 1, width() - 3, y - frameTop);
    y += kRowGap;

    const int count = workspace_.series().count();
    if (state_.markerA >= 0 && state_.markerA < count) {
        const DailyBar& marker = bars[state_.markerA];
        draw(
            {QStringLiteral("基準日"), dateText(marker, QLatin1Char('-'), false), {}, kRed, kBlue});
        draw({QStringLiteral("経過日"), QString::number(k - state_.markerA), {}, kRed, kBlue});
        draw({QStringLiteral("変動率"),
              marker.close == 0
                  ? QString()
                  : percentOf(int64_t{bar.close} - marker.close, marker.close, "%.2f%%"),
              {},
              kRed,
              kBlue});
        return;
    }
    if (state_.clickedBar >= 0 && state_.clickedBar < count) {
        const DailyBar& clicked = bars[state_.clickedBar];
        draw({QStringLiteral("ﾋﾟﾎﾞｯﾄ")});
        for (const LevelEntry& level : pivotLevels(clicked.high, clicked.low, clicked.close))
            draw({QString::fromUtf8(level.name.data(), static_cast<int>(level.name.size())),
                  QString::number(*level.value)});
        return;
    }

    const auto& parameters = workspace_.analysisParameters;
    const PeriodMode period = workspace_.periodMode;
    const DailyBar* cloudBar = k >= kCloudLag ? &bars[k - kCloudLag] : nullptr;
    switch (static_cast<Overlay>(options.chartOverlay)) {
        case Overlay::MovingAverages:
            draw({QStringLiteral("長期"), priceOrEmpty(bar.maLong)});
            draw({QStringLiteral("中期"), priceOrEmpty(bar.maMid)});
            draw({QStringLiteral("短期"), priceOrEmpty(bar.maShort)});
            draw({QStringLiteral("長乖離"), deviation(bar.close, bar.maLong)});
            draw({QStringLiteral("中乖離"), deviation(bar.close, bar.maMid)});
            draw({QStringLiteral("短乖離"), deviation(bar.close, bar.maShort)});
            break;
        case Overlay::Ichimoku:
            draw({QStringLiteral("基準"), priceOrEmpty(bar.kijun),
                  before ? trendMark(bar.kijun, before->kijun) : QString()});
            draw({QStringLiteral("転換"), priceOrEmpty(bar.tenkan),
                  before ? trendMark(bar.tenkan, before->tenkan) : QString()});
            draw(
                {QStringLiteral("先行１"), cloudBar ? priceOrEmpty(cloudBar->senkou1) : QString()});
            draw(
                {QStringLiteral("先行２"), cloudBar ? priceOrEmpty(cloudBar->senkou2) : QString()});
            draw({QStringLiteral("基乖離"), deviation(bar.close, bar.kijun)});
            draw({QStringLiteral("転乖離"), deviation(bar.close, bar.tenkan)});
            break;
        case Overlay::Parabolic:
            draw({QStringLiteral("SAR"), priceOrEmpty(bar.sar)});
            draw({QStringLiteral("方向"),
                  bar.sarTrend != 0 ? QStringLiteral("下降") : QStringLiteral("上昇")});
            if (workspace_.displaySwitches.parabolicOnClose != 0)
                draw({QStringLiteral("バンド"), priceOrEmpty(bar.sarBand)});
            break;
        case Overlay::HlBand:
            draw({QStringLiteral("抵抗線"), priceOrEmpty(bar.hlHigh)});
            draw({QStringLiteral("中央線"), priceOrEmpty((int64_t{bar.hlHigh} + bar.hlLow) / 2)});
            draw({QStringLiteral("支持線"), priceOrEmpty(bar.hlLow)});
            break;
        case Overlay::Bollinger: {
            const BandLevels levels =
                bollingerLevels(bars, parameters.chart(ChartParam::bollingerPeriod, period), k);
            static const char* const kNames[] = {"－３σ", "－２σ", "－１σ", "中心",
                                                 "＋１σ", "＋２σ", "＋３σ"};
            for (int i = 6; i >= 0; --i)
                draw({QString::fromUtf8(kNames[i]), priceOrEmpty(levels[i])});
            break;
        }
        case Overlay::Envelope: {
            const int percent = parameters.chart(ChartParam::envelopePercent, period);
            const BandLevels levels = envelopeLevels(bars, percent, k);
            for (int i = 6; i >= 0; --i) {
                const int steps = i - 3;
                const QString label =
                    steps == 0 ? QStringLiteral("中心")
                               : QStringLiteral("%1%2％")
                                     .arg(steps > 0 ? QStringLiteral("＋") : QStringLiteral("－"))
                                     .arg(std::abs(steps) * percent);
                draw({label, priceOrEmpty(levels[i])});
            }
            break;
        }
        case Overlay::MaBand: {
            const int64_t percent = parameters.chart(ChartParam::maBandPercent, period);
            draw({QStringLiteral("MA上限"), priceOrEmpty(bar.maMid + bar.maMid * percent / 100)});
            draw({QStringLiteral("MA下限"), priceOrEmpty(bar.maMid - bar.maMid * percent / 100)});
            break;
        }
    }
    if (workspace_.displaySwitches.waveLineDays != 0)
        draw({QStringLiteral("波動線"), priceOrEmpty(bar.waveLine)});
}

}  // namespace tav::desktop
