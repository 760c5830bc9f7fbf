#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/period_mode.h"
#include "data/endpoints.h"
#include "data/program_folder.h"
#include "platform/http.h"
#include "platform/lzh.h"
#include "platform/prompter.h"
#include "updates/day_csv.h"

// The daily archives: for each trading day one file with that day's prices of
// every security, appended line by line to the daily files.
namespace tav {

// Where a day's CSV comes from (the stored source-mode setting).
// Api takes the day from the exchange's data API instead of an archive.
enum class SourceMode : uint8_t { Disk = 0, Net = 1, Member = 2, Api = 3 };
inline constexpr int kSourceModeCount = 4;

// What the "株価データ追加" dialog runs: the days to add and the source.
struct ArchiveChoice {
    std::vector<std::string> days;
    SourceMode mode = SourceMode::Net;
};
// The dialog, shown the proposed choice; nullopt when it is cancelled. Without
// a dialog the proposal runs as it is.
using ArchiveDialog = std::function<std::optional<ArchiveChoice>(const ArchiveChoice&)>;

enum class DayOutcome { Imported, Skipped, Stop };

// A day taken from elsewhere than an archive: its lines when Imported; Skipped
// for a day without trading; Stop after the failure was shown.
struct FetchedDay {
    DayOutcome outcome = DayOutcome::Stop;
    DayCsv csv;
};
using DayFetcher = std::function<FetchedDay(std::string_view day)>;

struct ArchiveTools {
    const ProgramFolder& folder;
    Http& http;
    Lzh& lzh;
    Prompter& prompter;
    Endpoints endpoints;
    // The pause after a read that broke off, before what came is unpacked.
    std::chrono::milliseconds readFailurePause{3000};
    // A day's archive is a few hundred kilobytes and its CSV some megabytes at
    // most; anything near these is no archive of ours.
    std::size_t maxArchiveBytes = std::size_t{32} << 20;
    std::uint64_t maxCsvBytes = std::uint64_t{64} << 20;
    // Where SourceMode::Api days come from; unset, such a day stops the run.
    DayFetcher fetchDay = {};
    // Today as YYYYMMDD: no later day is imported. Empty: no such check.
    std::string today = std::string();
    // Asked before each day; true ends the run there (cancelled).
    std::function<bool()> stopRequested = {};
};

// The record in "Data" of the last day a daily update (archive, disk or data
// API) brought in. Only those updates write it, so that bars put into 1010 by
// other means (a CSV import, a re-fetch from the quote pages) never move the
// day the next update starts after.
inline constexpr std::string_view kStoreClockName = "DailyUpdate.txt";

// The last day the store holds every security for: the recorded day, but
// never later than the last bar of code 1010's daily file (gone when the
// daily files are set aside or deleted); without a record, that last bar, as
// in stores written before the record. Empty when 1010 has no bars.
std::string lastStoredDate(const ProgramFolder& folder);

// Called before anything but a daily update writes a series file: when it
// is the daily file of 1010 or 1001 and no record exists yet, records the
// store's day as it stands, so the write cannot move it. False when the
// record cannot be written.
bool pinStoreClock(const ProgramFolder& folder, StockCode code, PeriodMode period);

// The address of day D's archive: "/dataYYYY/D.LZH" on the public server,
// "/data/D.LZH" on the member server.
std::string dayArchiveAddress(const Endpoints& endpoints, std::string_view day, SourceMode mode);

// The file in "Data" that holds the last day the data API gave whole.
inline constexpr std::string_view kApiLastDayFileName = "ApiLastDay.txt";

// The last day the store holds for a source: lastStoredDate, or for the data
// API, which carries no series of 1010, bounded by the latest of 1010's and
// 1001's last bars and the last day the API gave whole instead of 1010's alone.
std::string lastStoredDate(const ProgramFolder& folder, SourceMode mode);

// Imports one day: a day the store already holds is skipped with a message;
// the server's not-found page skips the day silently; a failure to connect,
// any other answer than the archive, a download past its deadline or size
// cap, an archive that fails to unpack or lacks the day's CSV ("D.csv", any
// case), or a failure to write the files, stops the run with its message and
// leaves every file as it was before the day. Only the CSV is taken out of
// the archive. Lines that are no bar are left out and counted into
// `rejected`; a day without a single bar is not added: skipped when its CSV
// is empty, a stop when every line was refused (a damaged file, whose day
// must not be passed over).
DayOutcome importDay(ArchiveTools& tools, std::string_view day, SourceMode mode,
                     BarRejections* rejected = nullptr);

struct ArchiveRunResult {
    int imported = 0;
    int skipped = 0;
    bool stopped = false;
    bool cancelled = false;  // stopped because the user asked, not by a failure
    // Lines of the days' CSVs left out (total), by the fault the bar check
    // found where it found one.
    BarRejections rejected = {};
};

// The run over the day list: each day in order, with the day as the status
// and the progress between days; ends at the first day that stops it.
ArchiveRunResult importDays(ArchiveTools& tools, std::span<const std::string> days,
                            SourceMode mode);

}  // namespace tav
