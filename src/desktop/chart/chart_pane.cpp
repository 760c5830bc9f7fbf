#include "chart/chart_pane.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <algorithm>

#include "analysis/bands.h"
#include "chart/pane_painting.h"
#include "chart/trend_lines.h"
#include "chart/warm_up.h"
#include "workspace/workspace.h"

namespace tav::desktop {

namespace {

constexpr ColourRef kProvisionalBackground = 0xFFFFDC;
constexpr int kPriceMarkRise = 30;
constexpr int kReadoutTop = 50;

// Everything one paint of the chart reads.
struct ChartFrame {
    std::span<const DailyBar> bars;
    BarAxis axis;
    PriceScale scale;
    const OptionsRecord& options;
    const ChartViewState& state;

    ColourRef colour(ColourIndex index) const { return options.colour(index); }
    // Rising and falling swap places when the chart is upside down.
    ColourRef swapIfInverted(ColourIndex normal, ColourIndex swapped) const {
        return colour(state.inverted ? swapped : normal);
    }
    int newest() const { return axis.endCount - 1; }
    int oldest() const { return axis.oldestVisibleBar(); }
};

// A line through one value per visible bar, newest first, down to firstBar.
// Bars for which `value` gives nothing are skipped.
template <typename Value>
void drawSeriesLine(QPainter& painter, const ChartFrame& f, ColourRef colour, Value value,
                    int firstBar = 0) {
    painter.setPen(thinPen(colour));
    PolylineBuilder line;
    line.reserve(f.axis.visibleCount());
    for (int k = f.newest(); k >= std::max(f.oldest(), firstBar); --k) {
        const std::optional<int64_t> v = value(f.bars[k]);
        if (v) line.add(f.axis.x(k), f.scale.priceY(*v));
    }
    line.finish(painter);
}

// An overlay price: 0 marks a line not yet defined on the oldest bars.
std::optional<int64_t> defined(int64_t v) {
    return v == 0 ? std::nullopt : std::optional<int64_t>(v);
}

void drawCandles(QPainter& painter, const ChartFrame& f) {
    const int h = candleHalfWidth(f.axis.pitch);
    for (int k = f.newest(); k >= f.oldest(); --k) {
        const DailyBar& bar = f.bars[k];
        const bool falling = bar.close < bar.open;
        const QColor outline = toQColor(
            falling ? f.swapIfInverted(ColourIndex::fallingOutline, ColourIndex::risingOutline)
                    : f.swapIfInverted(ColourIndex::risingOutline, ColourIndex::fallingOutline));
        const QColor body =
            toQColor(falling ? f.swapIfInverted(ColourIndex::fallingBody, ColourIndex::risingBody)
                             : f.swapIfInverted(ColourIndex::risingBody, ColourIndex::fallingBody));
        const int x = f.axis.x(k);
        const int yHigh = f.scale.priceY(bar.high);
        const int yLow = f.scale.priceY(bar.low);
        painter.fillRect(x, std::min(yHigh, yLow), 1, std::abs(yLow - yHigh) + 1, outline);
        const int yOpen = f.scale.priceY(bar.open);
        const int yClose = f.scale.priceY(bar.close);
        const int top = std::min(yOpen, yClose);
        const int tall = std::abs(yOpen - yClose);
        if (tall > 1) {
            painter.fillRect(x - h, top, 2 * h, tall, outline);
            if (2 * h > 2) painter.fillRect(x - h + 1, top + 1, 2 * h - 2, tall - 2, body);
        } else {
            painter.fillRect(x - h, yOpen, 2 * h, 1, outline);
        }
    }
}

void drawBarChart(QPainter& painter, const ChartFrame& f) {
    painter.setPen(thinPen(f.colour(ColourIndex::barChart), std::max(1, +f.options.barLineWidth)));
    for (int k = f.newest(); k >= f.oldest(); --k) {
        const DailyBar& bar = f.bars[k];
        const int x = f.axis.x(k);
        painter.drawLine(x, f.scale.priceY(bar.high), x, f.scale.priceY(bar.low));
        const int yOpen = f.scale.priceY(bar.open);
        const int yClose = f.scale.priceY(bar.close);
        painter.drawLine(x - 2, yOpen, x, yOpen);
        painter.drawLine(x + 2, yClose, x, yClose);
    }
}

void drawIchimoku(QPainter& painter, const ChartFrame& f, int kijunPeriod) {
    drawSeriesLine(painter, f, f.colour(ColourIndex::tenkan),
                   [](const DailyBar& b) { return defined(b.tenkan); });
    drawSeriesLine(painter, f, f.colour(ColourIndex::kijun),
                   [](const DailyBar& b) { return defined(b.kijun); });
    drawSeriesLine(painter, f, f.colour(ColourIndex::chikou),
                   [](const DailyBar& b) { return defined(b.chikou); });

    // The spans are stored on earlier bars and drawn ahead of them, up to
    // four bars right of the newest; source bars outside the series are skipped.
    const int shift = 2 * kijunPeriod - 2;
    const int count = static_cast<int>(f.bars.size());
    const int first = f.newest() + 4;
    const int last = first - (f.axis.visibleCount() + 4) + 1;
    PolylineBuilder span1;
    PolylineBuilder span2;
    struct Fill {
        int x, y1, y2;
        bool span2Below;
    };
    std::vector<Fill> fills;
    bool everySecond = true;
    for (int j = first; j >= last; --j, everySecond = !everySecond) {
        const int source = j - shift;
        if (source < 0 || source >= count || f.bars[source].senkou1 == 0) continue;
        const DailyBar& bar = f.bars[source];
        const int x = f.axis.x(j);
        const int y1 = f.scale.priceY(bar.senkou1);
        const int y2 = f.scale.priceY(bar.senkou2);
        span1.add(x, y1);
        span2.add(x, y2);
        if (everySecond) fills.push_back({x + 1, y1, y2, bar.senkou2 < bar.senkou1});
    }
    for (const Fill& fill : fills) {
        painter.setPen(
            thinPen(f.colour(fill.span2Below ? ColourIndex::senkou1 : ColourIndex::senkou2)));
        painter.drawLine(fill.x, fill.y1, fill.x, fill.y2);
    }
    painter.setPen(thinPen(f.colour(ColourIndex::senkou1)));
    span1.finish(painter);
    painter.setPen(thinPen(f.colour(ColourIndex::senkou2)));
    span2.finish(painter);
}

// Segments join neighbours of the same trend only; a reversal breaks the line.
template <typename Value>
void drawTrendBroken(QPainter& painter, const ChartFrame& f, Value value, bool fixedColour,
                     ColourRef centre) {
    for (int k = f.newest(); k > f.oldest(); --k) {
        const DailyBar& bar = f.bars[k];
        const DailyBar& before = f.bars[k - 1];
        if (bar.sarTrend != before.sarTrend) continue;
        const ColourRef colour =
            fixedColour ? centre
                        : (bar.sarTrend != 0 ? f.swapIfInverted(ColourIndex::parabolicFalling,
                                                                ColourIndex::parabolicRising)
                                             : f.swapIfInverted(ColourIndex::parabolicRising,
                                                                ColourIndex::parabolicFalling));
        painter.setPen(thinPen(colour));
        painter.drawLine(f.axis.x(k), f.scale.priceY(value(bar)), f.axis.x(k - 1),
                         f.scale.priceY(value(before)));
    }
}

void drawParabolic(QPainter& painter, const ChartFrame& f, bool onClose) {
    drawTrendBroken(
        painter, f, [](const DailyBar& b) { return int64_t{b.sar}; }, false, 0);
    if (!onClose) return;
    drawTrendBroken(
        painter, f, [](const DailyBar& b) { return int64_t{b.sarBand}; }, false, 0);
    drawTrendBroken(
        painter, f, [](const DailyBar& b) { return (int64_t{b.sar} + b.sarBand) / 2; }, true,
        f.colour(ColourIndex::parabolicCentre));
}

void drawBands(QPainter& painter, const ChartFrame& f, bool bollinger, int parameter) {
    // Seven levels per bar, computed once.
    const int visible = f.newest() - f.oldest() + 1;
    std::vector<BandLevels> levels(visible);
    for (int i = 0; i < visible; ++i) {
        const int k = f.newest() - i;
        levels[i] = bollinger ? bollingerLevels(f.bars, parameter, k)
                              : envelopeLevels(f.bars, parameter, k);
    }
    const ColourIndex centre =
        bollinger ? ColourIndex::bollingerCentre : ColourIndex::envelopeCentre;
    const ColourIndex outer = bollinger ? ColourIndex::bollingerOuter : ColourIndex::envelopeOuter;
    for (int level = 0; level < 7; ++level) {
        painter.setPen(thinPen(f.colour(level == 3 ? centre : outer)));
        PolylineBuilder line;
        for (int i = 0; i < visible; ++i) {
            const int k = f.newest() - i;
            const int64_t mid = bollinger ? f.bars[k].bollingerMid : f.bars[k].maMid;
            if (mid != 0) line.add(f.axis.x(k), f.scale.priceY(levels[i][level]));
        }
        line.finish(painter);
    }
}

void drawOverlay(QPainter& painter, const ChartFrame& f, const Workspace& workspace) {
    const auto& parameters = workspace.analysisParameters;
    const PeriodMode period = workspace.periodMode;
    switch (static_cast<Overlay>(f.options.chartOverlay)) {
        case Overlay::MovingAverages: {
            const auto first = [&](ChartParam param) {
                return warm_up::average(parameters.chart(param, period));
            };
            drawSeriesLine(
                painter, f, f.colour(ColourIndex::maMid),
                [](const DailyBar& b) { return defined(b.maMid); }, first(ChartParam::maMidPeriod));
            drawSeriesLine(
                painter, f, f.colour(ColourIndex::maLong),
                [](const DailyBar& b) { return defined(b.maLong); },
                first(ChartParam::maLongPeriod));
            drawSeriesLine(
                painter, f, f.colour(ColourIndex::maShort),
                [](const DailyBar& b) { return defined(b.maShort); },
                first(ChartParam::maShortPeriod));
            break;
        }
        case Overlay::Ichimoku:
            drawIchimoku(painter, f, parameters.chart(ChartParam::kijunPeriod, period));
            break;
        case Overlay::Parabolic:
            drawParabolic(painter, f, workspace.displaySwitches.parabolicOnClose != 0);
            break;
        case Overlay::HlBand:
            drawSeriesLine(painter, f, f.colour(ColourIndex::hlBandOuter),
                           [](const DailyBar& b) { return defined(b.hlHigh); });
            drawSeriesLine(painter, f, f.colour(ColourIndex::hlBandOuter),
                           [](const DailyBar& b) { return defined(b.hlLow); });
            drawSeriesLine(painter, f, f.colour(ColourIndex::hlBandCentre), [](const DailyBar& b) {
                return defined((int64_t{b.hlHigh} + b.hlLow) / 2);
            });
            break;
        case Overlay::Bollinger:
            drawBands(painter, f, true, parameters.chart(ChartParam::bollingerPeriod, period));
            break;
        case Overlay::Envelope:
            drawBands(painter, f, false, parameters.chart(ChartParam::envelopePercent, period));
            break;
        case Overlay::MaBand: {
            const int64_t percent = parameters.chart(ChartParam::maBandPercent, period);
            drawSeriesLine(painter, f, f.colour(ColourIndex::maBandCentre),
                           [](const DailyBar& b) { return defined(b.maMid); });
            for (int sign : {1, -1})
                drawSeriesLine(painter, f, f.colour(ColourIndex::maBandOuter),
                               [&](const DailyBar& b) {
                                   return defined(b.maMid + sign * (b.maMid * percent / 100));
                               });
            break;
        }
    }
}

void drawPriceMarks(QPainter& painter, const ChartFrame& f, int width) {
    const QFontMetrics metrics(painter.font());
    const DailyBar& newest = f.bars[f.newest()];
    int64_t highest = newest.close;
    for (int k = f.newest(); k > f.newest() - 5 && k >= 0; --k)
        highest = std::max<int64_t>(highest, f.bars[k].close);
    // While the signal strip is shown no mark may run into it.
    const auto clearOfStrip = [&](int baseline) {
        return f.state.strategyShown ? std::max(baseline, kSignalStripHeight + metrics.ascent() + 1)
                                     : baseline;
    };
    int y = f.scale.priceY(highest) - kPriceMarkRise;
    if (y > 40 && y < 60) y += 20;
    const QString close = QString::number(newest.close);
    painter.setPen(toQColor(f.swapIfInverted(ColourIndex::risingBody, ColourIndex::fallingBody)));
    painter.drawText(width - metrics.horizontalAdvance(close), clearOfStrip(y), close);

    const QColor top =
        toQColor(f.swapIfInverted(ColourIndex::risingBody, ColourIndex::fallingBody));
    const QColor bottom =
        toQColor(f.swapIfInverted(ColourIndex::fallingBody, ColourIndex::risingBody));
    bool started = false;
    for (int k = f.newest(); k >= f.oldest(); --k) {
        const DailyBar& bar = f.bars[k];
        started = started || bar.turnConfirmed != 0;
        if (!started || bar.turnMark == 0) continue;
        const QString text = QString::number(bar.close);
        const int x = f.axis.x(k) - metrics.horizontalAdvance(text) / 2;
        const int yClose = f.scale.priceY(bar.close);
        painter.setPen(bar.turnMark > 0 ? top : bottom);
        painter.drawText(
            x, clearOfStrip(bar.turnMark > 0 ? yClose - 25 : yClose + 10 + metrics.ascent()), text);
    }
}

void drawVolume(QPainter& painter, const ChartFrame& f, int width, int64_t volumeGuide,
                const Workspace& workspace) {
    painter.setPen(thinPen(f.colour(ColourIndex::volumeGuide)));
    const int guideY = f.scale.volumeY(volumeGuide);
    painter.drawLine(0, guideY, width, guideY);

    const int lineWidth = std::max(1, +f.options.volumeLineWidth);
    const QColor volume = toQColor(f.colour(ColourIndex::volumeBars));
    for (int k = f.newest(); k >= f.oldest(); --k) {
        const int top = f.scale.volumeY(f.bars[k].volume);
        const int left = f.axis.x(k) - (lineWidth - 1) / 2;
        if (top < f.scale.bottomY)
            painter.fillRect(left, top, lineWidth, f.scale.bottomY - top, volume);
    }
    struct Average {
        ColourIndex colour;
        int64_t DailyBar::*slot;
        ChartParam period;
    };
    for (const Average average :
         {Average{ColourIndex::volumeMaShort, &DailyBar::volumeMaShort,
                  ChartParam::volumeMaShortPeriod},
          Average{ColourIndex::volumeMaLong, &DailyBar::volumeMaLong,
                  ChartParam::volumeMaLongPeriod}}) {
        const auto slot = average.slot;
        const int first = warm_up::average(
            workspace.analysisParameters.chart(average.period, workspace.periodMode));
        painter.setPen(thinPen(f.colour(average.colour)));
        PolylineBuilder line;
        for (int k = f.newest(); k >= std::max(f.oldest(), first); --k)
            line.add(f.axis.x(k), f.scale.volumeY(2 * (f.bars[k].*slot)));
        line.finish(painter);
    }
}

void drawMargin(QPainter& painter, const ChartFrame& f) {
    if (f.scale.marginMax == 0) return;
    for (auto [index, slot] : {std::pair{ColourIndex::marginBuy, &DailyBar::marginBuy},
                               std::pair{ColourIndex::marginSell, &DailyBar::marginSell}}) {
        painter.setPen(thinPen(f.colour(index)));
        PolylineBuilder line;
        for (int k = f.newest(); k >= f.oldest(); --k)
            line.add(f.axis.x(k), f.scale.marginY(f.bars[k].*slot));
        line.finish(painter);
    }
    // Which line is which, at the top left of the volume area.
    const QFontMetrics metrics(painter.font());
    int x = 4;
    const int baseline = f.scale.bottomY - kVolumeHeight + metrics.ascent() + 1;
    for (auto [index, name] :
         {std::pair{ColourIndex::marginBuy, "買残"}, std::pair{ColourIndex::marginSell, "売残"}}) {
        const QString text = QString::fromUtf8(name);
        painter.setPen(toQColor(f.colour(index)));
        painter.drawText(x, baseline, text);
        x += metrics.horizontalAdvance(text) + 8;
    }
}

QPolygon upTriangle(const QRect& box) {
    return QPolygon({QPoint(box.center().x(), box.top()), QPoint(box.right(), box.bottom()),
                     QPoint(box.left(), box.bottom())});
}
QPolygon downTriangle(const QRect& box) {
    return QPolygon({QPoint(box.left(), box.top()), QPoint(box.right(), box.top()),
                     QPoint(box.center().x(), box.bottom())});
}

// The selected strategy's trades, from the bars' trade slots.
void drawSignalStrip(QPainter& painter, const ChartFrame& f) {
    const QColor r = toQColor(f.colour(ColourIndex::risingBody));
    const QColor fall = toQColor(f.colour(ColourIndex::fallingBody));
    const QColor ground = toQColor(f.colour(ColourIndex::priceGuide));
    const QFontMetrics metrics(painter.font());
    LabelRow numbers;
    LabelRow amounts;
    for (int k = f.newest(); k >= f.oldest(); --k) {
        const DailyBar& bar = f.bars[k];
        if (bar.tradeMark == 0) continue;
        const int x = f.axis.x(k);
        const QRect upper(QPoint(x - 3, 14), QPoint(x + 3, 20));
        const QRect lower(QPoint(x - 3, 21), QPoint(x + 3, 27));
        auto frame = [&](const QRect& box, const QColor& c) {
            painter.setPen(c);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(box.adjusted(0, 0, -1, -1));
        };
        auto triangle = [&](const QPolygon& shape, const QColor& c) {
            painter.setPen(c);
            painter.setBrush(Qt::NoBrush);
            painter.drawPolygon(shape);
        };
        const bool second = bar.tradeReentry != 0;
        switch (bar.tradeMark) {
            case 1:
                if (second) {
                    triangle(upTriangle(upper), r);
                    frame(lower, fall);
                } else {
                    triangle(upTriangle(lower), r);
                }
                break;
            case 2:
                if (second) {
                    triangle(downTriangle(lower), fall);
                    frame(upper, r);
                } else {
                    triangle(downTriangle(upper), fall);
                }
                break;
            case 3:
                frame(upper, r);
                break;
            case 4:
                frame(lower, fall);
                break;
            case 5:
                painter.fillRect(upper, r);
                break;
            case 6:
                painter.fillRect(lower, fall);
                break;
            case 11:
                triangle(upTriangle(lower), r);
                frame(upper, r);
                break;
            case 12:
                triangle(downTriangle(upper), fall);
                frame(lower, fall);
                break;
            default:
                break;
        }
        const QString number =
            bar.tradeUnits == 0 ? QStringLiteral("*") : QString::number(bar.tradeUnits);
        const QRect numberBox(x - 2, 30, metrics.horizontalAdvance(number), metrics.height());
        if (numbers.take(numberBox.left(), numberBox.left() + numberBox.width())) {
            painter.fillRect(numberBox, ground);
            painter.setPen(fall);
            painter.drawText(numberBox, Qt::AlignLeft | Qt::AlignTop, number);
        }
        if (bar.tradePerShare != 0) {
            const QString amount = QString::number(bar.tradePerShare);
            const int w = metrics.horizontalAdvance(amount);
            if (amounts.take(x - w / 2, x - w / 2 + w)) {
                painter.setPen(bar.tradePerShare < 0 ? r : fall);
                painter.drawText(QRect(x - w / 2, 2, w, metrics.height()),
                                 Qt::AlignLeft | Qt::AlignTop, amount);
            }
        }
    }
}

// Stored lines are drawn by XOR with background ^ trend-line colour, so they
// show in the trend-line colour on the background.
void drawTrendLines(QPainter& painter, const ChartFrame& f, const std::vector<TrendLine>& lines) {
    if (lines.empty()) return;
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(
        thinPen(f.colour(ColourIndex::chartBackground) ^ f.colour(ColourIndex::trendLine)));
    for (const TrendLine& line : lines)
        if (auto segment = placeTrendLine(f.bars, f.axis, line))
            painter.drawLine(segment->x1, segment->y1, segment->x2, segment->y2);
    painter.restore();
}

}  // namespace

ChartPane::ChartPane(Workspace& workspace, ChartViewState& state, QWidget* parent)
    : QWidget(parent), workspace_(workspace), state_(state) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

BarAxis ChartPane::axis() const {
    const int count = workspace_.series().count();
    return BarAxis{width(), std::clamp(workspace_.options().barPitch, 1, kMaxPitch),
                   std::clamp(state_.endCount, 0, count)};
}

PriceScale ChartPane::scale() const {
    return computePriceScale(workspace_.series().bars, axis(), height(),
                             {state_.fixedScale, state_.inverted, state_.strategyShown});
}

void ChartPane::setMirroredCursorX(int x) {
    if (x == mirroredX_) return;
    mirroredX_ = x;
    repaintOverlay();
}

void ChartPane::clearHover() {
    crosshair_.reset();
    state_.chartHoverBar = kNoBar;
    emit commandPosted(pane_command::kChartHoverChanged);
    repaintOverlay();
}

void ChartPane::refresh() {
    image_ = QImage();
    update();
}

void ChartPane::renderChart() {
    prepareCache(image_, *this);
    const OptionsRecord& options = workspace_.options();
    image_.fill(toQColor(options.colour(ColourIndex::chartBackground)));
    const BarAxis a = axis();
    if (a.endCount <= 0 || a.visibleCount() <= 0) return;

    const ChartFrame f{workspace_.series().bars, a, scale(), options, state_};
    QPainter painter(&image_);
    painter.setFont(font());
    const int w = width();
    const int h = height();
    const int count = workspace_.series().count();

    if (state_.markerB >= 0 && state_.markerB < count)
        painter.setClipRect(0, 0, std::max(0, a.x(state_.markerB) + a.pitch / 2 + 1), h);

    if (state_.strategyShown)
        painter.fillRect(0, 0, w, kSignalStripHeight, toQColor(f.colour(ColourIndex::priceGuide)));
    const QRect future(a.rightX(), 0, w - a.rightX(), h);
    if (state_.inverted || workspace_.splitAdjusted)
        painter.fillRect(future, toQColor(f.colour(ColourIndex::priceGuide)));
    else if (a.endCount == count && f.bars[a.endCount - 1].provisional != 0)
        painter.fillRect(future, toQColor(kProvisionalBackground));

    if (f.scale.hasPriceArea()) {
        painter.setPen(thinPen(f.colour(ColourIndex::priceGuide)));
        for (const GuideLine& guide : f.scale.guides)
            painter.drawLine(0, guide.y, w, guide.y);

        switch (static_cast<PriceStyle>(options.priceStyle)) {
            case PriceStyle::Line:
                drawSeriesLine(painter, f, f.colour(ColourIndex::lineChart),
                               [](const DailyBar& b) { return std::optional<int64_t>(b.close); });
                break;
            case PriceStyle::Bars:
                drawBarChart(painter, f);
                break;
            case PriceStyle::Candles:
                drawCandles(painter, f);
                break;
        }
        // Bands reach far beyond the closes the scale spans: they stay
        // above the volume area (and below the signal strip).
        painter.save();
        const int plotTop = state_.strategyShown ? kSignalStripHeight : 0;
        painter.setClipRect(QRect(0, plotTop, w, f.scale.baseY + 1 - plotTop),
                            painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
        if (workspace_.displaySwitches.waveLineDays != 0)
            drawSeriesLine(painter, f, f.colour(ColourIndex::trendLine),
                           [](const DailyBar& b) { return defined(b.waveLine); });
        drawOverlay(painter, f, workspace_);
        painter.restore();
        if (workspace_.analysisParameters.chart(ChartParam::spTurnPercent, workspace_.periodMode) !=
            0)
            drawPriceMarks(painter, f, w);
    }

    drawVolume(painter, f, w, workspace_.analysis().values.volumeGuide, workspace_);
    if (state_.marginShown) drawMargin(painter, f);
    if (state_.markerA >= 0 && state_.markerA < count) {
        painter.setPen(thinPen(f.colour(ColourIndex::crosshair)));
        painter.drawLine(a.x(state_.markerA), 0, a.x(state_.markerA), h);
    }
    if (state_.strategyShown) drawSignalStrip(painter, f);

    drawTrendLines(painter, f,
                   trendLines_.lines(trendLinePath(workspace_.folder(), workspace_.series().code)));
}

void ChartPane::paintEvent(QPaintEvent*) {
    if (!overlayOnlyPaint_ || !cacheFits(image_, *this)) renderChart();
    QPainter painter(this);
    painter.drawImage(0, 0, image_);

    const OptionsRecord& options = workspace_.options();
    const QColor crosshair = toQColor(options.colour(ColourIndex::crosshair));
    painter.setPen(crosshair);
    if (mirroredX_ >= 0) painter.drawLine(mirroredX_, 0, mirroredX_, height());
    if (rubberStart_ && rubberEnd_) {
        painter.setPen(toQColor(options.colour(ColourIndex::trendLine)));
        painter.drawLine(*rubberStart_, *rubberEnd_);
    }
    if (!crosshair_) return;
    painter.setPen(crosshair);
    painter.drawLine(0, crosshair_->y(), width(), crosshair_->y());
    painter.drawLine(crosshair_->x(), 0, crosshair_->x(), height());

    const PriceScale s = scale();
    const auto& bars = workspace_.series().bars;
    if (!s.hasPriceArea() || bars.empty()) return;
    const BarAxis a = axis();
    const int tickBar = state_.chartHoverBar >= 0 ? state_.chartHoverBar : a.newestBar();
    const QString readout = QString::number(crosshairPrice(s, crosshair_->y(), bars, tickBar));
    const QFontMetrics metrics(font());
    const int right =
        (state_.chartHoverBar >= 0 ? a.x(state_.chartHoverBar) : crosshair_->x()) + a.pitch / 2;
    const int blank = metrics.horizontalAdvance(QString(15, QLatin1Char(' ')));
    const QRect spot(right - blank, kReadoutTop, blank, metrics.height());
    painter.fillRect(spot, toQColor(options.colour(ColourIndex::chartBackground)));
    painter.setPen(toQColor(options.colour(ColourIndex::risingBody)));
    painter.drawText(spot, Qt::AlignRight | Qt::AlignTop, readout);
}

void ChartPane::resizeEvent(QResizeEvent*) {
    image_ = QImage();
}

void ChartPane::repaintOverlay() {
    if (image_.isNull() || !isVisible()) {
        update();
        return;
    }
    overlayOnlyPaint_ = true;
    repaint();
    overlayOnlyPaint_ = false;
}

void ChartPane::setHoverBar(int bar) {
    if (bar == state_.chartHoverBar) return;
    state_.chartHoverBar = bar;
    emit commandPosted(pane_command::kChartHoverChanged);
}

void ChartPane::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (rubberStart_ && (event->buttons() & Qt::LeftButton)) {
        rubberEnd_ = point;
        repaintOverlay();
        return;
    }
    crosshair_ = point;
    repaintOverlay();
    emit commandPosted(pane_command::kChartCrosshairMoved);
    setHoverBar(axis().barAt(point.x()));
}

void ChartPane::mousePressEvent(QMouseEvent* event) {
    emit commandPosted(pane_command::kBeforeClick);
    if (event->button() == Qt::RightButton) {
        emit commandPosted(pane_command::kRightClick);
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    if (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) {
        emit commandPosted(pane_command::kOpenDataFile);
        return;
    }
    const QPoint point = event->position().toPoint();
    const BarAxis a = axis();
    const int bar = a.barAt(point.x());
    switch (state_.clickMode) {
        case ClickMode::TrendLine:
            rubberStart_ = point;
            rubberEnd_.reset();
            break;
        case ClickMode::MarkerA:
            if (bar >= 0) {
                state_.markerA = bar;
                emit commandPosted(pane_command::kChartMarkerASet);
            }
            break;
        case ClickMode::MarkerB:
            if (bar >= 0) {
                state_.markerB = bar;
                emit commandPosted(pane_command::kChartMarkerBSet);
            }
            break;
        case ClickMode::None:
            if (bar >= 0) {
                state_.clickedBar = bar;
                emit commandPosted(pane_command::kBarClicked);
            }
            break;
    }
}

void ChartPane::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !rubberStart_) return;
    const QPoint start = *rubberStart_;
    const QPoint end = event->position().toPoint();
    rubberStart_.reset();
    rubberEnd_.reset();
    const auto line = trendLineFromPoints(workspace_.series().bars, axis(), start.x(), start.y(),
                                          end.x(), end.y());
    if (line)
        trendLines_.append(trendLinePath(workspace_.folder(), workspace_.series().code), *line);
    refresh();
}

void ChartPane::deleteTrendLines(bool all) {
    const std::string path = trendLinePath(workspace_.folder(), workspace_.series().code);
    all ? trendLines_.deleteAll(path) : trendLines_.deleteNewest(path);
}

void ChartPane::mouseDoubleClickEvent(QMouseEvent*) {
    emit commandPosted(pane_command::kBeforeClick);
    emit commandPosted(pane_command::kOpenDataFile);
}

void ChartPane::leaveEvent(QEvent*) {
    crosshair_.reset();
    repaintOverlay();
    emit commandPosted(pane_command::kChartCrosshairMoved);
    setHoverBar(kNoBar);
}

}  // namespace tav::desktop
