#include "panes/row_scroll.h"

#include <QApplication>
#include <QEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>

namespace tav::desktop {

RowScroll::RowScroll(QWidget* pane) : QObject(pane), pane_(pane), bar_(new QScrollBar(pane)) {
    bar_->setObjectName(QStringLiteral("rowScroll"));
    bar_->setOrientation(Qt::Vertical);
    bar_->setFocusPolicy(Qt::NoFocus);
    bar_->hide();
    connect(bar_, &QScrollBar::valueChanged, pane_, [this] { pane_->update(); });
}

int RowScroll::fit(int contentHeight) {
    contentHeight_ = contentHeight;
    const int overflow = std::max(0, contentHeight - pane_->height());
    bar_->setRange(0, overflow);
    bar_->setPageStep(std::max(1, pane_->height()));
    bar_->setSingleStep(std::max(1, pane_->fontMetrics().height()));
    place();
    bar_->setVisible(overflow > 0);
    return bar_->value();
}

int RowScroll::contentWidth() const {
    return pane_->width() - (bar_->isVisible() ? bar_->width() : 0);
}

bool RowScroll::wheel(QWheelEvent* event) {
    if (!bar_->isVisible()) return false;
    QApplication::sendEvent(bar_, event);
    return true;
}

void RowScroll::place() {
    const int w = bar_->sizeHint().width();
    bar_->setGeometry(pane_->width() - w, 0, w, pane_->height());
}

}  // namespace tav::desktop
