// The window's commands: one handler per command id, as buttons, keys, menus
// and panes run them.

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <optional>
#include <string>

#include "chart/chart_pane.h"
#include "chart/indicator_pane.h"
#include "chart/price_board.h"
#include "panes/note_pane.h"
#include "panes/watchlist_pane.h"
#include "window/command_ids.h"
#include "window/main_window.h"
#include "workspace/archive.h"
#include "workspace/updates.h"
#include "workspace/workspace.h"

namespace tav::desktop {

static_assert(NotePane::kSummaryClicked == cmd::ShowProfitView);

namespace {

constexpr const char* kRangeOnWatchlists =
    "ﾚﾝｼﾞの印は注目銘柄リストにだけ付けられます。注目銘柄リストを選んでください。";
constexpr const char* kMoveOnWatchlists =
    "市場の銘柄は並べ替えられません。↑↓は注目銘柄リストの項目を動かします。";
constexpr const char* kNoGuide =
    "説明書（README.md）が見つかりません。\n\n"
    "/usr/share/doc/tavrento/README.md に置くか、プログラムと同じフォルダに置いてください。";

// The guide installed with the program, or the one beside it (a portable
// install, or the build tree inside the sources).
std::optional<std::string> installedGuide() {
    const QString installed = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                     QStringLiteral("doc/tavrento/README.md"));
    if (!installed.isEmpty()) return installed.toStdString();
    const QDir program(QCoreApplication::applicationDirPath());
    for (const char* relative :
         {"README.md", "../share/doc/tavrento/README.md", "../../../README.md"}) {
        const QFileInfo guide(program.filePath(QString::fromUtf8(relative)));
        if (guide.isFile()) return QDir::cleanPath(guide.absoluteFilePath()).toStdString();
    }
    return std::nullopt;
}

}  // namespace

void MainWindow::runCommand(int id, bool alternate) {
    const auto& table = commandTable();
    // Keys and menus reach commands whose buttons a running market-wide run
    // has switched off.
    if (marketRunGoing() && offDuringMarketRun(id)) return;
    // Ids without a handler (selectors, commands not built yet) do nothing.
    if (const auto found = table.find(id); found != table.end()) found->second(*this, alternate);
}

