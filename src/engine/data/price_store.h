#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/bar_series.h"
#include "core/local_date.h"
#include "data/program_folder.h"

namespace tav {

// How series are kept: one file per security and period (accumulate), or only
// the last displayed series in "Last.txt" (scratch).
enum class StorageMode : uint8_t { Scratch = 0, Accumulate = 1 };

// Path of the series file: Data/{prefix}{code}.txt, or Data/Last.txt in scratch mode.
std::string dataFilePath(const ProgramFolder& folder, StockCode code, PeriodMode period,
                         StorageMode mode);

// The bars of a data file's bytes, in file order. Lines whose four prices are 0
// (blank or malformed lines too) are skipped; an empty field ends a line's
// field scan; a date field longer than 11 characters or a line longer than 511
// characters rejects the line.
std::vector<DailyBar> parseSeries(std::string_view bytes);

// Reads a data file; no bars when it cannot be opened or holds no valid line.
std::vector<DailyBar> loadSeries(const std::string& path);

// The data file text of the bars; provisional bars are left out. Volumes are
// written in full (a 64-bit column), so any volume reads back unchanged.
std::string formatSeries(std::span<const DailyBar> bars);

// How many days of the stored bars the bars lack (provisional bars do not
// count; a stored line whose date is no calendar day is no day).
int storedDaysMissing(std::span<const DailyBar> bars, std::span<const DailyBar> stored);

// True when the bars hold every day of the stored ones, so writing them over
// the file loses no day: not one at either end, nor one in between.
bool coversStoredBars(std::span<const DailyBar> bars, std::span<const DailyBar> stored);

// Writes the loaded series back to its file. In accumulate mode nothing is
// done while savedCount equals the bar count, and a series that reaches less
// far than its file (a shorter fetch) is not written over it; scratch mode
// always writes "Last.txt". The rewrite is atomic; a failure is silent and
// leaves the old file.
bool saveIfChanged(const ProgramFolder& folder, BarSeries& series, StorageMode mode);

// Rewrites the accumulate-mode file of the loaded code and period, whatever the mode.
bool saveAll(const ProgramFolder& folder, BarSeries& series);

// Appends bars to the accumulate-mode file of the series. When the file does
// not exist yet, the whole loaded series is written instead (it already holds
// the new bars).
bool appendBars(const ProgramFolder& folder, const BarSeries& series,
                std::span<const DailyBar> newBars);

// Today's date text compared byte-wise with the last bar's date: negative when
// today is earlier than the last bar.
int checkLastDate(const BarSeries& series, const LocalDate& today);

// True when the text names a real calendar day (YYYYMMDD) no later than today.
bool isStorableDate(std::string_view date, const LocalDate& today);

// Removes the bars whose date is no calendar day or lies after today, so a
// fetched page cannot plant them in a data file. Returns how many went.
std::size_t dropImpossibleDates(std::vector<DailyBar>& bars, const LocalDate& today);

// Index of the first bar whose date is greater than the next bar's date, or -1
// when the dates never go backwards.
int firstDateDisorder(std::span<const DailyBar> bars);

}  // namespace tav
