#pragma once

#include <QPixmap>
#include <QWidget>

namespace tav::desktop {

// A still picture of the window laid over it while a worker owns the
// workspace: it paints only the picture and swallows the mouse and the keys,
// so nothing underneath reads or changes what the worker is writing.
class FrozenView : public QWidget {
    Q_OBJECT
  public:
    explicit FrozenView(QWidget* window);

    // Takes the picture of the window as it is now and covers it.
    void cover();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Tab would walk the focus into the widgets underneath.
    bool focusNextPrevChild(bool) override { return true; }

  private:
    QPixmap picture_;
};

}  // namespace tav::desktop
