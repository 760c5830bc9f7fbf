#pragma once

#include <functional>

#include "core/stock_code.h"

namespace tav::desktop {

// Commands of the watchlist pane and its toolbar buttons whose work runs in
// engine operations the window plugs in here. An empty handler leaves its menu
// item and button present but disabled; `MainWindow::paneActionsChanged`
// applies a change to the buttons.
struct WatchlistPaneActions {
    // "日計指標出力": the day-trading levels of watchlist n written out.
    std::function<void(int watchlist)> exportLevels;
    // "現戦略を設定": strategy s (0 = none) becomes watchlist n's own.
    std::function<void(int watchlist, int strategy)> setWatchlistStrategy;
    // "ﾚﾝｼﾞ": range marks of watchlist n for range type 0-9.
    std::function<void(int watchlist, int rangeType)> rangeMarks;
    // "ｻｲﾝ": strategy signal marks of watchlist n.
    std::function<void(int watchlist)> strategyMarks;
    // "投資情報": the link menu.
    std::function<void()> investmentLinks;
    // "企業情報": the company page of a code.
    std::function<void(StockCode code)> companyPage;
    // "日中": the intraday chart page of a code.
    std::function<void(StockCode code)> intradayPage;
    // "銘柄抽出": the screening dialog.
    std::function<void()> screening;
};

}  // namespace tav::desktop
