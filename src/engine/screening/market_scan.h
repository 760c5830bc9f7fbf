#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "conditions/condition.h"
#include "core/period_mode.h"
#include "core/stock_code.h"
#include "data/price_store.h"
#include "data/program_folder.h"
#include "data/stock_master.h"
#include "screening/screening_settings.h"
#include "security/loaded_security.h"
#include "settings/analysis_parameters.h"

namespace tav {

// The master list read once, indexed by code (the first line of a code wins,
// as in a lookup), so that workers look codes up without touching the file.
class MasterIndex {
  public:
    MasterIndex() = default;
    explicit MasterIndex(std::string_view listBytes);
    // A code not in the list: name "-----", market "---", unit 0.
    SecurityInfo lookUp(StockCode code) const;

  private:
    std::unordered_map<StockCode, SecurityInfo> entries_;
};

// The parameter block in force for any security, without touching the
// settings store: with individual settings on a security's own
// "Config/<code>.cfg" when it has one, else the common block.
struct ParameterSource {
    bool individual = false;
    std::string folderRoot;
    AnalysisParameters common = AnalysisParameters::defaults();

    AnalysisParameters forCode(StockCode code) const;
};

// What is known of one input line before its series is loaded.
struct ScanEntry {
    StockCode code = 0;
    std::string market;  // UTF-8
    int unit = 0;
    std::string margin;  // "貸借", "信用" or anything else
    bool skip = false;   // a master-list line whose unit field says unknown
};

// Everything a run over many securities reads, as one self-contained value:
// no reference into the workspace, so it can be handed to another thread.
struct MarketScan {
    ProgramFolder folder{""};
    StorageMode storageMode = StorageMode::Accumulate;
    PeriodMode period = PeriodMode::Daily;
    std::vector<std::string> lines;  // the input lines, UTF-8
    // Market, unit and margin come from the line's own fields (the master
    // list as input in accumulate mode), else from the master list.
    bool fieldsFromLine = false;
    MasterIndex master;
    ParameterSource parameters;
    DisplaySwitches switches;
    std::vector<ConditionCapsule> capsules;  // what category 5 rows name
    SecurityFilters filters;
    int threads = 0;  // 0: one per core

    ScanEntry entry(std::string_view line) const;
    // The market, unit and margin filters.
    bool passesListFilters(const ScanEntry& entry) const;
    // Loads and recomputes a security into `security` (reused by a worker).
    // False when it has no readable bars.
    bool load(const ScanEntry& entry, LoadedSecurity& security) const;
};

// Liquidity of the last bar: a multiple of 0 passes nothing; otherwise the
// volume (the last bar's, or the series' mean for "出来高平均" when the
// volume guide is above 3) must reach multiple × unit.
bool passesLiquidity(const SecurityFilters& filters, const LoadedSecurity& security, int unit);

// Why a security was not examined.
enum class LoadFailure { None, NoData, Unreadable };
LoadFailure loadFailure(const MarketScan& scan, StockCode code);

// What became of an input line of a back-test over many securities.
enum class LineRun : uint8_t { NotRun, Ran, NoData, Unreadable };
// Loads the line's security into `security` for a back-test: Ran when it
// passes the list and liquidity filters and has bars, NotRun when a filter
// leaves it out.
LineRun loadForRun(const MarketScan& scan, const ScanEntry& entry, LoadedSecurity& security);

// A selected input line as the output watchlist keeps it: cut at its second
// comma, its first comma replaced by a blank ("1301,極洋,東証1部" -> "1301 極洋").
std::string watchlistLineOf(std::string_view line);

// Counts of a finished run.
struct ScanCounts {
    int selected = 0;
    int skipped = 0;  // no stored bars
    int failed = 0;   // a file that is there but cannot be read
    friend bool operator==(const ScanCounts&, const ScanCounts&) = default;
};
// Counts the line in `counts` (selected when it ran).
void countLine(ScanCounts& counts, LineRun result);
// "抽出 3 件、スキップ 1 件、失敗 0 件".
std::string summaryText(const ScanCounts& counts, bool ranking = false);

}  // namespace tav
