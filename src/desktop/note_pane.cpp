#include "note_pane.h"

#include <QPainter>
#include <cstdio>

#include "quotes/quote_page.h"
#include "workspace.h"

namespace tav::desktop {

std::string groupedAmount(int64_t value) {
    std::string digits =
        std::to_string(value < 0 ? -static_cast<uint64_t>(value) : static_cast<uint64_t>(value));
    std::string grouped;
    for (std::size_t index = 0; index < digits.size(); ++index) {
        if (index > 0 && (digits.size() - index) % 3 == 0) grouped += ',';
        grouped += digits[index];
    }
    return value < 0 ? "-" + grouped : grouped;
}

namespace {

std::string percent(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.01f%%", value);
    return text;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> summaryLines(const SimulationSummary& s) {
    const double winRate = s.trades && s.wins ? s.wins * 100.0 / s.trades : 0.0;
    const int64_t net = s.totalProfit - s.tax - s.totalCommission;
    const auto ofCapital = [&](int64_t value) {
        return s.capital ? value * 100.0 / s.capital : 0.0;
    };
    char factor[32];
    std::snprintf(factor, sizeof factor, "%.02f", s.profitFactor);
    return {
        {"当初資金", groupedAmount(s.capital)},
        {"処理日数", std::to_string(s.barsProcessed)},
        {"取引数", std::to_string(s.trades) + " [勝 " + std::to_string(s.wins) + "]"},
        {"勝率", percent(winRate)},
        {"勝平均益", groupedAmount(s.averageWin)},
        {"負平均損", groupedAmount(s.averageLoss)},
        {"平均利益", groupedAmount(s.averageProfit)},
        {"最大利益", groupedAmount(s.maxProfit)},
        {"最大損失", groupedAmount(s.maxLoss)},
        {"損益比率", factor},
        {"粗利益", groupedAmount(s.totalProfit)},
        {"粗利益率", percent(ofCapital(s.totalProfit))},
        {"手数料", groupedAmount(s.totalCommission)},
        {"取引税", groupedAmount(s.tax)},
        {"純利益", groupedAmount(net)},
        {"純利益率", percent(ofCapital(net))},
        {"現資金", groupedAmount(s.equity - s.tax)},
        {"仕掛値", groupedAmount(s.entryPrice)},
        {"建玉数", std::to_string(s.units)},
        {"利幅", groupedAmount(s.openPerShare)},
        {"含み益", groupedAmount(s.openProfit)},
    };
}

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

void NotePane::setSummary(std::optional<SimulationSummary> summary) {
    summary_ = summary;
    update();
}

void NotePane::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().button());
    const int pitch = fontMetrics().height() + 3;
    int y = fontMetrics().ascent() + 2;
    if (summary_) {
        const int valueX = width() / 3 + 10;
        for (const auto& [label, value] : summaryLines(*summary_)) {
            painter.drawText(2, y, QString::fromStdString(label));
            painter.drawText(valueX, y, QString::fromStdString(value));
            y += pitch;
        }
        return;
    }
    if (!workspace_.quoteInfo) return;
    for (const auto& [label, value] : companyLines(*workspace_.quoteInfo)) {
        painter.drawText(2, y, QString::fromStdString(label));
        y += pitch;
        painter.drawText(30, y, QString::fromStdString(value));
        y += pitch;
    }
}

}  // namespace tav::desktop
