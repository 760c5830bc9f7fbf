#include "portfolio/portfolio_run.h"

#include <algorithm>
#include <cstdio>

#include "core/integer_field.h"
#include "simulation/number_formats.h"
#include "simulation/position_sizing.h"

namespace tav {

namespace {

constexpr ScoreSlot kScoreSlots[] = {
    {"maLong", [](const DailyBar& b) -> int64_t { return b.maLong; }},
    {"maMid", [](const DailyBar& b) -> int64_t { return b.maMid; }},
    {"maShort", [](const DailyBar& b) -> int64_t { return b.maShort; }},
    {"macd", [](const DailyBar& b) -> int64_t { return b.macd; }},
    {"macdSignal", [](const DailyBar& b) -> int64_t { return b.macdSignal; }},
    {"forceIndex", [](const DailyBar& b) -> int64_t { return b.forceIndex; }},
    {"williamsR", [](const DailyBar& b) -> int64_t { return b.williamsR; }},
    {"rsi", [](const DailyBar& b) -> int64_t { return b.rsi; }},
    {"rci", [](const DailyBar& b) -> int64_t { return b.rci; }},
    {"vlRsi", [](const DailyBar& b) -> int64_t { return b.vlRsi; }},
    {"deviationLong", [](const DailyBar& b) -> int64_t { return b.deviationLong; }},
    {"deviationMid", [](const DailyBar& b) -> int64_t { return b.deviationMid; }},
    {"roc", [](const DailyBar& b) -> int64_t { return b.roc; }},
    {"vr", [](const DailyBar& b) -> int64_t { return b.vr; }},
    {"wakoVr", [](const DailyBar& b) -> int64_t { return b.wakoVr; }},
    {"pvr", [](const DailyBar& b) -> int64_t { return b.pvr; }},
    {"adx", [](const DailyBar& b) -> int64_t { return b.adx; }},
    {"plusDi", [](const DailyBar& b) -> int64_t { return b.plusDi; }},
    {"minusDi", [](const DailyBar& b) -> int64_t { return b.minusDi; }},
    {"stochK", [](const DailyBar& b) -> int64_t { return b.stochK; }},
    {"stochSlowD", [](const DailyBar& b) -> int64_t { return b.stochSlowD; }},
    {"volume", [](const DailyBar& b) -> int64_t { return b.volume; }},
};

// Export names and list labels, in the order of EntryOutcome.
constexpr struct {
    std::string_view name;
    std::string_view label;
} kEntryOutcomeTexts[] = {
    {"taken", ""},
    {"skipped-cash", "見送り（資金不足）"},
    {"skipped-limit", "見送り（建玉上限）"},
    {"skipped-lot", "見送り（単元未満）"},
};

int32_t dateNumber(const DailyBar& bar) {
    int32_t value = 0;
    for (char c : bar.dateText().substr(0, 8)) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
    }
    return value;
}

uint64_t mixed(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

struct SecurityRun {
    LineRun result = LineRun::NotRun;
    SecuritySignals security;
};

struct Worker {
    LoadedSecurity security;
    TradeJournal journal;
};

// The strategy's window narrowed to the chosen dates.
RunWindow accountWindow(std::span<const DailyBar> bars, const PortfolioJob& job) {
    RunWindow window = runWindow(bars, job.simulation, ChartView{}, job.currentYear);
    window.end = std::min<int>(window.end, static_cast<int>(bars.size()));
    const PortfolioSettings& s = job.settings;
    while (s.from != 0 && window.start < window.end && dateNumber(bars[window.start]) < s.from)
        ++window.start;
    while (s.to != 0 && window.end > window.start && dateNumber(bars[window.end - 1]) > s.to)
        --window.end;
    return window;
}

int64_t scoreOf(const PortfolioJob& job, StockCode code, std::span<const DailyBar> bars, int at) {
    const DailyBar& bar = bars[static_cast<std::size_t>(at)];
    switch (job.settings.score) {
        case PositionScore::TradingValue:
            return int64_t{bar.close} * bar.volume;
        case PositionScore::Slot:
            return job.settings.slot >= 0 && job.settings.slot < std::ssize(kScoreSlots)
                       ? kScoreSlots[job.settings.slot].value(bar)
                       : 0;
        case PositionScore::Bars:
            return at + 1;
        case PositionScore::Random:
            return static_cast<int64_t>(
                mixed(job.settings.seed ^
                      mixed(uint64_t(code) << 32 | uint32_t(dateNumber(bar)))) >>
                1);
    }
    return 0;
}

SecurityRun runSecurity(const PortfolioJob& job, Worker& worker, int index) {
    const MarketScan& scan = job.scan;
    SecurityRun out;
    const ScanEntry entry = scan.entry(scan.lines[static_cast<std::size_t>(index)]);
    LoadedSecurity& security = worker.security;
    out.result = loadForRun(scan, entry, security);
    if (out.result != LineRun::Ran) return out;
    SecuritySignals& found = out.security;
    found.code = entry.code;
    found.name = security.security.name;
    found.unitShares = std::max(security.security.unit, 1);

    std::span<DailyBar> bars = security.series.bars;
    const ConditionInputs inputs = security.conditionInputs(scan.switches, scan.capsules);
    const SimulationInputs simulation{job.strategy, job.simulation, security.security.unit, inputs,
                                      &worker.journal};
    const RunWindow window = accountWindow(bars, job);
    if (window.end <= window.start) return out;
    runSimulation(bars, simulation, window, RunKind::Statistics);
    if (worker.journal.fills.empty()) return out;

    found.events.reserve(worker.journal.fills.size());
    for (const Fill& fill : worker.journal.fills) {
        const DailyBar& bar = bars[static_cast<std::size_t>(fill.bar)];
        found.events.push_back(
            {dateNumber(bar), fill.kind, fill.side, fill.tactic, fill.reason, fill.units,
             fill.price,
             fill.kind == FillKind::Open ? scoreOf(job, entry.code, bars, fill.bar) : 0});
    }
    found.closes.reserve(static_cast<std::size_t>(window.end - window.start));
    for (int j = window.start; j < window.end; ++j)
        found.closes.push_back({dateNumber(bars[static_cast<std::size_t>(j)]),
                                bars[static_cast<std::size_t>(j)].close});
    return out;
}

// The account's walk over the merged signals, one day at a time.
class Account {
  public:
    Account(const PortfolioSettings& settings, const SimulationSettings& simulation,
            std::span<const SecuritySignals> runs, PortfolioOutcome& out)
        : s_(settings), simulation_(simulation), runs_(runs), out_(out), cash_(settings.capital) {
        held_.assign(runs.size(), -1);
        cursor_.assign(runs.size(), 0);
        lastClose_.assign(runs.size(), 0);
    }

    void walk() {
        std::vector<int32_t> dates;
        for (const SecuritySignals& run : runs_)
            for (const DayClose& day : run.closes)
                dates.push_back(day.date);
        std::sort(dates.begin(), dates.end());
        dates.erase(std::unique(dates.begin(), dates.end()), dates.end());

        std::vector<std::size_t> next(runs_.size(), 0);
        int64_t peak = s_.capital;
        double exposureSum = 0;
        for (const int32_t date : dates) {
            today_.clear();
            for (std::size_t r = 0; r < runs_.size(); ++r) {
                const auto& events = runs_[r].events;
                bool openedToday = false;
                for (; next[r] < events.size() && events[next[r]].date <= date; ++next[r]) {
                    const Signal& signal = events[next[r]];
                    if (signal.kind == FillKind::Open) openedToday = true;
                    today_.push_back({static_cast<int>(r), &signal, openedToday});
                }
            }
            for (const Event& e : today_)
                if (e.signal->kind == FillKind::Close && !e.afterOpen) exit(e, date);
            if (s_.sizing == PositionSizing::Strategy)
                for (const Event& e : today_)
                    if (e.signal->kind == FillKind::Add && !e.afterOpen) add(e);
            enterRanked(date);
            for (const Event& e : today_) {
                if (!e.afterOpen) continue;
                if (e.signal->kind == FillKind::Close) exit(e, date);
                if (e.signal->kind == FillKind::Add && s_.sizing == PositionSizing::Strategy)
                    add(e);
            }

            const int64_t held = heldValue(date);
            const int64_t equity = cash_ + held;
            peak = std::max(peak, equity);
            out_.days.push_back(
                {date, equity, cash_, equity - peak, static_cast<int>(open_.size())});
            if (equity - peak < out_.maxDrawdown) {
                out_.maxDrawdown = equity - peak;
                out_.maxDrawdownPercent = peak > 0 ? 100.0 * static_cast<double>(equity - peak) /
                                                         static_cast<double>(peak)
                                                   : 0;
            }
            if (equity > 0) exposureSum += static_cast<double>(held) / static_cast<double>(equity);
        }
        if (!dates.empty()) out_.exposure = exposureSum / static_cast<double>(dates.size());
        finish();
    }

  private:
    struct Event {
        int run;
        const Signal* signal;
        bool afterOpen;  // follows an opening of the same security today
    };

    int64_t shareCount(int run, int64_t units) const {
        return units * runs_[static_cast<std::size_t>(run)].unitShares;
    }

    int64_t valuation(const PortfolioTrade& t, int32_t price) const {
        const int64_t perShare = t.side == 1 ? price - t.entryPrice : t.entryPrice - price;
        return perShare * shareCount(t.security, t.units);
    }

    int64_t costOf(const PortfolioTrade& t) const {
        return int64_t{t.entryPrice} * shareCount(t.security, t.units);
    }

    // Cash plus what the held positions are worth at the last close up to `date`.
    int64_t heldValue(int32_t date) {
        int64_t value = 0;
        for (const int index : open_) {
            const PortfolioTrade& t = out_.trades[static_cast<std::size_t>(index)];
            const auto r = static_cast<std::size_t>(t.security);
            const auto& closes = runs_[r].closes;
            while (cursor_[r] < closes.size() && closes[cursor_[r]].date <= date)
                lastClose_[r] = closes[cursor_[r]++].close;
            value += costOf(t) + valuation(t, lastClose_[r] != 0 ? lastClose_[r] : t.entryPrice);
        }
        return value;
    }

    int64_t equityNow() const {
        int64_t value = cash_;
        for (const int index : open_) {
            const PortfolioTrade& t = out_.trades[static_cast<std::size_t>(index)];
            const int32_t close = lastClose_[static_cast<std::size_t>(t.security)];
            value += costOf(t) + valuation(t, close != 0 ? close : t.entryPrice);
        }
        return value;
    }

    void exit(const Event& e, int32_t date) {
        int& index = held_[static_cast<std::size_t>(e.run)];
        if (index < 0) return;
        PortfolioTrade& t = out_.trades[static_cast<std::size_t>(index)];
        t.exitDate = date;
        t.exitPrice = e.signal->price;
        t.reason = e.signal->reason;
        t.profit = valuation(t, t.exitPrice);
        const int64_t fee =
            commissionFor(simulation_, int64_t{t.exitPrice} * shareCount(e.run, t.units));
        t.commission += fee;
        cash_ += costOf(t) + t.profit - fee;
        open_.erase(std::find(open_.begin(), open_.end(), index));
        index = -1;
    }

    void add(const Event& e) {
        const int index = held_[static_cast<std::size_t>(e.run)];
        if (index < 0 || e.signal->units <= 0) return;
        PortfolioTrade& t = out_.trades[static_cast<std::size_t>(index)];
        const int64_t amount = int64_t{e.signal->price} * shareCount(e.run, e.signal->units);
        const int64_t fee = commissionFor(simulation_, amount);
        if (amount + fee > cash_) {
            ++out_.skippedCash;
            return;
        }
        cash_ -= amount + fee;
        // The average the security's own run keeps for its adds.
        t.entryPrice = static_cast<int32_t>(
            (int64_t{e.signal->price} * e.signal->units + t.units * t.entryPrice) /
            (t.units + e.signal->units));
        t.units += e.signal->units;
        t.commission += fee;
    }

    int64_t unitsFor(const Event& e, int64_t equity) const {
        const int64_t unitCost = shareCount(e.run, 1) * e.signal->price;
        switch (s_.sizing) {
            case PositionSizing::Fixed:
                return unitCost > 0 ? s_.sizeValue / unitCost : 0;
            case PositionSizing::EquityShare:
                return unitCost > 0 ? std::max<int64_t>(equity, 0) * s_.sizeValue / 100 / unitCost
                                    : 0;
            case PositionSizing::Strategy:
                return e.signal->units;
        }
        return 0;
    }

    void enterRanked(int32_t date) {
        entries_.clear();
        for (const Event& e : today_)
            if (e.signal->kind == FillKind::Open && held_[static_cast<std::size_t>(e.run)] < 0)
                entries_.push_back(e);
        if (entries_.empty()) return;
        // today_ is in input order already, so a stable sort keeps ties there.
        std::stable_sort(entries_.begin(), entries_.end(), [](const Event& a, const Event& b) {
            return a.signal->score > b.signal->score;
        });
        const int64_t equity = equityNow();
        for (const Event& e : entries_) {
            const Signal& signal = *e.signal;
            PortfolioTrade t;
            t.security = e.run;
            t.side = signal.side;
            t.tactic = signal.tactic;
            t.entryDate = date;
            t.entryPrice = signal.price;
            t.score = signal.score;
            t.units = unitsFor(e, equity);
            const int64_t amount = costOf(t);
            const int64_t fee = commissionFor(simulation_, amount);
            if (s_.maxPositions > 0 && static_cast<int>(open_.size()) >= s_.maxPositions) {
                t.outcome = EntryOutcome::SkippedLimit;
                ++out_.skippedLimit;
            } else if (t.units <= 0) {
                t.outcome = EntryOutcome::SkippedLot;
                ++out_.skippedLot;
            } else if (amount + fee > cash_) {
                t.outcome = EntryOutcome::SkippedCash;
                ++out_.skippedCash;
            } else {
                cash_ -= amount + fee;
                t.commission = fee;
                held_[static_cast<std::size_t>(e.run)] = static_cast<int>(out_.trades.size());
                open_.push_back(static_cast<int>(out_.trades.size()));
            }
            out_.trades.push_back(t);
        }
    }

    void finish() {
        SimulationResult& r = out_.summary;
        r.capital = s_.capital;
        r.bars = static_cast<int32_t>(out_.days.size());
        for (PortfolioTrade& t : out_.trades) {
            if (t.outcome != EntryOutcome::Taken) continue;
            PortfolioSecurity& security = out_.securities[static_cast<std::size_t>(t.security)];
            ++security.trades;
            r.totalCommission += t.commission;
            if (t.exitDate == 0) {
                const int32_t close = lastClose_[static_cast<std::size_t>(t.security)];
                t.exitPrice = close != 0 ? close : t.entryPrice;
                t.profit = valuation(t, t.exitPrice);
                r.units += t.units;
                r.openProfit += t.profit;
                security.net += t.net();
                continue;
            }
            security.net += t.net();
            ++r.trades;
            if (t.profit > 0) {
                ++r.wins;
                r.grossProfit += t.profit;
                r.maxProfit = std::max(r.maxProfit, t.profit);
            } else {
                r.grossLoss += t.profit;
                r.maxLoss = std::min(r.maxLoss, t.profit);
            }
            r.totalProfit += t.profit;
        }
        int64_t heldCost = 0;
        for (const int index : open_)
            heldCost += costOf(out_.trades[static_cast<std::size_t>(index)]);
        r.equity = cash_ + heldCost;
        finishStatistics(r, simulation_);
    }

    const PortfolioSettings& s_;
    const SimulationSettings& simulation_;
    std::span<const SecuritySignals> runs_;
    PortfolioOutcome& out_;
    int64_t cash_;
    std::vector<int> held_;  // per security: its open trade, -1 none
    std::vector<std::size_t> cursor_;
    std::vector<int32_t> lastClose_;
    std::vector<int> open_;  // open trades, in order of entry
    std::vector<Event> today_;
    std::vector<Event> entries_;
};

}  // namespace

std::span<const ScoreSlot> scoreSlots() {
    return kScoreSlots;
}

std::optional<int> findScoreSlot(std::string_view name) {
    for (std::size_t i = 0; i < std::size(kScoreSlots); ++i)
        if (kScoreSlots[i].name == name) return static_cast<int>(i);
    return std::nullopt;
}

std::optional<PortfolioOutcome> runPortfolio(const PortfolioJob& job, RunControl& control) {
    auto results = orderedParallelMap<SecurityRun, Worker>(
        static_cast<int>(job.scan.lines.size()), job.scan.threads, [] { return Worker{}; },
        [&](Worker& worker, int index) { return runSecurity(job, worker, index); }, control);
    if (!results) return std::nullopt;

    ScanCounts counts;
    std::vector<SecuritySignals> runs;
    for (SecurityRun& run : *results) {
        countLine(counts, run.result);
        if (!run.security.events.empty()) runs.push_back(std::move(run.security));
    }
    PortfolioOutcome outcome = walkAccount(job.settings, job.simulation, runs);
    outcome.counts = counts;
    return outcome;
}

PortfolioOutcome walkAccount(const PortfolioSettings& settings,
                             const SimulationSettings& simulation,
                             std::span<const SecuritySignals> securities) {
    PortfolioOutcome outcome;
    for (const SecuritySignals& security : securities)
        outcome.securities.push_back({security.code, security.name, security.unitShares, 0, 0});
    Account(settings, simulation, securities, outcome).walk();
    return outcome;
}

std::vector<NoteLine> portfolioNoteLines(const PortfolioOutcome& outcome) {
    std::vector<NoteLine> lines = noteLines(ResultBlock{true, outcome.summary});
    char percent[32];
    std::snprintf(percent, sizeof percent, "%.1f%%", outcome.maxDrawdownPercent);
    lines.push_back({"最大ドローダウン", amountText(outcome.maxDrawdown) + " (" + percent + ")"});
    std::snprintf(percent, sizeof percent, "%.1f%%", outcome.exposure * 100);
    lines.push_back({"平均投資比率", percent});
    lines.push_back({std::string(entryOutcomeLabel(EntryOutcome::SkippedCash)),
                     std::to_string(outcome.skippedCash)});
    lines.push_back({std::string(entryOutcomeLabel(EntryOutcome::SkippedLimit)),
                     std::to_string(outcome.skippedLimit)});
    lines.push_back({std::string(entryOutcomeLabel(EntryOutcome::SkippedLot)),
                     std::to_string(outcome.skippedLot)});
    return lines;
}

std::string_view entryOutcomeName(EntryOutcome outcome) {
    return kEntryOutcomeTexts[static_cast<std::size_t>(outcome)].name;
}

std::string_view entryOutcomeLabel(EntryOutcome outcome) {
    return kEntryOutcomeTexts[static_cast<std::size_t>(outcome)].label;
}

bool parsePositionSizing(std::string_view text, PortfolioSettings& settings) {
    if (text == "strategy") {
        settings.sizing = PositionSizing::Strategy;
        return true;
    }
    const std::size_t colon = text.find(':');
    const std::string_view kind = text.substr(0, colon);
    const int64_t value =
        colon == std::string_view::npos ? 0 : parseWholeNumber(text.substr(colon + 1)).value_or(0);
    if (kind == "fixed" && value > 0)
        settings.sizing = PositionSizing::Fixed;
    else if (kind == "equity" && value > 0 && value <= 100)
        settings.sizing = PositionSizing::EquityShare;
    else
        return false;
    settings.sizeValue = value;
    return true;
}

bool parsePositionScore(std::string_view text, PortfolioSettings& settings) {
    const std::size_t colon = text.find(':');
    const std::string_view kind = text.substr(0, colon);
    const std::string_view rest =
        colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);
    if (text == "value") {
        settings.score = PositionScore::TradingValue;
    } else if (text == "bars") {
        settings.score = PositionScore::Bars;
    } else if (kind == "slot" && findScoreSlot(rest)) {
        settings.score = PositionScore::Slot;
        settings.slot = *findScoreSlot(rest);
    } else if (kind == "random" && parseWholeNumber(rest)) {
        settings.score = PositionScore::Random;
        settings.seed = static_cast<uint64_t>(*parseWholeNumber(rest));
    } else {
        return false;
    }
    return true;
}

}  // namespace tav
