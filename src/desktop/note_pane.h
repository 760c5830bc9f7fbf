#pragma once

#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tav {
class Workspace;
struct QuoteRecord;
}  // namespace tav

namespace tav::desktop {

// The values of a simulation's result block the summary shows.
struct SimulationSummary {
    int64_t capital = 0;
    int barsProcessed = 0;
    int trades = 0;
    int wins = 0;
    int64_t averageWin = 0;
    int64_t averageLoss = 0;
    int64_t averageProfit = 0;
    int64_t maxProfit = 0;
    int64_t maxLoss = 0;
    double profitFactor = 0;
    int64_t totalProfit = 0;
    int64_t totalCommission = 0;
    int64_t tax = 0;
    int64_t equity = 0;
    int64_t entryPrice = 0;
    int units = 0;
    int64_t openPerShare = 0;
    int64_t openProfit = 0;
};

// "%d" with a "," before every group of three digits: -1,234,567.
std::string groupedAmount(int64_t value);

// (label, value) lines of the summary.
std::vector<std::pair<std::string, std::string>> summaryLines(const SimulationSummary& summary);

// Label, then the fetched text, for each company figure of a quote.
std::vector<std::pair<std::string, std::string>> companyLines(const QuoteRecord& quote);

// The pane right of the indicator pane: the simulation summary of the
// security on the chart, else its company figures, else nothing.
class NotePane : public QWidget {
    Q_OBJECT
  public:
    NotePane(Workspace& workspace, QWidget* parent = nullptr);

    void setSummary(std::optional<SimulationSummary> summary);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Workspace& workspace_;
    std::optional<SimulationSummary> summary_;
};

}  // namespace tav::desktop
