#pragma once

#include <QString>
#include <QWidget>
#include <atomic>

class QPushButton;

namespace tav::desktop {

// The progress of a batch run over the watchlist pane's entries: a 120 x 15
// bar filled in teal with the percentage in white, the status text in blue
// below it and a cancel button. A run on a worker thread drives it only
// through the *Posted signals, which reach the setters queued on the thread
// the panel lives on; it polls cancelRequested() between securities.
class BatchProgress : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kBarWidth = 120;
    static constexpr int kBarHeight = 15;

    explicit BatchProgress(QWidget* parent);

    // A run starts: shown, at 0 %, status cleared, cancel reset.
    void begin();
    // The run is over: hidden.
    void end();
    void setProgress(int done, int total);
    void setStatus(const QString& text);

    int percent() const { return percent_; }
    QString status() const { return status_; }
    bool cancelRequested() const { return cancel_.load(); }
    QPushButton* cancelButton() const { return cancelButton_; }

    // Height the panel needs for the bar and a line of status text with the
    // cancel button at its end.
    int preferredHeight() const;

  signals:
    void progressPosted(int done, int total);
    void statusPosted(const QString& text);
    // The user asked to stop; the run sees it through cancelRequested().
    void cancelled();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    int lineHeight() const;

    int percent_ = 0;
    QString status_;
    std::atomic<bool> cancel_{false};
    QPushButton* cancelButton_;
};

// 100 * done / total, at most 100; 0 without entries.
int progressPercent(int done, int total);

}  // namespace tav::desktop
