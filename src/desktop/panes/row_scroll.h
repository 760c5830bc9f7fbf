#pragma once

#include <QObject>

class QScrollBar;
class QWheelEvent;
class QWidget;

namespace tav::desktop {

// A vertical scroll bar for a pane that paints its rows itself: shown at the
// pane's right edge only while the rows run past its bottom, so that every
// row can be reached however small the pane is; the wheel scrolls it too.
class RowScroll : public QObject {
    Q_OBJECT
  public:
    explicit RowScroll(QWidget* pane);

    // Tells the height the rows take now (call before painting them); gives
    // the offset to paint them at, 0 while they fit.
    int fit(int contentHeight);
    int contentHeight() const { return contentHeight_; }
    // The pane's width left of the bar.
    int contentWidth() const;
    // Scrolls by the wheel; false while there is nothing to scroll.
    bool wheel(QWheelEvent* event);
    QScrollBar* bar() const { return bar_; }

  private:
    void place();

    QWidget* pane_;
    QScrollBar* bar_;
    int contentHeight_ = 0;
};

}  // namespace tav::desktop
