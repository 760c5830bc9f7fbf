#pragma once

// Small drawing helpers the chart panes share.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QWidget>
#include <vector>

#include "settings/options_record.h"

namespace tav::desktop {

// Stored colours are 0x00BBGGRR.
inline QColor toQColor(ColourRef colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

// A pane's drawing is kept in device pixels so that it stays sharp on scaled screens.
inline bool cacheFits(const QImage& image, const QWidget& widget) {
    return !image.isNull() && image.devicePixelRatio() == widget.devicePixelRatioF() &&
           image.deviceIndependentSize().toSize() == widget.size();
}
inline void prepareCache(QImage& image, const QWidget& widget) {
    if (cacheFits(image, widget)) return;
    const qreal ratio = widget.devicePixelRatioF();
    image = QImage((QSizeF(widget.size()) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
}

// Collects the points of one line and draws the runs between breaks.
class PolylineBuilder {
  public:
    void add(int x, int y) { points_.emplace_back(x, y); }
    // Ends the current run; the next point starts a new one.
    void breakLine(QPainter& painter) {
        flush(painter);
        points_.clear();
    }
    void finish(QPainter& painter) { breakLine(painter); }
    void reserve(std::size_t n) { points_.reserve(n); }

  private:
    void flush(QPainter& painter) {
        if (points_.size() >= 2)
            painter.drawPolyline(points_.data(), static_cast<int>(points_.size()));
        else if (points_.size() == 1)
            painter.drawPoint(points_.front());
    }
    std::vector<QPoint> points_;
};

// A one-pixel-wide pen without antialiasing: drawn pixels are the geometry's rows.
inline QPen thinPen(ColourRef colour, int width = 1) {
    QPen pen(toQColor(colour));
    pen.setWidth(width);
    return pen;
}

}  // namespace tav::desktop