const std::unordered_map<int, MainWindow::CommandHandler>& MainWindow::commandTable() {
    using W = MainWindow;
    // Both panes read the one view state: a marker set needs a repaint only.
    static constexpr CommandHandler repaint = [](W& w, bool) { w.requestRepaint(); };
    static constexpr CommandHandler updateBoard = [](W& w, bool) { w.board_->update(); };
    static const std::unordered_map<int, CommandHandler> table = {
        // The market lists are read from the master list.
        {cmd::UpdateMaster,
         [](W& w, bool alternate) {
             if (w.workspace_.updateMasterFromArchive(alternate)) w.watchlist_->reload();
         }},
        {cmd::Search, [](W& w, bool) { w.searchMenu(); }},
        {cmd::ToggleWatchlist, [](W& w, bool) { w.toggleWatchlist(); }},
        {cmd::HistoryMenu, [](W& w, bool) { w.historyMenu(); }},
        {cmd::HistoryOlder, [](W& w, bool) { w.historyStep(true); }},
        {cmd::HistoryNewer, [](W& w, bool) { w.historyStep(false); }},
        {cmd::PeriodMenu, [](W& w, bool) { w.periodMenu(); }},
        {cmd::PriceStyleMenu, [](W& w, bool) { w.priceStyleMenu(); }},
        {cmd::OverlayMenu, [](W& w, bool) { w.overlayMenu(); }},
        {cmd::ScreenMenu, [](W& w, bool) { w.screenMenu(); }},
        {cmd::ToggleIndividual,
         [](W& w, bool) {
             w.workspace_.toggleIndividualSettings();
             w.updateLabels();
             w.requestRepaint();
         }},
        {cmd::DiscardStore,
         [](W& w, bool) {
             w.runStoppableUpdate([&] { discardAndRebuild(w.workspace_, w.archiveDialog()); });
         }},
        {cmd::BulkUpdate,
         [](W& w, bool alternate) {
             w.runStoppableUpdate(
                 [&] { updateCommand(w.workspace_, alternate, w.archiveDialog()); });
         }},
        {cmd::RefetchNewest,
         [](W& w, bool) { w.runSeriesOperation([&] { updateSeries(w.workspace_, true); }); }},
        {cmd::QuoteOnce, [](W& w, bool) { w.enterQuote(); }},
        {cmd::QuoteWatch, [](W& w, bool) { w.toggleQuoteWatch(); }},
        {cmd::ListUpdate, [](W& w, bool alternate) { w.updateList(alternate); }},
        // Range and signal marks: watchlists only, with the pane shown.
        {cmd::ListRange,
         [](W& w, bool) {
             const int number = w.workspace_.watchlists().displayedWatchlist();
             if (!w.workspace_.options().watchlistShown || !w.paneActions_.rangeMarks) return;
             if (number == 0) {
                 w.showStatus(kRangeOnWatchlists);
                 return;
             }
             w.paneActions_.rangeMarks(number, w.workspace_.options().rangeType);
         }},
        {cmd::ListSignals, [](W& w, bool) { w.strategyMarks(); }},
        {cmd::InvestmentLinks,
         [](W& w, bool) {
             if (w.paneActions_.investmentLinks) w.paneActions_.investmentLinks();
         }},
        {cmd::CompanyInfo,
         [](W& w, bool) {
             if (w.paneActions_.companyPage && w.workspace_.series().code > 0)
                 w.paneActions_.companyPage(w.workspace_.series().code);
         }},
        {cmd::IntradayPage,
         [](W& w, bool) {
             if (w.paneActions_.intradayPage && w.workspace_.series().code > 0)
                 w.paneActions_.intradayPage(w.workspace_.series().code);
         }},
        {cmd::AddSecurity, [](W& w, bool) { w.addSecurityDialog(w.workspace_.series().code); }},
        {cmd::DeleteSecurity,
         [](W& w, bool) {
             if (w.workspace_.deleteSecurity()) w.watchlist_->reload();
         }},
        {cmd::Newest, [](W& w, bool) { w.toNewest(); }},
        {cmd::ZoomIn, [](W& w, bool) { w.zoom(true); }},
        {cmd::ZoomOut, [](W& w, bool) { w.zoom(false); }},
        {cmd::PageBack, [](W& w, bool) { w.pageBack(); }},
        {cmd::PageForward, [](W& w, bool) { w.pageForward(); }},
        {cmd::StepLeft, [](W& w, bool alternate) { w.stepMarkerOrScroll(-1, alternate); }},
        {cmd::StepRight, [](W& w, bool alternate) { w.stepMarkerOrScroll(1, alternate); }},
        {cmd::Margin, [](W& w, bool) { w.showMargin(); }},
        {cmd::StrategyDialog, [](W& w, bool) { w.editStrategies(); }},
        {cmd::NextOverlay, [](W& w, bool alternate) { w.nextOverlay(alternate); }},
        {cmd::NextScreen, [](W& w, bool alternate) { w.nextScreen(alternate); }},
        {cmd::MarkerAMode, [](W& w, bool) { w.setClickMode(ClickMode::MarkerA); }},
        {cmd::MarkerBMode, [](W& w, bool) { w.setClickMode(ClickMode::MarkerB); }},
        {cmd::TrendLineMode, [](W& w, bool) { w.setClickMode(ClickMode::TrendLine); }},
        // Alternate: every line of the security, else the newest.
        {cmd::DeleteTrendLine,
         [](W& w, bool alternate) {
             w.chart_->deleteTrendLines(alternate);
             w.requestRepaint();
         }},
        {cmd::EntryUp,
         [](W& w, bool alternate) {
             if (w.workspace_.watchlists().displayedWatchlist() == 0) {
                 w.showStatus(kMoveOnWatchlists);
                 return;
             }
             if (w.workspace_.watchlists().moveEntryUp(alternate)) w.watchlist_->reload();
         }},
        {cmd::EntryDown,
         [](W& w, bool alternate) {
             if (w.workspace_.watchlists().displayedWatchlist() == 0) {
                 w.showStatus(kMoveOnWatchlists);
                 return;
             }
             if (w.workspace_.watchlists().moveEntryDown(alternate)) w.watchlist_->reload();
         }},
        {cmd::ChartHover, updateBoard},
        {cmd::IndicatorHover, updateBoard},
        {cmd::ClearChartHover, [](W& w, bool) { w.chart_->clearHover(); }},
        {cmd::ChartCrosshair,
         [](W& w, bool) { w.indicator_->setMirroredCursorX(w.chart_->crosshairX()); }},
        {cmd::IndicatorCrosshair,
         [](W& w, bool) { w.chart_->setMirroredCursorX(w.indicator_->crosshairX()); }},
        {cmd::ShowChosenScreen,
         [](W& w, bool) {
             w.updateLabels();
             w.requestRepaint();
         }},
        {cmd::SplitterDragEnd, [](W& w, bool) { w.relayout(); }},
        {cmd::MarkerASetInChart, repaint},
        {cmd::MarkerASetInIndicator, repaint},
        {cmd::MarkerBSetInChart, repaint},
        {cmd::MarkerBSetInIndicator, repaint},
        {cmd::OpenDataFile, [](W& w, bool) { w.openDataFile(); }},
        // With a strategy shown the clicked bar also ends its run, so the
        // report reads up to that bar.
        {cmd::BarClicked,
         [](W& w, bool) {
             const int strategy = w.workspace_.options().selectedStrategy;
             if (strategy != 0 && w.view_.clickedBar >= 0) {
                 w.workspace_.strategyDisplay.view = {w.nav_.newest(), w.nav_.visible(),
                                                      w.view_.clickedBar};
                 w.workspace_.runStrategyDisplay(strategy);
                 w.requestRepaint();
             }
             w.board_->update();
         }},
        {cmd::TakeFocus, [](W& w, bool) { w.takeFocus(); }},
        {cmd::ScrollBack10, [](W& w, bool) { w.scrollBack(10); }},
        {cmd::ScrollForward10, [](W& w, bool) { w.scrollForward(10); }},
        {cmd::ScrollBack1, [](W& w, bool) { w.scrollBack(1); }},
        {cmd::ScrollForward1, [](W& w, bool) { w.scrollForward(1); }},
        {cmd::InvertPanes,
         [](W& w, bool) {
             w.view_.inverted = !w.view_.inverted;
             w.requestRepaint();
         }},
        {cmd::FixPriceScale,
         [](W& w, bool) {
             w.view_.fixedScale = !w.view_.fixedScale;
             w.requestRepaint();
         }},
        {cmd::NextPeriod, [](W& w, bool) { w.nextPeriod(); }},
        {cmd::ShowProfitView, [](W& w, bool) { w.openProfitView(); }},
        {cmd::ToggleSplitter1, [](W& w, bool) { w.toggleSplitter1(); }},
        {cmd::Settings, [](W& w, bool) { w.openSettings(); }},
        {cmd::RankingDownload, [](W& w, bool) { w.rankingDownload(); }},
        {cmd::Screening, [](W& w, bool) { w.screening(); }},
        // With Shift or Ctrl: the portfolio back-test of one account.
        {cmd::Simulation, [](W& w, bool alternate) { alternate ? w.portfolio() : w.simulation(); }},
        {cmd::Portfolio, [](W& w, bool) { w.portfolio(); }},
        // The user guide installed beside the program, when there is one.
        {cmd::Help,
         [](W& w, bool) {
             if (const auto guide = installedGuide()) {
                 w.workspace_.platform().shell.open(*guide);
                 return;
             }
             w.workspace_.prompter().message(kNoGuide, MessageIcon::Warning);
         }},
    };
    return table;
}

}  // namespace tav::desktop
