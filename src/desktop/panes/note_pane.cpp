#include "panes/note_pane.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

#include "quotes/quote_page.h"
#include "simulation/simulation_results.h"
#include "window/ui_font.h"
#include "workspace/workspace.h"

namespace tav::desktop {

std::vector<std::pair<std::string, std::string>> companyLines(const QuoteRecord& quote) {
    static constexpr const char* kLabels[kQuoteTextCount] = {
        "時価総額",     "発行済株式数", "配当利回り",  "1株配当",      "株価収益率",
        "1株利益",      "純資産倍率",   "1株株主資本", "株主資本比率", "株主資本利益率",
        "総資産利益率", "調整1株益",    "決算年月"};
    std::vector<std::pair<std::string, std::string>> lines;
    for (std::size_t index = 0; index < kQuoteTextCount; ++index)
        lines.emplace_back(kLabels[index], quote.texts[index]);
    return lines;
}

NotePane::NotePane(Workspace& workspace, QWidget* parent)
    : QWidget(parent), workspace_(workspace), scroll_(new RowScroll(this)) {
    setObjectName(QStringLiteral("NoteWindow"));
}

void NotePane::wheelEvent(QWheelEvent* event) {
    if (!scroll_->wheel(event)) QWidget::wheelEvent(event);
}

void NotePane::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && workspace_.strategyDisplayCurrent())
        emit commandPosted(kSummaryClicked);
}

void NotePane::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().button());
    const QFontMetrics metrics = fontMetrics();
    const int pitch = metrics.height() + 3;
    const int top = metrics.ascent() + 2;
    const ResultBlock& block = workspace_.strategyDisplay.results;
    if (workspace_.strategyDisplayCurrent()) {
        const std::vector<NoteLine> lines = noteLines(block);
        const int offset = scroll_->fit(static_cast<int>(lines.size()) * pitch + 2);
        const int valueX = scroll_->contentWidth() / 3 + 10;
        int y = top - offset;
        for (const NoteLine& line : lines) {
            const QString label = composedKana(QString::fromStdString(line.label));
            painter.drawText(0, y, label);
            // A long label pushes its value right rather than under it.
            painter.drawText(std::max(valueX, metrics.horizontalAdvance(label) + 6), y,
                             composedKana(QString::fromStdString(line.value)));
            y += pitch;
        }
        return;
    }
    if (!workspace_.quoteInfo) {
        scroll_->fit(0);
        return;
    }
    // A figure beside its label where the pane is wide enough, else under it.
    const auto lines = companyLines(*workspace_.quoteInfo);
    const auto oneRow = [&](const QString& label, const QString& value) {
        return metrics.horizontalAdvance(label) + 10 + metrics.horizontalAdvance(value) <=
               scroll_->contentWidth();
    };
    int rows = 0;
    for (const auto& [label, value] : lines)
        rows += oneRow(QString::fromStdString(label), QString::fromStdString(value)) ? 1 : 2;
    const int offset = scroll_->fit(rows * pitch + 2);
    int y = top - offset;
    for (const auto& [labelText, valueText] : lines) {
        const QString label = QString::fromStdString(labelText);
        const QString value = QString::fromStdString(valueText);
        painter.drawText(0, y, label);
        if (oneRow(label, value)) {
            painter.drawText(scroll_->contentWidth() - metrics.horizontalAdvance(value), y, value);
        } else {
            y += pitch;
            painter.drawText(30, y, value);
        }
        y += pitch;
    }
}

}  // namespace tav::desktop
