#include "chart/price_board.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

#include "chart/board_rows.h"
#include "chart/pane_painting.h"
#include "window/ui_font.h"
#include "workspace/workspace.h"

namespace tav::desktop {

namespace {

constexpr ColourRef kRed = 0x0000FF;
constexpr ColourRef kBlue = 0xFF0000;
constexpr ColourRef kGreen = 0x007F00;
constexpr ColourRef kMarkedGround = 0x808080;
constexpr ColourRef kRangeText = 0xE1E100;
constexpr ColourRef kOpenText = 0xFF80FF;
constexpr int kRowGap = 3;
constexpr int kIndicatorIndent = 3;

QString qText(std::string_view utf8) {
    return composedKana(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

struct LevelStyle {
    std::optional<ColourRef> text;
    std::optional<ColourRef> ground;
};

LevelStyle levelStyle(std::string_view name) {
    if (name == "HBOP" || name == "LBOP" || name == "PIVOT") return {kRed, {}};
    if (name == "S2" || name == "B2") return {kBlue, {}};
    if (name == "S1" || name == "B1") return {kGreen, {}};
    if (name == "前日高値" || name == "当日高値" || name == "前日安値" || name == "当日安値")
        return {kRangeText, kMarkedGround};
    if (name == "当日始値") return {kOpenText, kMarkedGround};
    return {};
}

}  // namespace

PriceBoard::PriceBoard(Workspace& workspace, ChartViewState& state, QWidget* parent)
    : QWidget(parent), workspace_(workspace), state_(state), scroll_(new RowScroll(this)) {}

void PriceBoard::wheelEvent(QWheelEvent* event) {
    if (!scroll_->wheel(event)) QWidget::wheelEvent(event);
}

int PriceBoard::fittingWidth(const QFontMetrics& metrics) {
    static const char* const kWidest[][2] = {{"日付", "2024/12/31(水)"},
                                             {"前日比", "-99999 / -99.99%"},
                                             {"高安差", "99999 / 99.99% / 99999"},
                                             {"出来高", "9999999999"},
                                             {"前日比", "-999999999/-999.9%"}};
    constexpr int kMargin = 6;
    int width = 0;
    for (const auto& [label, value] : kWidest) {
        const int valueWidth = metrics.horizontalAdvance(QString::fromUtf8(value)) + kMargin;
        const int labelWidth = metrics.horizontalAdvance(QString::fromUtf8(label)) + 4;
        // Values start at a third of the width, or after a longer label.
        width = std::max({width, labelWidth + valueWidth, (3 * valueWidth + 1) / 2});
    }
    return width;
}

int PriceBoard::shownBar() const {
    const int count = workspace_.series().count();
    const int last = std::min(state_.lastVisibleBar(), count - 1);
    for (int bar : {state_.chartHoverBar, state_.indicatorHoverBar, state_.clickedBar})
        if (bar >= 0 && bar <= last) return bar;
    return last >= 0 ? last : kNoBar;
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
    emit commandPosted(pane_command::kBeforeClick);
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
    const BoardRows rows = boardRows({bars, k, workspace_.options(), workspace_.analysisParameters,
                                      workspace_.periodMode, workspace_.displaySwitches,
                                      state_.markerA, state_.clickedBar});

    const QFontMetrics metrics(font());
    const int step = metrics.height() + kRowGap;
    const LevelList levels = levelListShown_ ? levelList(bars, k) : LevelList{};
    const int rowCount =
        1 + static_cast<int>(levelListShown_ ? levels.size()
                                             : rows.prices.size() + rows.indicators.size() +
                                                   rows.section.size());
    const int offset = scroll_->fit(rowCount * step + (levelListShown_ ? 0 : 3 * kRowGap));
    painter.translate(0, -offset);
    const int paneWidth = scroll_->contentWidth();
    const int valueX = paneWidth / 3;
    const int markX = 2 * paneWidth / 5;
    const QColor text = palette().color(QPalette::ButtonText);
    int y = 0;
    auto draw = [&](const BoardRow& row, int labelX) {
        const int baseline = y + metrics.ascent();
        painter.setPen(row.labelColour ? toQColor(*row.labelColour) : text);
        const QString label = qText(row.label);
        painter.drawText(labelX, baseline, label);
        // A long label or value pushes what follows right rather than under it.
        const int x = std::max(valueX, labelX + metrics.horizontalAdvance(label) + 4);
        const QString value = qText(row.value);
        painter.setPen(row.valueColour ? toQColor(*row.valueColour) : text);
        painter.drawText(x, baseline, value);
        if (!row.mark.empty()) {
            painter.setPen(toQColor(kRed));
            painter.drawText(std::max(markX, x + metrics.horizontalAdvance(value) + 2), baseline,
                             qText(row.mark));
        }
        y += step;
    };

    draw(rows.date, 0);
    if (levelListShown_) {
        const int nameX = valueX + 10;
        const int numberX = nameX + metrics.horizontalAdvance(QStringLiteral("前日高値 "));
        for (const LevelEntry& entry : levels) {
            const LevelStyle style = levelStyle(entry.name);
            if (style.ground)
                painter.fillRect(nameX, y, paneWidth - nameX, step, toQColor(*style.ground));
            painter.setPen(style.text ? toQColor(*style.text) : text);
            const int baseline = y + metrics.ascent();
            painter.drawText(nameX, baseline, qText(entry.name));
            if (entry.value) painter.drawText(numberX, baseline, QString::number(*entry.value));
            y += step;
        }
        return;
    }

    for (const BoardRow& row : rows.prices)
        draw(row, 0);
    const int frameTop = y;
    y += kRowGap;
    for (const BoardRow& row : rows.indicators)
        draw(row, kIndicatorIndent);
    y += kRowGap;
    // Etched frame: a dark line with a light one inside it.
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(0, frameTop, paneWidth - 2, y - frameTop);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(1, frameTop + 1, paneWidth - 2, y - frameTop);
    y += kRowGap;
    for (const BoardRow& row : rows.section)
        draw(row, 0);
}

}  // namespace tav::desktop
