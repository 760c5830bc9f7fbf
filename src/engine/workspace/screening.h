#pragma once

#include <optional>
#include <span>
#include <string>

#include "platform/prompter.h"
#include "screening/multi_run.h"
#include "screening/screening_run.h"
#include "simulation/simulation_report.h"
#include "workspace/workspace.h"

// The market-wide runs in three steps, so the window can keep the heavy part
// off its own thread: prepare and finish run where the workspace lives, the
// run in between (runScreening / runMultiSimulation) on any thread. The
// security on display is never touched by any of them.
namespace tav {

inline constexpr const char* kNothingChosenMessage = "何も選択されていません。";
inline constexpr const char* kSameInputOutputMessage = "入力先と出力先が同じです。";
inline constexpr const char* kNoInputMessage = "入力先の注目銘柄ファイルがありません。";
inline constexpr const char* kNotAccumulateWarning = "必ず一括追加更新後に行ってください！！！";

// The dialog's OK: false (after a warning) when nothing is chosen or the
// input is the output watchlist; the dialog then stays open.
bool confirmScreeningDialog(const ScreeningSettings& settings, Prompter& prompter);
// The simulation dialog's OK: the ranking length must lie in 1 ... 1000.
bool confirmMultiRunDialog(const MultiRunSettings& settings, Prompter& prompter);

// Reads the strategy or capsule, stores the settings in the options and opens
// the input. Nothing (after a message) when the dialog's checks fail, the
// strategy or capsule is not in its list or cannot be read, or the input
// cannot be opened; the options are then left as they were.
std::optional<ScreeningJob> prepareScreening(Workspace& workspace,
                                             const ScreeningSettings& settings, int threads = 0);
// After the run: writes the output watchlist whole and shows it in the pane.
// A cancelled run (no outcome) writes nothing. False when the file could not
// be written.
bool finishScreening(Workspace& workspace, const ScreeningJob& job,
                     const std::optional<ScreeningOutcome>& outcome);

std::optional<MultiRunJob> prepareMultiRun(Workspace& workspace, const MultiRunSettings& settings,
                                           int threads = 0);
// The input watchlist of a multi-run as the result dialog compares it with
// the output: the chosen watchlist, or for entry 0 in scratch mode the one on
// display; 0 for the master list.
int multiRunInputWatchlist(Workspace& workspace, const MultiRunSettings& settings);
// The result dialog confirmed with an output watchlist (0: none): the pane
// shows it with one "CODE NAME" line per entry, written to its file, and the
// choice is kept in the options.
bool storeRanking(Workspace& workspace, int outputWatchlist, std::span<const ResultRow> rows);

}  // namespace tav
