#include "panes/note_pane.h"

#include <QMouseEvent>
#include <QPainter>

#include "quotes/quote_page.h"
#include "simulation/simulation_results.h"
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

NotePane::NotePane(Workspace& workspace, QWidget* parent) : QWidget(parent), workspace_(workspace) {
    setObjectName(QStringLiteral("NoteWindow"));
}

void NotePane::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && workspace_.strategyDisplayCurrent())
        emit commandPosted(kSummaryClicked);
}

void NotePane::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().button());
    const int pitch = fontMetrics().height() + 3;
    int y = fontMetrics().ascent() + 2;
    const ResultBlock& block = workspace_.strategyDisplay.results;
    if (workspace_.strategyDisplayCurrent()) {
        const int valueX = width() / 3 + 10;
        for (const NoteLine& line : noteLines(block)) {
            painter.drawText(0, y, QString::fromStdString(line.label));
            painter.drawText(valueX, y, QString::fromStdString(line.value));
            y += pitch;
        }
        return;
    }
    if (!workspace_.quoteInfo) return;
    for (const auto& [label, value] : companyLines(*workspace_.quoteInfo)) {
        painter.drawText(0, y, QString::fromStdString(label));
        y += pitch;
        painter.drawText(30, y, QString::fromStdString(value));
        y += pitch;
    }
}

}  // namespace tav::desktop
