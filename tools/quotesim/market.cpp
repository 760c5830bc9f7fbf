#include "market.h"

#include <algorithm>

#include "core/calendar.h"
#include "core/file_io.h"
#include "core/text.h"
#include "data/price_store.h"
#include "data/stock_master.h"

namespace tav::quotesim {

namespace {

int32_t dateNumber(std::string_view text) {
    int32_t value = 0;
    for (char c : text.substr(0, 8)) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
    }
    return text.size() >= 8 ? value : 0;
}

std::vector<PriceBar> compactBars(const std::vector<DailyBar>& bars) {
    std::vector<PriceBar> compact;
    compact.reserve(bars.size());
    for (const DailyBar& bar : bars) {
        int32_t date = dateNumber(bar.dateText());
        if (date == 0) continue;
        compact.push_back({date, bar.open, bar.high, bar.low, bar.close, bar.volume});
    }
    return compact;
}

}  // namespace

Market::Market(std::vector<SimulatedSecurity> securities) {
    for (auto& security : securities) {
        StockCode code = security.code;
        if (entries_.count(code)) continue;  // the first line of a code wins
        entries_[code] = Entry{std::move(security), true};
        codes_.push_back(code);
    }
    std::sort(codes_.begin(), codes_.end());
}

std::unique_ptr<Market> Market::fromFolder(const std::string& folder) {
    auto list = fileio::readFile(fileio::joinPath(folder, StockMaster::kFileName));
    if (!list) return nullptr;
    std::unique_ptr<Market> market(new Market());
    market->dataFolder_ = fileio::joinPath(folder, "Data");
    fileio::forEachLine(*list, [&](std::string_view line) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        MasterLine fields = parseMasterLine(line);
        if (fields.code <= 0 || market->entries_.count(fields.code)) return;
        SimulatedSecurity security;
        security.code = fields.code;
        security.name = text::utf8FromSjis(fields.name);
        security.market = fields.market.empty() ? "-" : text::utf8FromSjis(fields.market);
        security.unit = fields.unit.empty() ? "-" : std::string(fields.unit);
        security.symbol = fields.symbol.empty() ? "-" : std::string(fields.symbol);
        market->entries_[fields.code] = Entry{std::move(security), false};
        market->codes_.push_back(fields.code);
    });
    std::sort(market->codes_.begin(), market->codes_.end());
    return market;
}

const SimulatedSecurity* Market::find(StockCode code) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = entries_.find(code);
    if (found == entries_.end()) return nullptr;
    auto& entry = const_cast<Entry&>(found->second);
    if (!entry.loaded) {
        entry.security.bars =
            compactBars(loadSeries(fileio::joinPath(dataFolder_, codeText(code) + ".txt")));
        entry.loaded = true;
    }
    return &entry.security;
}

const SimulatedSecurity* Market::findSymbol(std::string_view symbol) const {
    if (symbol.empty() || symbol == "-") return nullptr;
    for (StockCode code : codes_) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (entries_.at(code).security.symbol != symbol) continue;
        }
        return find(code);
    }
    return nullptr;
}

std::string Market::masterListText() const {
    std::string list;
    std::lock_guard<std::mutex> lock(mutex_);
    for (StockCode code : codes_) {
        const SimulatedSecurity& security = entries_.at(code).security;
        list += codeText(code) + "," + security.name + "," + security.market + "," +
                security.unit + "," + security.symbol + "\n";
    }
    return text::sjisFromUtf8(list);
}

int64_t dayNumber(int32_t date) {
    return tav::dayNumber(LocalDate{date / 10000, date / 100 % 100, date % 100});
}

int32_t dateOfDay(int64_t days) {
    const LocalDate date = tav::dateOfDay(days);
    return date.year * 10000 + date.month * 100 + date.day;
}

int weekday(int32_t date) { return weekdayOfDay(dayNumber(date)); }

std::vector<PriceBar> periodBars(const std::vector<PriceBar>& daily, PeriodMode period) {
    if (period == PeriodMode::Daily) return daily;
    auto periodKey = [period](int32_t date) -> int64_t {
        if (period == PeriodMode::Monthly) return date / 100;
        return mondayOfWeek(dayNumber(date));
    };
    std::vector<PriceBar> bars;
    int64_t currentKey = -1;
    for (const PriceBar& day : daily) {
        int64_t key = periodKey(day.date);
        if (bars.empty() || key != currentKey) {
            currentKey = key;
            PriceBar bar = day;
            if (period == PeriodMode::Monthly) bar.date = day.date / 100 * 100 + 1;
            bars.push_back(bar);
            continue;
        }
        PriceBar& bar = bars.back();
        bar.high = std::max(bar.high, day.high);
        bar.low = std::min(bar.low, day.low);
        bar.close = day.close;
        bar.volume += day.volume;
    }
    return bars;
}

}  // namespace tav::quotesim
