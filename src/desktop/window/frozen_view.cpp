#include "window/frozen_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace tav::desktop {

FrozenView::FrozenView(QWidget* window) : QWidget(window) {
    setObjectName(QStringLiteral("frozenView"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    hide();
}

void FrozenView::cover() {
    QWidget* window = parentWidget();
    picture_ = window->grab();
    setGeometry(window->rect());
    show();
    raise();
    setFocus();
}

void FrozenView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // A window grown meanwhile shows the plain background beyond the picture.
    painter.fillRect(rect(), palette().button());
    painter.drawPixmap(0, 0, picture_);
}

void FrozenView::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void FrozenView::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void FrozenView::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

void FrozenView::wheelEvent(QWheelEvent* event) {
    event->accept();
}

void FrozenView::keyPressEvent(QKeyEvent* event) {
    event->accept();
}

}  // namespace tav::desktop
