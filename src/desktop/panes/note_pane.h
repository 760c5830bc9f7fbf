#pragma once

#include <QWidget>
#include <string>
#include <utility>
#include <vector>

#include "panes/row_scroll.h"

namespace tav {
class Workspace;
struct QuoteRecord;
}  // namespace tav

namespace tav::desktop {

// Label, then the fetched text, for each company figure of a quote.
std::vector<std::pair<std::string, std::string>> companyLines(const QuoteRecord& quote);

// The pane right of the indicator pane: the summary of the selected
// strategy's run over the security on the chart, else the company figures of
// its quote, else nothing.
class NotePane : public QWidget {
    Q_OBJECT
  public:
    explicit NotePane(Workspace& workspace, QWidget* parent = nullptr);

    // A click on a run's summary posts this to open the "損益" view.
    static constexpr int kSummaryClicked = 9101;
    // Rows past the bottom are reached with this bar (or the wheel).
    RowScroll& rowScroll() { return *scroll_; }

  signals:
    void commandPosted(int id);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    Workspace& workspace_;
    RowScroll* scroll_;
};

}  // namespace tav::desktop
