#include "window/chart_navigation.h"

#include <algorithm>

namespace tav::desktop {

void ChartNavigation::reset(int barCount) {
    count_ = std::max(barCount, 0);
    newest_ = count_ - 1;
    pagesBack_ = 0;
}

void ChartNavigation::setChartWidth(int width) {
    chartWidth_ = width;
    updateVisible();
}

void ChartNavigation::updateVisible() {
    visible_ = std::max(1, (chartWidth_ - kRightMargin) / pitch_ + 1);
}

int ChartNavigation::lowest() const {
    return std::min(visible_, count_ - 1);
}

bool ChartNavigation::scrollBack(int bars) {
    if (count_ == 0 || newest_ - bars < lowest()) return false;
    newest_ -= bars;
    return true;
}

bool ChartNavigation::scrollForward(int bars) {
    if (count_ == 0 || newest_ + bars >= count_) return false;
    newest_ += bars;
    return true;
}

void ChartNavigation::toNewest() {
    newest_ = count_ - 1;
    pagesBack_ = 0;
}

void ChartNavigation::barsPrepended(int added) {
    if (added <= 0) return;
    count_ += added;
    newest_ += added;
}

void ChartNavigation::restorePosition(int newest, int pagesBack) {
    newest_ = std::clamp(newest, std::max(lowest(), 0), count_ - 1);
    pagesBack_ = std::max(pagesBack, 0);
}

void ChartNavigation::pageBack() {
    if (count_ == 0) return;
    const int target = std::max(newest_ - visible_, lowest());
    if (target == newest_) return;
    newest_ = target;
    ++pagesBack_;
}

void ChartNavigation::pageForward() {
    if (count_ == 0) return;
    newest_ += visible_;
    --pagesBack_;
    if (newest_ >= count_ - 1 || pagesBack_ <= 0) {
        newest_ = std::min(newest_, count_ - 1);
        if (newest_ == count_ - 1) pagesBack_ = 0;
        pagesBack_ = std::max(pagesBack_, 0);
    }
}

bool ChartNavigation::zoomIn() {
    if (pitch_ >= kMaxPitch) return false;
    setPitch(pitch_ + 1);
    return true;
}

bool ChartNavigation::zoomOut() {
    if (pitch_ <= kMinPitch) return false;
    setPitch(pitch_ - 1);
    return true;
}

void ChartNavigation::setPitch(int pitch) {
    pitch_ = std::clamp(pitch, kMinPitch, kMaxPitch);
    updateVisible();
}

}  // namespace tav::desktop
