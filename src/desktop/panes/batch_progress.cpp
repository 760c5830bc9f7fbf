#include "panes/batch_progress.h"

#include <QPainter>
#include <QPushButton>
#include <algorithm>

namespace tav::desktop {

int progressPercent(int done, int total) {
    if (total <= 0 || done <= 0) return 0;
    // 64 bits: done * 100 must not wrap for long lists.
    return static_cast<int>(std::min<int64_t>(100, int64_t{done} * 100 / total));
}

BatchProgress::BatchProgress(QWidget* parent)
    : QWidget(parent), cancelButton_(new QPushButton(QStringLiteral("中止"), this)) {
    setObjectName(QStringLiteral("batchProgress"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    cancelButton_->setFocusPolicy(Qt::NoFocus);
    connect(cancelButton_, &QPushButton::clicked, this, [this] {
        cancel_ = true;
        cancelButton_->setEnabled(false);
        emit cancelled();
    });
    // Queued even when emitted on this thread: a worker's reports arrive in
    // order, between the events of the user interface.
    connect(this, &BatchProgress::progressPosted, this, &BatchProgress::setProgress,
            Qt::QueuedConnection);
    connect(this, &BatchProgress::statusPosted, this, &BatchProgress::setStatus,
            Qt::QueuedConnection);
    hide();
}

namespace {
constexpr int kLineGap = 3;
}  // namespace

int BatchProgress::preferredHeight() const {
    return kBarHeight + kLineGap + lineHeight();
}

int BatchProgress::lineHeight() const {
    return fontMetrics().height() + 6;
}

void BatchProgress::resizeEvent(QResizeEvent*) {
    const int buttonWidth = fontMetrics().horizontalAdvance(cancelButton_->text()) + 14;
    cancelButton_->setGeometry(width() - buttonWidth, kBarHeight + kLineGap, buttonWidth,
                               lineHeight());
}

void BatchProgress::begin() {
    cancel_ = false;
    cancelButton_->setEnabled(true);
    percent_ = 0;
    status_.clear();
    show();
    raise();
    update();
}

void BatchProgress::end() {
    hide();
}

void BatchProgress::setProgress(int done, int total) {
    const int percent = progressPercent(done, total);
    if (percent == percent_) return;
    percent_ = percent;
    update();
}

void BatchProgress::setStatus(const QString& text) {
    if (text == status_) return;
    status_ = text;
    update();
}

void BatchProgress::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect frame(0, 0, kBarWidth, kBarHeight);
    // The unfilled part is dark enough for the white percentage to read.
    painter.fillRect(frame, palette().mid());
    const int filled = (kBarWidth - 2) * percent_ / 100;
    painter.fillRect(QRect(1, 1, filled, kBarHeight - 2), QColor(0x00, 0x7F, 0x7F));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    painter.setPen(Qt::white);
    painter.drawText(frame, Qt::AlignCenter, QStringLiteral("%1%").arg(percent_));

    painter.setPen(QColor(0x00, 0x00, 0xFF));
    const QRect line(2, kBarHeight + kLineGap, cancelButton_->x() - 4, lineHeight());
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, status_);
}

}  // namespace tav::desktop
