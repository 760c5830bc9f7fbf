#pragma once

#include "core/period_mode.h"

namespace tav {

// How the chart looks at the loaded series, as far as fetching cares: the bars
// on screen, the screens paged back from the newest bar, the times older bars
// were prepended, and the bar count of the last full fetch. Reset by every load.
struct SeriesPaging {
    int visibleBars = 200;
    int pagesBack = 0;
    int extensions = 0;
    int requestedBars = 0;
};

// A request in whole years and months, as the quote sites take it.
struct SpanLength {
    int years = 0;
    int months = 0;

    friend bool operator==(const SpanLength&, const SpanLength&) = default;
};

// Bars the indicators need before the first one shown: 3/2 of the Ichimoku
// leading-span period.
int warmUpBars(int senkouPeriod);

// Bars a full fetch asks for: warm-up plus the visible bars; in accumulate
// mode on the daily period with accumulateYears Y > 0, Y years of 230 days.
int requestedBarCount(int warmUp, int visibleBars, bool accumulate, PeriodMode period,
                      int accumulateYears);

// Years and months that hold N bars of the period: 230 trading days or 44
// weeks to a year, 18 days or 4 weeks to a month (rounded up), 12 months.
SpanLength spanForBars(int bars, PeriodMode period);

// Older bars needed so that pagesBack + 1 screens and the warm-up fit; 0 or
// less when the loaded bars already do.
int extensionBarCount(int warmUp, int visibleBars, int pagesBack, int loadedBars);

// The selected bar after paging: pagesBack screens before the newest, never
// before the oldest bar. pagesBack is cut to the screens the series holds.
int pagedCursor(int count, int visibleBars, int& pagesBack);

}  // namespace tav
