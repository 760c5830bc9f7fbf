#include "chart/indicator_pane.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cstdlib>

#include "chart/pane_painting.h"
#include "chart/warm_up.h"
#include "window/ui_font.h"
#include "workspace/workspace.h"

namespace tav::desktop {

namespace {

constexpr int kUndefinedDeviation = -10000;
constexpr int kCaptionX = 4;

using Value = std::optional<int64_t>;  // nothing ends the line

// One graph position of one paint.
struct GraphFrame {
    std::span<const DailyBar> bars;
    BarAxis axis;
    int g;
    int u;
    bool inverted;
    bool turnMarks;
    const OptionsRecord& options;

    int newest() const { return axis.endCount - 1; }
    int oldest() const { return axis.oldestVisibleBar(); }
    ColourRef line(int n) const {
        return options.colour(
            static_cast<ColourIndex>(static_cast<int>(ColourIndex::indicatorLine1) + n));
    }
};

// A line from the newest visible bar leftwards until `value` gives nothing,
// with the turning marks of `marks` on it.
template <typename ValueOf, typename RowOf>
void drawGraphLine(QPainter& painter, const GraphFrame& f, int line, ValueOf value, RowOf row,
                   std::optional<TurnMarkSlot> marks = std::nullopt) {
    painter.setPen(thinPen(f.line(line)));
    PolylineBuilder polyline;
    struct Mark {
        int x, y;
        uint8_t kind;
    };
    std::vector<Mark> dots;
    for (int k = f.newest(); k >= f.oldest(); --k) {
        const Value v = value(f.bars[k]);
        if (!v) break;
        const int x = f.axis.x(k);
        const int y = row(*v);
        polyline.add(x, y);
        if (marks && f.turnMarks) {
            const uint8_t kind = f.bars[k].turnMarks[static_cast<int>(*marks)];
            if (kind == 1 || kind == 2) dots.push_back({x, y, kind});
        }
    }
    polyline.finish(painter);
    if (dots.empty()) return;
    painter.save();
    painter.setPen(Qt::NoPen);
    for (const Mark& dot : dots) {
        const bool up = (dot.kind == 1) != f.inverted;
        painter.setBrush(
            toQColor(f.options.colour(up ? ColourIndex::turnUp : ColourIndex::turnDown)));
        painter.drawEllipse(QPoint(dot.x, dot.y), 4, 4);
    }
    painter.restore();
}

// Largest magnitude of a slot over the visible bars; `stop` ends the scan.
template <typename ValueOf>
int64_t largestMagnitude(const GraphFrame& f, ValueOf value) {
    int64_t largest = 0;
    for (int k = f.newest(); k >= f.oldest(); --k) {
        const Value v = value(f.bars[k]);
        if (!v) break;
        largest = std::max(largest, std::abs(*v));
    }
    return largest;
}

struct Periods {
    const AnalysisParameters& parameters;
    PeriodMode period;
    int operator()(IndicatorParam param) const { return parameters.indicator(param, period); }
};

QString caption(const char* name, int period) {
    return QString::fromUtf8(name) + QStringLiteral("（%1）").arg(period);
}

// Draws the indicator and returns its caption lines.
std::vector<QString> drawIndicator(QPainter& painter, const GraphFrame& f, IndicatorId id,
                                   const Periods& periods, int64_t meanVolume) {
    using P = IndicatorParam;
    const int g = f.g;
    const int u = f.u;
    const bool inv = f.inverted;
    auto perMille = [&](int64_t v) { return indicator_y::perMille(g, u, v); };
    auto rciRow = [&](int64_t v) { return indicator_y::rci(g, u, v); };
    // Slots that are negative before they are defined.
    auto oscillator = [inv](auto slot) {
        return [inv, slot](const DailyBar& b) -> Value {
            const int64_t v = b.*slot;
            if (v < 0) return std::nullopt;
            return inv ? 1000 - v : v;
        };
    };
    auto perMilleSlot = [inv](auto slot) {
        return [inv, slot](const DailyBar& b) -> Value {
            const int64_t v = b.*slot;
            return inv ? 1000 - v : v;
        };
    };
    auto signedSlot = [inv](auto slot) {
        return [inv, slot](const DailyBar& b) -> Value {
            const int64_t v = b.*slot;
            return inv ? -v : v;
        };
    };
    // Slots that hold partial values (or 0) before bar `first`: the line
    // ends there rather than dropping to the graph's floor.
    auto from = [&f](int first, auto value) {
        return [&f, first, value](const DailyBar& b) -> Value {
            if (&b - f.bars.data() < first) return std::nullopt;
            return value(b);
        };
    };

    switch (id) {
        case IndicatorId::Rsi:
            drawGraphLine(painter, f, 0, oscillator(&DailyBar::rsi), perMille, TurnMarkSlot::Rsi);
            return {caption("RSI", periods(P::rsiPeriod))};
        case IndicatorId::Rci:
            drawGraphLine(painter, f, 0, signedSlot(&DailyBar::rci), rciRow, TurnMarkSlot::Rci);
            return {caption("RCI", periods(P::rciPeriod))};
        case IndicatorId::Roc:
            drawGraphLine(
                painter, f, 0,
                from(warm_up::roc(periods(P::rocPeriod)),
                     [inv](const DailyBar& b) -> Value {
                         return inv ? 200 - b.roc : int64_t{b.roc};
                     }),
                [&](int64_t v) { return indicator_y::roc(g, u, v); }, TurnMarkSlot::Roc);
            return {caption("ROC", periods(P::rocPeriod))};
        case IndicatorId::Deviation: {
            auto deviation = [inv](auto slot) {
                return [inv, slot](const DailyBar& b) -> Value {
                    const int64_t v = b.*slot;
                    if (v == kUndefinedDeviation) return std::nullopt;
                    return inv ? -v : v;
                };
            };
            const int64_t scale = largestMagnitude(f, deviation(&DailyBar::deviationLong));
            if (scale != 0) {
                auto row = [&](int64_t v) { return indicator_y::centred(g, u, v, scale); };
                drawGraphLine(painter, f, 0, deviation(&DailyBar::deviationLong), row);
                drawGraphLine(painter, f, 1, deviation(&DailyBar::deviationMid), row);
            }
            return {QStringLiteral("乖離率（長－短）"), QStringLiteral("乖離率（中－短）")};
        }
        case IndicatorId::Stochastics: {
            const int n = periods(P::stochPeriod);
            const int m = periods(P::stochSlowPeriod);
            drawGraphLine(painter, f, 0,
                          from(warm_up::stochD(n, m), perMilleSlot(&DailyBar::stochD)), perMille);
            drawGraphLine(painter, f, 1,
                          from(warm_up::stochSlowD(n, m), perMilleSlot(&DailyBar::stochSlowD)),
                          perMille);
        }
            return {caption("ｽﾄｷｬｽﾃｨｸｽ", periods(P::stochPeriod)),
                    caption("slow", periods(P::stochSlowPeriod))};
        case IndicatorId::WilliamsR:
            drawGraphLine(
                painter, f, 0, oscillator(&DailyBar::williamsR),
                [&](int64_t v) { return indicator_y::williamsR(g, u, v); },
                TurnMarkSlot::WilliamsR);
            return {caption("Williams%R", periods(P::williamsPeriod))};
        case IndicatorId::Macd:
        case IndicatorId::MacdHistogram: {
            // Lines and scales start where the averages are seeded: before,
            // the stored MACD is the short average alone.
            const int firstMacd =
                warm_up::macd(periods(P::macdLongPeriod), periods(P::macdShortPeriod));
            const int firstSignal =
                warm_up::macdSignal(periods(P::macdLongPeriod), periods(P::macdShortPeriod),
                                    periods(P::macdSignalPeriod));
            const auto macd = from(firstMacd, signedSlot(&DailyBar::macd));
            const auto signal = from(firstSignal, signedSlot(&DailyBar::macdSignal));
            const auto histogram = from(firstSignal, [inv](const DailyBar& b) -> Value {
                const int64_t v = int64_t{b.macd} - b.macdSignal;
                return inv ? -v : v;
            });
            const int64_t m = largestMagnitude(f, macd);
            const int64_t d = largestMagnitude(f, histogram);
            if (id == IndicatorId::Macd) {
                if (m != 0) {
                    auto row = [&](int64_t v) { return indicator_y::centred(g, u, v, m); };
                    drawGraphLine(painter, f, 0, macd, row);
                    drawGraphLine(painter, f, 1, signal, row);
                }
                return {QStringLiteral("MACD（%1,%2）")
                            .arg(periods(P::macdShortPeriod))
                            .arg(periods(P::macdLongPeriod)),
                        caption("ｼｸﾞﾅﾙ", periods(P::macdSignalPeriod))};
            }
            if (m != 0 && d != 0) {
                painter.setPen(thinPen(f.line(0)));
                const int zero = indicator_y::centred(g, u, 0, d);
                for (int k = f.newest(); k >= std::max(f.oldest(), firstSignal); --k) {
                    const int x = f.axis.x(k);
                    painter.drawLine(x, zero, x,
                                     indicator_y::centred(g, u, *histogram(f.bars[k]), d));
                }
            }
            return {QStringLiteral("MACDﾋｽﾄｸﾞﾗﾑ（%1,%2,%3）")
                        .arg(periods(P::macdShortPeriod))
                        .arg(periods(P::macdLongPeriod))
                        .arg(periods(P::macdSignalPeriod))};
        }
        case IndicatorId::Dmi: {
            const int period = periods(P::dmiPeriod);
            drawGraphLine(painter, f, 0, perMilleSlot(&DailyBar::plusDi), perMille);
            drawGraphLine(painter, f, 1, perMilleSlot(&DailyBar::minusDi), perMille);
            drawGraphLine(painter, f, 2, perMilleSlot(&DailyBar::adx),
                          [&](int64_t v) { return indicator_y::adx(g, u, v); });
            return {caption("DMI(+DI)", period), caption("DMI(-DI)", period),
                    caption("ADX", period)};
        }
        case IndicatorId::Psychological: {
            const int period = periods(P::psychPeriod);
            // A period of 0 has no percentage to show.
            if (period != 0)
                drawGraphLine(
                    painter, f, 0,
                    [inv, period](const DailyBar& b) -> Value {
                        const int64_t up = inv ? period - b.psychUpCount : b.psychUpCount;
                        return up * 100 / period;
                    },
                    [&](int64_t v) { return indicator_y::percent(g, u, v); });
            return {caption("ｻｲｺﾛｼﾞｶﾙﾗｲﾝ", period)};
        }
        case IndicatorId::ForceIndex: {
            const int64_t scale = meanVolume > 1000 ? meanVolume / 10 : meanVolume;
            if (scale != 0)
                drawGraphLine(painter, f, 0, signedSlot(&DailyBar::forceIndex),
                              [&](int64_t v) { return indicator_y::centred(g, u, v, scale); });
            return {caption("勢力指数", periods(P::forceIndexPeriod))};
        }
        case IndicatorId::Vr:
            drawGraphLine(
                painter, f, 0, [](const DailyBar& b) -> Value { return b.vr; },
                [&](int64_t v) { return indicator_y::vr(g, u, v); });
            return {caption("VR", periods(P::vrPeriod))};
        case IndicatorId::WakoVr:
            drawGraphLine(painter, f, 0, signedSlot(&DailyBar::wakoVr), rciRow,
                          TurnMarkSlot::WakoVr);
            return {caption("和光VR", periods(P::wakoVrPeriod))};
        case IndicatorId::Pvr:
            drawGraphLine(
                painter, f, 0, signedSlot(&DailyBar::pvr),
                [&](int64_t v) { return indicator_y::pvr(g, u, v); }, TurnMarkSlot::Pvr);
            return {caption("PVR", periods(P::pvrPeriod))};
        case IndicatorId::MultiRsi:
            drawGraphLine(painter, f, 0, oscillator(&DailyBar::rsiShort), perMille);
            drawGraphLine(painter, f, 1, oscillator(&DailyBar::rsiMid), perMille);
            drawGraphLine(painter, f, 2, oscillator(&DailyBar::rsiLong), perMille);
            return {caption("RSI短期", periods(P::multiRsiShortPeriod)),
                    caption("RSI中期", periods(P::multiRsiMidPeriod)),
                    caption("RSI長期", periods(P::multiRsiLongPeriod))};
        case IndicatorId::MultiRci:
            drawGraphLine(painter, f, 0, signedSlot(&DailyBar::rciShort), rciRow);
            drawGraphLine(painter, f, 1, signedSlot(&DailyBar::rciMid), rciRow);
            drawGraphLine(painter, f, 2, signedSlot(&DailyBar::rciLong), rciRow);
            return {caption("RCI短期", periods(P::multiRciShortPeriod)),
                    caption("RCI中期", periods(P::multiRciMidPeriod)),
                    caption("RCI長期", periods(P::multiRciLongPeriod))};
        case IndicatorId::VlRsi:
            drawGraphLine(painter, f, 0, oscillator(&DailyBar::vlRsi), perMille,
                          TurnMarkSlot::VlRsi);
            return {caption("VLRSI", periods(P::vlRsiPeriod))};
    }
    return {};
}

void drawCaptions(QPainter& painter, const GraphFrame& f, const std::vector<QString>& lines,
                  int middle) {
    const QFontMetrics metrics(painter.font());
    const int n = metrics.height();
    int top = middle - static_cast<int>(lines.size()) * n / 2;
    // Each caption on its own patch of background: the graph's middle guide
    // line would otherwise strike through it.
    const QColor ground = toQColor(f.options.colour(ColourIndex::indicatorBackground));
    for (std::size_t i = 0; i < lines.size(); ++i, top += n) {
        const QString text = composedKana(lines[i]);
        painter.fillRect(kCaptionX - 2, top, metrics.horizontalAdvance(text) + 4, n, ground);
        painter.setPen(toQColor(f.line(static_cast<int>(i))));
        painter.drawText(kCaptionX, top + metrics.ascent(), text);
    }
}

}  // namespace

IndicatorPane::IndicatorPane(Workspace& workspace, ChartViewState& state, QWidget* parent)
    : QWidget(parent), workspace_(workspace), state_(state) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

BarAxis IndicatorPane::axis() const {
    const int count = workspace_.series().count();
    return BarAxis{width(), std::clamp(workspace_.options().barPitch, 1, kMaxPitch),
                   std::clamp(state_.endCount, 0, count)};
}

IndicatorLayout IndicatorPane::layout() const {
    const OptionsRecord& options = workspace_.options();
    IndicatorLayout layout{height(), std::max(1, +options.graphsPerScreen), 0};
    layout.screen = std::clamp(+options.indicatorScreen, 0, layout.screenCount() - 1);
    return layout;
}

std::optional<IndicatorId> IndicatorPane::indicatorAt(int g) const {
    const int entry = layout().orderEntry(g);
    if (entry < 0) return std::nullopt;
    const uint8_t id = workspace_.options().indicatorOrder[entry];
    if (id >= kIndicatorCount) return std::nullopt;
    return static_cast<IndicatorId>(id);
}

void IndicatorPane::setMirroredCursorX(int x) {
    if (x == mirroredX_) return;
    mirroredX_ = x;
    repaintOverlay();
}

void IndicatorPane::clearHover() {
    crosshair_.reset();
    state_.indicatorHoverBar = kNoBar;
    emit commandPosted(pane_command::kIndicatorHoverChanged);
    repaintOverlay();
}

void IndicatorPane::refresh() {
    image_ = QImage();
    update();
}

void IndicatorPane::renderGraphs() {
    prepareCache(image_, *this);
    const OptionsRecord& options = workspace_.options();
    image_.fill(toQColor(options.colour(ColourIndex::indicatorBackground)));
    QPainter painter(&image_);
    painter.setFont(font());
    const IndicatorLayout lay = layout();
    const int u = lay.unit();
    const int w = width();
    for (int k = 1; k <= lay.guideCount(); ++k) {
        const QColor guide = toQColor(options.colour(ColourIndex::indicatorGuide));
        painter.fillRect(0, lay.guideY(k), w, IndicatorLayout::guideIsThick(k) ? 2 : 1, guide);
    }

    const BarAxis a = axis();
    const int count = workspace_.series().count();
    if (a.visibleCount() <= 0 || u <= 0) return;
    if (state_.markerB >= 0 && state_.markerB < count)
        painter.setClipRect(0, 0, std::max(0, a.x(state_.markerB) + a.pitch / 2 + 1), height());

    const Periods periods{workspace_.analysisParameters, workspace_.periodMode};
    for (int g = 0; g < lay.graphsPerScreen; ++g) {
        const auto id = indicatorAt(g);
        if (!id) continue;
        const GraphFrame f{workspace_.series().bars,
                           a,
                           g,
                           u,
                           state_.inverted,
                           workspace_.displaySwitches.showTurnMarks != 0,
                           options};
        const std::vector<QString> lines =
            drawIndicator(painter, f, *id, periods, workspace_.analysis().values.meanVolume);
        drawCaptions(painter, f, lines, lay.graphMiddle(g));
    }
    if (state_.markerA >= 0 && state_.markerA < count) {
        painter.setPen(thinPen(options.colour(ColourIndex::crosshair)));
        painter.drawLine(a.x(state_.markerA), 0, a.x(state_.markerA), height());
    }
}

void IndicatorPane::paintEvent(QPaintEvent*) {
    if (!overlayOnlyPaint_ || !cacheFits(image_, *this)) renderGraphs();
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
    painter.setPen(toQColor(workspace_.options().colour(ColourIndex::crosshair)));
    if (mirroredX_ >= 0) painter.drawLine(mirroredX_, 0, mirroredX_, height());
    if (crosshair_) {
        painter.drawLine(0, crosshair_->y(), width(), crosshair_->y());
        painter.drawLine(crosshair_->x(), 0, crosshair_->x(), height());
    }
}

void IndicatorPane::resizeEvent(QResizeEvent*) {
    image_ = QImage();
}

void IndicatorPane::repaintOverlay() {
    if (image_.isNull() || !isVisible()) {
        update();
        return;
    }
    overlayOnlyPaint_ = true;
    repaint();
    overlayOnlyPaint_ = false;
}

void IndicatorPane::setHoverBar(int bar) {
    if (bar == state_.indicatorHoverBar) return;
    state_.indicatorHoverBar = bar;
    emit commandPosted(pane_command::kIndicatorHoverChanged);
}

void IndicatorPane::mouseMoveEvent(QMouseEvent* event) {
    crosshair_ = event->position().toPoint();
    repaintOverlay();
    emit commandPosted(pane_command::kIndicatorCrosshairMoved);
    setHoverBar(axis().barAt(crosshair_->x()));
}

void IndicatorPane::mousePressEvent(QMouseEvent* event) {
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
    const int bar = axis().barAt(event->position().toPoint().x());
    if (bar < 0) return;
    if (state_.clickMode == ClickMode::MarkerA) {
        state_.markerA = bar;
        emit commandPosted(pane_command::kIndicatorMarkerASet);
    } else if (state_.clickMode == ClickMode::MarkerB) {
        state_.markerB = bar;
        emit commandPosted(pane_command::kIndicatorMarkerBSet);
    }
}

void IndicatorPane::mouseDoubleClickEvent(QMouseEvent*) {
    emit commandPosted(pane_command::kBeforeClick);
    emit commandPosted(pane_command::kOpenDataFile);
}

void IndicatorPane::leaveEvent(QEvent*) {
    crosshair_.reset();
    repaintOverlay();
    emit commandPosted(pane_command::kIndicatorCrosshairMoved);
    setHoverBar(kNoBar);
}

}  // namespace tav::desktop
