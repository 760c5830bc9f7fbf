#include "updates/archive_update.h"

#include <cstdio>
#include <thread>

#include "core/file_io.h"
#include "core/local_date.h"
#include "core/text.h"
#include "data/archive_download.h"
#include "data/price_store.h"
#include "updates/day_csv.h"
#include "updates/day_import.h"
#include "updates/trading_days.h"

namespace tav {

namespace {

bool isNotFoundPage(std::string_view body) {
    static const std::string kNotFound = text::sjisFromUtf8("ページが見つかりません");
    static const std::string kNotFoundKana = text::sjisFromUtf8("ページがみつかりません");
    return body.find(kNotFound) != std::string_view::npos ||
           body.find(kNotFoundKana) != std::string_view::npos;
}

std::string bracketed(std::string_view text, std::string_view rest) {
    std::string message = "[";
    message += text;
    message += "]　";
    message += rest;
    return message;
}

std::string extractionFailureText(ArchiveEntryStatus status, const std::string& archivePath,
                                  const std::string& csvName) {
    switch (status) {
        case ArchiveEntryStatus::Ok:
            return {};
        case ArchiveEntryStatus::Damaged:
            return bracketed(archivePath, "は解凍処理に失敗しました。");
        case ArchiveEntryStatus::TooLarge:
            return bracketed(archivePath, "は解凍後のサイズが上限を超えるため解凍を中止しました。");
        case ArchiveEntryStatus::Missing:
            return bracketed(archivePath, "には " + csvName + " がありません。");
        case ArchiveEntryStatus::CannotWrite:
            break;
    }
    return bracketed(archivePath, "を解凍したファイルを書き込めません。");
}

// Fetches day D's archive into "Source" and takes its CSV out. Stop, Skipped
// (the not-found page) or Imported (the CSV is in place).
DayOutcome downloadDay(ArchiveTools& tools, std::string_view day, SourceMode mode) {
    const ProgramFolder& folder = tools.folder;
    tools.prompter.status("接続");
    HttpResponse response =
        tools.http.get(dayArchiveAddress(tools.endpoints, day, mode), tools.maxArchiveBytes);
    if (response.status == HttpStatus::CannotConnect) {
        tools.prompter.message("インターネットに接続できません。", MessageIcon::Stop);
        return DayOutcome::Stop;
    }
    std::string archivePath = folder.sourcePath(std::string(day) + ".LZH");
    // The server's not-found page skips the day, whatever its status; a
    // download that ran into its deadline or size cap is no page of it.
    bool capped =
        response.status == HttpStatus::TimedOut || response.status == HttpStatus::TooLarge;
    if (!capped && isNotFoundPage(response.body)) {
        std::remove((archivePath).c_str());
        return DayOutcome::Skipped;
    }
    // A broken read: wait, then unpack what came (a cut archive fails to unpack).
    if (response.status == HttpStatus::ReadFailed) {
        std::this_thread::sleep_for(tools.readFailurePause);
    } else if (response.status != HttpStatus::Ok) {
        tools.prompter.message(bracketed(day, downloadFailureText(response.status)),
                               MessageIcon::Stop);
        return DayOutcome::Stop;
    }
    if (!fileio::writeFileAtomic(archivePath, response.body)) {
        tools.prompter.message("ネット上のファイルが見つかりません。", MessageIcon::Stop);
        return DayOutcome::Stop;
    }
    tools.prompter.status("解凍");
    // A CSV left from an earlier run must not stand in for this archive's.
    std::string csvName = std::string(day) + ".csv";
    std::string csvPath = folder.sourcePath(csvName);
    std::remove(csvPath.c_str());
    ArchiveEntry csv =
        readArchiveEntry(tools.lzh, archivePath, folder.path("Source"), csvName, tools.maxCsvBytes);
    if (csv.status == ArchiveEntryStatus::Ok && !fileio::writeFileAtomic(csvPath, csv.bytes))
        csv.status = ArchiveEntryStatus::CannotWrite;
    if (csv.status != ArchiveEntryStatus::Ok) {
        tools.prompter.message(extractionFailureText(csv.status, archivePath, csvName),
                               MessageIcon::Warning);
        return DayOutcome::Stop;
    }
    return DayOutcome::Imported;
}

}  // namespace

namespace {

std::string lastBarDate(const ProgramFolder& folder, StockCode code) {
    auto bars = loadSeries(dataFilePath(folder, code, PeriodMode::Daily, StorageMode::Accumulate));
    return bars.empty() ? std::string() : std::string(bars.back().dateText());
}

// The last bar of the series that tell the store's day: 1010's, or for the
// data API the latest of 1010's and 1001's and the last day the API gave whole.
std::string lastIndexDate(const ProgramFolder& folder, SourceMode mode) {
    std::string last = lastBarDate(folder, kDefaultCode);
    if (mode != SourceMode::Api) return last;
    std::string topix = lastBarDate(folder, 1001);
    if (topix > last) last = topix;
    // A plan without index data moves neither 1010 nor 1001: the last day
    // the API gave whole is kept apart.
    if (auto marker = fileio::readFile(folder.dataPath(kApiLastDayFileName))) {
        std::string day = marker->substr(0, 8);
        LocalDate date;
        if (parseDate8(day, date) && day > last) last = day;
    }
    return last;
}

// The recorded day; empty without a readable record.
std::string recordedDay(const ProgramFolder& folder) {
    auto bytes = fileio::readFile(folder.dataPath(kStoreClockName));
    if (!bytes) return {};
    std::string_view text(*bytes);
    text = text.substr(0, text.find_first_of("\r\n"));
    LocalDate date;
    return parseDate8(text, date) ? std::string(text) : std::string();
}

bool recordDay(const ProgramFolder& folder, std::string_view day) {
    return fileio::writeFileAtomic(folder.dataPath(kStoreClockName), std::string(day) + "\n");
}

}  // namespace

std::string lastStoredDate(const ProgramFolder& folder) {
    return lastStoredDate(folder, SourceMode::Net);
}

std::string lastStoredDate(const ProgramFolder& folder, SourceMode mode) {
    std::string last = lastIndexDate(folder, mode);
    if (last.empty()) return last;
    std::string recorded = recordedDay(folder);
    return !recorded.empty() && recorded < last ? recorded : last;
}

bool pinStoreClock(const ProgramFolder& folder, StockCode code, PeriodMode period) {
    if ((code != kDefaultCode && code != 1001) || period != PeriodMode::Daily) return true;
    if (!recordedDay(folder).empty()) return true;
    std::string last = lastIndexDate(folder, SourceMode::Net);
    if (last.empty()) last = lastIndexDate(folder, SourceMode::Api);
    return last.empty() || recordDay(folder, last);
}

std::string dayArchiveAddress(const Endpoints& endpoints, std::string_view day, SourceMode mode) {
    std::string address;
    if (mode == SourceMode::Member) {
        address = endpoints.address(Endpoints::kMemberArchive);
        address += "/data/";
    } else {
        address = endpoints.address(Endpoints::kDailyArchive);
        address += "/data";
        address += day.substr(0, 4);
        address += '/';
    }
    address += day;
    address += ".LZH";
    return address;
}

DayOutcome importDay(ArchiveTools& tools, std::string_view day, SourceMode mode,
                     BarRejections* rejected) {
    LocalDate date;
    if (!parseDate8(day, date) || (!tools.today.empty() && day > std::string_view(tools.today))) {
        tools.prompter.message(bracketed(day, kInvalidDateMessage), MessageIcon::Warning);
        return DayOutcome::Skipped;
    }
    std::string last = lastStoredDate(tools.folder, mode);
    if (!last.empty() && std::string_view(day) <= std::string_view(last)) {
        tools.prompter.message(bracketed(day, "は既に追加・更新済みです。"), MessageIcon::Warning);
        return DayOutcome::Skipped;
    }
    DayCsv parsed;
    if (mode == SourceMode::Api) {
        if (!tools.fetchDay) return DayOutcome::Stop;
        FetchedDay fetched = tools.fetchDay(day);
        if (fetched.outcome != DayOutcome::Imported) return fetched.outcome;
        parsed = std::move(fetched.csv);
    } else {
        if (mode != SourceMode::Disk) {
            DayOutcome downloaded = downloadDay(tools, day, mode);
            if (downloaded != DayOutcome::Imported) return downloaded;
        }
        auto csv = fileio::readFile(tools.folder.sourcePath(std::string(day) + ".csv"));
        if (!csv) return mode == SourceMode::Disk ? DayOutcome::Skipped : DayOutcome::Stop;
        // A line dated another day would move the store's last date.
        parsed = parseDayCsv(*csv, day);
    }
    // Lines that are no price line at all count without a fault.
    BarRejections lines = parsed.faults;
    lines.total = parsed.rejected;
    if (rejected) rejected->add(lines);
    if (parsed.lines.empty()) {
        if (parsed.rejected == 0) return DayOutcome::Skipped;
        tools.prompter.message(bracketed(day, "の株価データに取り込める行がありません。") + "\n\n" +
                                   describeRejections(lines),
                               MessageIcon::Stop);
        return DayOutcome::Stop;
    }
    DayImportResult written = appendDayLines(
        tools.folder, parsed.lines, [&](StockCode code) { tools.prompter.status(codeText(code)); });
    if (!written.ok) {
        tools.prompter.message(
            bracketed(day,
                      "の株価データを書き込めませんでした。\n\nこの日の追加は取り消されました。"),
            MessageIcon::Stop);
        return DayOutcome::Stop;
    }
    if (mode == SourceMode::Api &&
        !fileio::writeFileAtomic(tools.folder.dataPath(kApiLastDayFileName),
                                 std::string(day) + "\n")) {
        tools.prompter.message(
            bracketed(day, "を追加しましたが、追加した日付を記録できませんでした。"),
            MessageIcon::Stop);
        return DayOutcome::Stop;
    }
    // The day is in every file before the record says so; a record left
    // behind only lists the day again, and its lines are not doubled.
    if (std::string_view(day) > recordedDay(tools.folder) && !recordDay(tools.folder, day)) {
        tools.prompter.message(bracketed(day, "の追加を記録できませんでした。"), MessageIcon::Stop);
        return DayOutcome::Stop;
    }
    return DayOutcome::Imported;
}

ArchiveRunResult importDays(ArchiveTools& tools, std::span<const std::string> days,
                            SourceMode mode) {
    ArchiveRunResult result;
    recoverInterruptedImport(tools.folder);
    auto stopRequested = [&] { return tools.stopRequested && tools.stopRequested(); };
    for (std::size_t i = 0; i < days.size(); ++i) {
        if (stopRequested()) {
            result.stopped = result.cancelled = true;
            break;
        }
        tools.prompter.progress(static_cast<int>(100 * i / days.size()));
        tools.prompter.status(days[i]);
        BarRejections rejected;
        DayOutcome outcome = importDay(tools, days[i], mode, &rejected);
        result.rejected.add(rejected);
        if (outcome == DayOutcome::Stop) {
            // A day the user broke off is not written: it comes again next time.
            result.stopped = true;
            result.cancelled = stopRequested();
            break;
        }
        ++(outcome == DayOutcome::Imported ? result.imported : result.skipped);
    }
    if (!result.stopped) tools.prompter.progress(100);
    tools.prompter.status("");
    return result;
}

}  // namespace tav
