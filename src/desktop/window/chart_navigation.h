#pragma once

namespace tav::desktop {

// Which bars the chart shows: the newest shown bar n, the screen's capacity
// and the pages gone back. Pure bookkeeping; the window fetches older bars
// when paging back asks for them.
class ChartNavigation {
  public:
    static constexpr int kMinPitch = 1;
    // Wider bars than this leave too few on any screen to be useful.
    static constexpr int kMaxPitch = 60;
    // The chart keeps 30 pixels right of the newest bar.
    static constexpr int kRightMargin = 30;

    // A new series: the newest bar, no pages back.
    void reset(int barCount);
    // Bars the chart pane holds at its width and the pitch.
    void setChartWidth(int width);
    int chartWidth() const { return chartWidth_; }

    int barCount() const { return count_; }
    int newest() const { return newest_; }
    int endCount() const { return newest_ + 1; }
    int visible() const { return visible_; }
    int pitch() const { return pitch_; }
    int pagesBack() const { return pagesBack_; }

    // The lowest n may go: the screen capacity, or the newest bar when the
    // series is shorter than the screen.
    int lowest() const;

    // Refused (false) when the move would leave [lowest, count - 1].
    bool scrollBack(int bars);
    bool scrollForward(int bars);
    void toNewest();

    // True when a page back would run past the oldest bar, so older bars
    // should be fetched before pageBack.
    bool pageBackNeedsOlderBars() const { return newest_ - visible_ < lowest(); }
    // Bars were put in front of the series: n keeps its bar.
    void barsPrepended(int added);
    // Puts n and the page count back after the series was rebuilt.
    void restorePosition(int newest, int pagesBack);
    void pageBack();
    void pageForward();

    // Zoom by one pixel of pitch; false at the limits. The caller then
    // scrolls to the newest bar.
    bool zoomIn();
    bool zoomOut();
    void setPitch(int pitch);

  private:
    void updateVisible();

    int count_ = 0;
    int newest_ = -1;
    int pagesBack_ = 0;
    int pitch_ = 6;
    int chartWidth_ = 0;
    int visible_ = 1;
};

}  // namespace tav::desktop
