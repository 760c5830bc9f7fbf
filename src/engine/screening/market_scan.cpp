#include "screening/market_scan.h"

#include <array>

#include "core/fields.h"
#include "core/file_io.h"
#include "core/text.h"
#include "settings/settings_store.h"

namespace tav {

namespace {

// The first N comma-separated fields of a UTF-8 line (a comma never occurs
// inside a UTF-8 sequence); missing fields are empty.
template <std::size_t N>
std::array<std::string_view, N> commaFields(std::string_view line) {
    std::array<std::string_view, N> fields{};
    for (std::size_t f = 0; f < N && !line.empty(); ++f) {
        const std::size_t comma = line.find(',');
        fields[f] = line.substr(0, comma);
        if (comma == std::string_view::npos) break;
        line.remove_prefix(comma + 1);
    }
    return fields;
}

bool unknownMark(std::string_view field) {
    return field == "-" || field == "0";
}

// The stored per-code file; runs read it in either storage mode and never fetch.
std::string seriesPath(const MarketScan& scan, StockCode code) {
    return dataFilePath(scan.folder, code, scan.period, StorageMode::Accumulate);
}

}  // namespace

MasterIndex::MasterIndex(std::string_view listBytes) {
    fileio::forEachLine(listBytes, [&](std::string_view line) {
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.remove_suffix(1);
        const MasterLine parsed = parseMasterLine(line);
        if (parsed.code <= 0 || entries_.contains(parsed.code)) return;
        SecurityInfo info;
        info.name = text::utf8FromSjis(parsed.name);
        info.market = unknownMark(parsed.market) ? "---" : text::utf8FromSjis(parsed.market);
        info.unit = unknownMark(parsed.unit) ? 0 : parseLeadingInt32(parsed.unit);
        info.symbol = text::utf8FromSjis(parsed.symbol);
        entries_.emplace(parsed.code, std::move(info));
    });
}

SecurityInfo MasterIndex::lookUp(StockCode code) const {
    if (auto found = entries_.find(code); found != entries_.end()) return found->second;
    SecurityInfo missing;
    missing.name = "-----";
    missing.market = "---";
    return missing;
}

AnalysisParameters ParameterSource::forCode(StockCode code) const {
    if (!individual) return common;
    const std::string path =
        fileio::joinPath(fileio::joinPath(folderRoot, "Config"), codeText(code) + ".cfg");
    if (auto bytes = fileio::readFile(path)) return parametersFromSettingsFile(*bytes);
    return common;
}

ScanEntry MarketScan::entry(std::string_view line) const {
    ScanEntry entry;
    entry.code = parseLeadingCode(line);
    if (fieldsFromLine) {
        const auto fields = commaFields<6>(line);
        entry.market = std::string(fields[2]);
        entry.skip = fields[3].starts_with('-') || fields[3].starts_with('0');
        entry.unit = parseLeadingInt32(fields[3]);
        entry.margin = std::string(fields[4]);
        return entry;
    }
    const SecurityInfo info = master.lookUp(entry.code);
    entry.market = info.market;
    entry.unit = info.unit;
    entry.margin = info.symbol;
    return entry;
}

bool MarketScan::passesListFilters(const ScanEntry& entry) const {
    if (entry.skip) return false;
    if (filters.market > 0 && filters.market < static_cast<int>(kMarketLabels.size()) &&
        entry.market != kMarketLabels[static_cast<std::size_t>(filters.market)])
        return false;
    switch (filters.unit) {
        case 1:
            if (entry.unit != 1000) return false;
            break;
        case 2:
            if (entry.unit < 100 || entry.unit > 500) return false;
            break;
        case 3:
            if (entry.unit > 50) return false;
            break;
        default:
            break;
    }
    if (filters.marginType > 0 && filters.marginType < static_cast<int>(kMarginLabels.size()) &&
        entry.margin != kMarginLabels[static_cast<std::size_t>(filters.marginType)])
        return false;
    return true;
}

bool MarketScan::load(const ScanEntry& entry, LoadedSecurity& security) const {
    security.period = period;
    security.parameters = parameters.forCode(entry.code);
    if (!security.loadStored(folder, entry.code, StorageMode::Accumulate)) return false;
    security.security = master.lookUp(entry.code);
    security.series.name = security.security.name;
    security.recompute(switches);
    return true;
}

bool passesLiquidity(const SecurityFilters& filters, const LoadedSecurity& security, int unit) {
    if (filters.liquidity == kLiquidityNone) return true;
    if (filters.liquidityMultiple == 0 || security.series.empty()) return false;
    int64_t volume = security.series.bars.back().volume;
    const int64_t guide = security.analysis.values.volumeGuide;
    if (filters.liquidity == kLiquidityAverage && guide > 3) volume = guide / 3;
    return volume >= int64_t{filters.liquidityMultiple} * unit;
}

LoadFailure loadFailure(const MarketScan& scan, StockCode code) {
    return fileio::fileExists(seriesPath(scan, code)) && !fileio::readFile(seriesPath(scan, code))
               ? LoadFailure::Unreadable
               : LoadFailure::NoData;
}

LineRun loadForRun(const MarketScan& scan, const ScanEntry& entry, LoadedSecurity& security) {
    if (!scan.passesListFilters(entry)) return LineRun::NotRun;
    if (!scan.load(entry, security))
        return loadFailure(scan, entry.code) == LoadFailure::Unreadable ? LineRun::Unreadable
                                                                        : LineRun::NoData;
    return passesLiquidity(scan.filters, security, entry.unit) ? LineRun::Ran : LineRun::NotRun;
}

void countLine(ScanCounts& counts, LineRun result) {
    if (result == LineRun::Ran) ++counts.selected;
    if (result == LineRun::NoData) ++counts.skipped;
    if (result == LineRun::Unreadable) ++counts.failed;
}

std::string watchlistLineOf(std::string_view line) {
    std::string out(line);
    const std::size_t first = out.find(',');
    if (first == std::string::npos) return out;
    const std::size_t second = out.find(',', first + 1);
    if (second != std::string::npos) out.resize(second);
    out[first] = ' ';
    return out;
}

std::string summaryText(const ScanCounts& counts, bool ranking) {
    return std::string(ranking ? "対象 " : "抽出 ") + std::to_string(counts.selected) +
           " 件、スキップ " + std::to_string(counts.skipped) + " 件、失敗 " +
           std::to_string(counts.failed) + " 件";
}

}  // namespace tav
