#pragma once

#include <optional>

#include "updates/archive_update.h"
#include "updates/intraday_bar.h"
#include "workspace/workspace.h"

// The daily archive update of the whole store, the first start's store, "破棄"
// and today's provisional bar, on the workspace. Below updates.h: nothing here
// calls into it.
namespace tav {

ArchiveTools archiveTools(Workspace& workspace);

// The update's proposal: the trading days after the store's last day (asking
// for the start date when there is none; typed dates are checked) and the
// stored source mode. nullopt when the question is cancelled or refused.
std::optional<ArchiveChoice> proposeArchiveUpdate(Workspace& workspace);

// "実行": stores the source mode, saves the displayed series, imports the
// days and reloads the displayed series from its file.
ArchiveRunResult runArchiveUpdate(Workspace& workspace, const ArchiveChoice& choice);

// Proposal, dialog and run. True when the run went through to its end.
bool archiveUpdate(Workspace& workspace, const ArchiveDialog& dialog = {});

// The update command's plain form: daily period only (otherwise it says so),
// the archive update.
bool dailyArchiveUpdate(Workspace& workspace, const ArchiveDialog& dialog = {});

// The first start's store: asks for the start date and imports the daily
// archives from it (through the "株価データ追加" dialog when given). True
// when code 1010 has a daily series afterwards.
bool createStoreFromArchives(Workspace& workspace, const ArchiveDialog& dialog = {});

// "破棄": after asking, the daily files the archives carry are set aside and
// the store is rebuilt by the update command; they are deleted once the
// rebuild went through, and put back otherwise.
bool discardAndRebuild(Workspace& workspace, const ArchiveDialog& dialog = {});

// Today's provisional bar from "Realtime.txt" or the given quote; with
// redraw, the series is recomputed. True when the series changed.
bool addIntradayBar(Workspace& workspace, const IntradayQuote& quote, bool redraw);

}  // namespace tav
