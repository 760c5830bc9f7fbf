#include "workspace/csv_import.h"

#include <cstdio>
#include <filesystem>
#include <optional>

#include "core/file_io.h"
#include "data/price_store.h"
#include "updates/archive_update.h"

namespace tav {

namespace {

const char* layoutName(CsvLayout layout) {
    switch (layout) {
        case CsvLayout::Yahoo:
            return "yahoo";
        case CsvLayout::Stooq:
            return "stooq";
        case CsvLayout::Auto:
        case CsvLayout::Plain:
            break;
    }
    return "plain";
}

}  // namespace

std::string csvPreviewText(StockCode code, const CsvBars& parsed) {
    std::string text =
        "[" + codeText(code) +
        "]　に CSV の株価を取り込みます。\n\n形式: " + layoutName(parsed.layout) +
        (parsed.header ? " (見出しあり)" : "") + "\n株価: " + std::to_string(parsed.bars.size()) +
        " 件\n不正な行: " + std::to_string(parsed.rejected) + " 行 (取り込みません)\n";
    if (parsed.faults.total > 0) text += "うち " + describeRejections(parsed.faults) + "\n";
    text += "\n";
    int shown = 0;
    for (const DailyBar& bar : parsed.bars) {
        if (shown++ == kCsvPreviewRows) break;
        char line[128];
        std::snprintf(line, sizeof line, "%s,%d,%d,%d,%d,%lld\n", bar.date, bar.open, bar.high,
                      bar.low, bar.close, static_cast<long long>(bar.volume));
        text += line;
    }
    return text;
}

std::string csvImportPreview(StockCode code, const CsvBars& parsed) {
    return csvPreviewText(code, parsed) + "\n保存済みの日付はそのまま残します。よろしいですか？";
}

CsvBars readBarCsvFile(const std::string& path, CsvLayout layout, const LocalDate& today) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    std::optional<std::string> bytes;
    if (!error && size <= kMaxCsvBytes) bytes = fileio::readFile(path);
    if (!bytes) {
        CsvBars unread;
        unread.message = "[" + path + "]　を読み込めませんでした。" +
                         (!error && size > kMaxCsvBytes ? "（大きすぎます）" : "");
        return unread;
    }
    return parseBarCsv(*bytes, layout, today);
}

bool importCsvBars(Workspace& workspace, StockCode code, std::string_view bytes, CsvLayout layout) {
    Prompter& prompter = workspace.prompter();
    CsvBars parsed = parseBarCsv(bytes, layout, workspace.platform().clock.today());
    if (!parsed.message.empty()) {
        prompter.message(parsed.message, MessageIcon::Stop);
        return false;
    }
    if (!prompter.askYesNo(csvImportPreview(code, parsed))) return false;
    return mergeCsvBars(workspace, code, parsed);
}

bool mergeCsvBars(Workspace& workspace, StockCode code, const CsvBars& parsed) {
    if (!parsed.message.empty() || parsed.bars.empty()) return false;
    if (!workspace.requireWritableStore()) return false;
    Prompter& prompter = workspace.prompter();
    // The displayed series goes to its file first, so the merge starts from it.
    workspace.saveIfChanged();
    std::string path =
        dataFilePath(workspace.folder(), code, PeriodMode::Daily, StorageMode::Accumulate);
    int alreadyStored = 0;
    std::vector<DailyBar> merged = mergeByDate(loadSeries(path), parsed.bars, alreadyStored);
    // Imported index bars do not tell which days the other securities have.
    if (!pinStoreClock(workspace.folder(), code, PeriodMode::Daily) ||
        !fileio::writeFileAtomic(path, formatSeries(merged))) {
        prompter.message("[" + path + "]　に書き込めませんでした。", MessageIcon::Stop);
        return false;
    }
    prompter.status(std::to_string(parsed.bars.size() - alreadyStored) + " 件追加 (" +
                    std::to_string(alreadyStored) + " 件は保存済み)");
    if (workspace.series().code == code && workspace.periodMode == PeriodMode::Daily &&
        workspace.loadStoredSeries(code))
        workspace.seriesChanged();
    return true;
}

}  // namespace tav
