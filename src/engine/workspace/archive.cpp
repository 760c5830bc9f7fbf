#include "workspace/archive.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "core/file_io.h"
#include "updates/store_discard.h"
#include "updates/trading_days.h"
#include "workspace/market_api.h"

namespace tav {

namespace {

constexpr const char* kNoStoreMessage =
    "株価データが全くありませんので新規に作成します。\n\n開始年月日を指定してください。"
    "最低でも３ヶ月分くらいは必要です。";
constexpr const char* kUpToDateMessage = "株価データは最新です。\n\n追加する日付はありません。";

// The displayed daily series, read again after the files changed under it.
void reloadDisplayed(Workspace& workspace) {
    if (workspace.storageMode != StorageMode::Accumulate ||
        workspace.periodMode != PeriodMode::Daily)
        return;
    workspace.paging.pagesBack = 0;
    workspace.paging.extensions = 0;
    if (workspace.loadStoredSeries(workspace.series().code)) workspace.seriesChanged();
}

}  // namespace

ArchiveTools archiveTools(Workspace& workspace) {
    Platform& platform = workspace.platform();
    ArchiveTools tools{workspace.folder(), platform.http, platform.lzh, platform.prompter,
                       workspace.endpoints()};
    tools.today = formatDate(platform.clock.today());
    tools.fetchDay = apiDayFetcher(apiAccess(workspace), storedDailyCode(workspace));
    tools.stopRequested = workspace.stopRequested;
    return tools;
}

std::optional<ArchiveChoice> proposeArchiveUpdate(Workspace& workspace) {
    std::error_code error;
    std::filesystem::create_directories(workspace.folder().path("Source"), error);
    LocalDate today = workspace.platform().clock.today();
    int mode = workspace.options().updateOption;
    auto source = static_cast<SourceMode>(std::clamp(mode, 0, kSourceModeCount - 1));
    std::string last = lastStoredDate(workspace.folder(), source);
    if (last.empty()) {
        Prompter& prompter = workspace.prompter();
        prompter.message(kNoStoreMessage, MessageIcon::Warning);
        auto start = prompter.askText("株価データ作成開始日入力", "作成開始日", yearBefore(today));
        if (!start) return std::nullopt;
        if (!acceptableDate(*start, today)) {
            prompter.message(kInvalidDateMessage, MessageIcon::Warning);
            return std::nullopt;
        }
        last = *start;
    }
    ArchiveChoice choice;
    choice.days = tradingDaysAfter(last, today);
    choice.mode = source;
    return choice;
}

ArchiveRunResult runArchiveUpdate(Workspace& workspace, const ArchiveChoice& choice) {
    ArchiveRunResult result;
    if (!workspace.requireWritableStore()) {
        result.stopped = true;
        return result;
    }
    workspace.options().updateOption = static_cast<uint8_t>(choice.mode);
    // The displayed series goes to its file first, so that the days imported
    // under it are not written over by a later save.
    workspace.saveIfChanged();
    ArchiveTools tools = archiveTools(workspace);
    std::shared_ptr<ApiRunReport> report;
    if (choice.mode == SourceMode::Api) {
        ApiAccess access = apiAccess(workspace);
        report = access.report;
        tools.fetchDay = apiDayFetcher(std::move(access), storedDailyCode(workspace));
    }
    result = importDays(tools, choice.days, choice.mode);
    reloadDisplayed(workspace);
    Prompter& prompter = workspace.prompter();
    if (result.cancelled) {
        std::string last = lastStoredDate(workspace.folder(), choice.mode);
        prompter.message("株価データの更新を中止しました。\n\n" + std::to_string(result.imported) +
                             " 日分を追加しました。株価データは [" +
                             (last.empty() ? std::string("なし") : last) + "]　までです。",
                         MessageIcon::Information);
    }
    if (result.rejected.total > 0)
        prompter.message("株価データの " + describeRejections(result.rejected) + "。",
                         MessageIcon::Warning);
    // Days were due and none came: the store ends before the last of them.
    std::string last = lastStoredDate(workspace.folder(), choice.mode);
    if (!result.stopped && result.imported == 0 && !choice.days.empty() &&
        last < choice.days.back()) {
        prompter.message("追加された日付はありません。\n\n株価データは [" +
                             (last.empty() ? std::string("なし") : last) + "]　までです。",
                         MessageIcon::Warning);
    }
    if (report) {
        showApiReport(workspace, *report);
        // Stopped by the user: no more questions or requests.
        if (workspace.offerSplitRefetch && !result.cancelled)
            offerSplitRefetch(workspace, report->splits);
    }
    return result;
}

bool archiveUpdate(Workspace& workspace, const ArchiveDialog& dialog) {
    auto proposal = proposeArchiveUpdate(workspace);
    if (!proposal) return false;
    // No trading day since the last stored one: nothing to list or run.
    if (proposal->days.empty()) {
        workspace.prompter().message(kUpToDateMessage, MessageIcon::Information);
        return true;
    }
    std::optional<ArchiveChoice> choice = dialog ? dialog(*proposal) : proposal;
    if (!choice) return false;
    return !runArchiveUpdate(workspace, *choice).stopped;
}

bool dailyArchiveUpdate(Workspace& workspace, const ArchiveDialog& dialog) {
    if (workspace.periodMode != PeriodMode::Daily) {
        workspace.prompter().message("更新処理は日足のみ可能です。", MessageIcon::Warning);
        return false;
    }
    return archiveUpdate(workspace, dialog);
}

bool discardAndRebuild(Workspace& workspace, const ArchiveDialog& dialog) {
    if (!workspace.requireWritableStore()) return false;
    if (!workspace.prompter().askYesNo(
            "全ての銘柄の株価データを破棄し、再構築します。\n\n新データの構築に"
            "はかなり時間がかかります。\n\nよろしいですか？",
            QuestionKind::Destructive))
        return false;
    workspace.saveIfChanged();
    auto aside = setAsideDailyFiles(workspace.folder());
    if (!aside) {
        workspace.prompter().message("株価データを退避できませんでした。\n\n何も破棄していません。",
                                     MessageIcon::Stop);
        return false;
    }
    // The displayed series is rebuilt with the rest; its old bars must not be
    // written back into the emptied folder before the import.
    workspace.series().savedCount = workspace.series().count();
    // The data API's last whole day goes with the files it dates.
    const std::string apiMarker = workspace.folder().dataPath(kApiLastDayFileName);
    const auto apiLastDay = fileio::readFile(apiMarker);
    std::remove(apiMarker.c_str());
    bool rebuilt =
        dailyArchiveUpdate(workspace, dialog) && !lastStoredDate(workspace.folder()).empty();
    if (rebuilt) {
        dropDailyFiles(*aside);
        return true;
    }
    restoreDailyFiles(workspace.folder(), *aside);
    if (apiLastDay) fileio::writeFileAtomic(apiMarker, *apiLastDay);
    reloadDisplayed(workspace);
    return false;
}

bool addIntradayBar(Workspace& workspace, const IntradayQuote& quote, bool redraw) {
    BarSeries& series = workspace.series();
    std::optional<IntradayQuote> realtime;
    if (auto bytes = fileio::readFile(workspace.folder().path(kRealtimeFileName)))
        realtime = realtimeQuote(*bytes, series.code);
    std::string today = formatDate(workspace.platform().clock.today());
    if (!tav::addIntradayBar(series, realtime, quote, today)) return false;
    if (redraw) workspace.seriesChanged();
    return true;
}

bool createStoreFromArchives(Workspace& workspace, const ArchiveDialog& dialog) {
    return archiveUpdate(workspace, dialog) && !lastStoredDate(workspace.folder()).empty();
}

}  // namespace tav
