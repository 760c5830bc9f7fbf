#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "watchlist_runs/watchlist_run.h"
#include "workspace/workspace.h"

// The watchlist pane's runs over a watchlist, in three steps so that a window
// can keep the middle one off its own thread:
//   prepare (caller's thread): questions and messages, the list read, the
//           strategy loaded; nothing when the run does not go ahead;
//   run     (any thread): runRangeMarks / runStrategyMarks / runLevelColumns
//           of watchlist_runs/watchlist_run.h, with progress and cancel;
//   finish  (caller's thread): marks onto the shown list, the file written.
// The security on display is never touched, so nothing needs restoring.
namespace tav {

// Quotes of the quote watch to add as provisional bars, by code.
using ProvisionalQuotes = std::map<StockCode, IntradayQuote>;

inline constexpr const char* kNoStrategyMessage =
    "戦略が設定されていません。\n\n戦略を選択するか、注目銘柄の名前を右クリックして固有の設定を"
    "してください。";
inline constexpr const char* kLayerQuestion =
    "日計用指標のリストをLayer.txtにテキスト出力します。\n\n用紙はＡ４縦でよろしいですか？";

// The entries of watchlist n with their master-list entries, and how the
// workspace reads securities. Nothing when n is no watchlist.
std::optional<WatchlistRun> prepareWatchlistRun(Workspace& workspace, int number,
                                                const ProvisionalQuotes& provisional = {});

struct StrategyMarkRun {
    WatchlistRun run;
    StrategyRules rules;
    int strategyNumber = 0;
};

// The strategy is `strategy` when given, else the watchlist's own (which then
// becomes the selected strategy), else the selected one. Without any, or when
// its file cannot be read, kNoStrategyMessage is shown and nothing runs.
std::optional<StrategyMarkRun> prepareStrategyMarks(Workspace& workspace, int number,
                                                    std::optional<int> strategy = std::nullopt,
                                                    const ProvisionalQuotes& provisional = {});

struct LevelExportRun {
    WatchlistRun run;
    int blockSize = 5;
};

// Without a block size asks kLayerQuestion: yes blocks of 5, no blocks of 6,
// cancel stops.
std::optional<LevelExportRun> prepareLevelExport(Workspace& workspace, int number,
                                                 std::optional<int> blockSize = std::nullopt,
                                                 const ProvisionalQuotes& provisional = {});

// Writes "Layer.txt" (atomically, in the program folder) and, when asked,
// opens it with the shell. Its path, or nothing when it could not be written.
std::optional<std::string> finishLevelExport(Workspace& workspace, const LevelExportRun& run,
                                             const std::vector<LevelColumn>& columns,
                                             bool open);

// Puts the marks on the entries of the list on display when it is watchlist
// n (matched by code, so a sorted list gets them too).
void applyMarks(Workspace& workspace, int number, const std::vector<EntryMark>& marks);

}  // namespace tav
