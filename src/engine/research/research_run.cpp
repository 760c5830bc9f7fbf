#include "research/research_run.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <stdexcept>
#include <type_traits>

#include "research/random.h"
#include "simulation/simulation_engine.h"
#include "simulation/simulation_results.h"
#include "simulation/trade_journal.h"

namespace tav {

ResearchJob researchJobOf(const MultiRunJob& prepared, std::vector<ParameterSweep> sweeps) {
    return ResearchJob{prepared.scan, prepared.strategy.strategy, prepared.simulation,
                       prepared.currentYear, std::move(sweeps)};
}

namespace {

constexpr double kTradingDaysPerYear = 250.0;

int32_t dateNumber(const DailyBar& bar) {
    int32_t value = 0;
    for (char c : bar.dateText()) {
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
    }
    return value;
}

// One work item: a security, one combination of analysis parameters and a
// run of the points that share it.
struct Item {
    int security = 0;
    int group = 0;
    int first = 0;  // into the group's points
    int last = 0;
};

struct DatedTrade {
    int32_t date = 0;
    int64_t net = 0;
};

struct ItemOutcome {
    LineRun result = LineRun::NotRun;
    std::vector<int32_t> dates;  // the first item of a security only
    std::vector<int64_t> netProfit;
    std::vector<std::vector<DatedTrade>> trades;  // per point of the item
};

// An item's outcome as bytes, for the processes sharing a run; a field added
// to ItemOutcome goes into both.
class OutcomeWriter {
  public:
    template <class T>
    void put(const T& value) {
        static_assert(std::is_trivially_copyable_v<T>);
        const auto at = bytes.size();
        bytes.resize(at + sizeof(T));
        std::memcpy(bytes.data() + at, &value, sizeof(T));
    }
    template <class T>
    void putAll(const std::vector<T>& values) {
        static_assert(std::is_trivially_copyable_v<T>);
        put(static_cast<uint64_t>(values.size()));
        const auto at = bytes.size();
        bytes.resize(at + values.size() * sizeof(T));
        if (!values.empty())
            std::memcpy(bytes.data() + at, values.data(), values.size() * sizeof(T));
    }
    void add(const ItemOutcome& out) {
        put(static_cast<uint8_t>(out.result));
        putAll(out.dates);
        putAll(out.netProfit);
        put(static_cast<uint64_t>(out.trades.size()));
        for (const auto& trades : out.trades)
            putAll(trades);
    }
    std::vector<std::byte> bytes;
};

class OutcomeReader {
  public:
    explicit OutcomeReader(const std::vector<std::byte>& bytes) : bytes_(bytes) {}
    template <class T>
    T get() {
        T value;
        take(&value, sizeof(T));
        return value;
    }
    template <class T>
    std::vector<T> getAll() {
        const auto count = get<uint64_t>();
        if (count > (bytes_.size() - at_) / sizeof(T)) fail();
        std::vector<T> values(static_cast<std::size_t>(count));
        take(values.data(), values.size() * sizeof(T));
        return values;
    }
    ItemOutcome next() {
        ItemOutcome out;
        out.result = static_cast<LineRun>(get<uint8_t>());
        out.dates = getAll<int32_t>();
        out.netProfit = getAll<int64_t>();
        out.trades.resize(static_cast<std::size_t>(get<uint64_t>()));
        for (auto& trades : out.trades)
            trades = getAll<DatedTrade>();
        return out;
    }
    bool atEnd() const { return at_ == bytes_.size(); }

  private:
    [[noreturn]] static void fail() {
        throw std::runtime_error("research: a sharing process sent a truncated outcome");
    }
    void take(void* to, std::size_t size) {
        if (size > bytes_.size() - at_) fail();
        if (size > 0) std::memcpy(to, bytes_.data() + at_, size);
        at_ += size;
    }
    const std::vector<std::byte>& bytes_;
    std::size_t at_ = 0;
};

struct WorkerState {
    LoadedSecurity security;
    int loadedSecurity = -1;
    int loadedGroup = -1;
    LineRun loadResult = LineRun::NotRun;
    AnalysisParameters ownParameters;
    Strategy strategy;
    TradeJournal journal;
    // The rows that read no position, over the window of one security and
    // analysis group, shared by the points run on it.
    ConditionBits rowBits;
    int bitsSecurity = -1;
    int bitsGroup = -1;
    PrecomputedRows precomputed;
};

// The outcomes of every item, each process running items rank, rank + size,
// ... and all exchanging theirs; or every item here without sharing. Nothing
// when this or any sharing process was cancelled.
template <class Work>
std::optional<std::vector<ItemOutcome>> runShare(int count, int threads, Work& work,
                                                 RunControl& control, WorkSharing* sharing) {
    auto makeState = [] { return WorkerState{}; };
    if (!sharing || sharing->size() <= 1)
        return orderedParallelMap<ItemOutcome, WorkerState>(count, threads, makeState, work,
                                                            control);
    const int rank = sharing->rank(), size = sharing->size();
    const int own = count > rank ? (count - rank + size - 1) / size : 0;
    auto share = [&](WorkerState& state, int k) { return work(state, rank + k * size); };
    const auto mine =
        orderedParallelMap<ItemOutcome, WorkerState>(own, threads, makeState, share, control);
    // A cancelled process still joins the exchange, so that none waits for it.
    OutcomeWriter writer;
    writer.put(static_cast<uint8_t>(mine ? 1 : 0));
    if (mine)
        for (const ItemOutcome& out : *mine)
            writer.add(out);
    const auto all = sharing->allGather(std::move(writer.bytes));
    std::vector<ItemOutcome> results(static_cast<std::size_t>(count));
    for (int r = 0; r < size; ++r) {
        OutcomeReader reader(all[static_cast<std::size_t>(r)]);
        if (reader.get<uint8_t>() == 0) return std::nullopt;
        for (int i = r; i < count; i += size)
            results[static_cast<std::size_t>(i)] = reader.next();
        if (!reader.atEnd())
            throw std::runtime_error("research: a sharing process sent more than its items");
    }
    return results;
}

}  // namespace

namespace {

std::optional<ResearchData> runBatch(const ResearchJob& job,
                                     const std::vector<ParameterPoint>& points, RunControl& control,
                                     bool keepTrades, WorkSharing* sharing) {
    const MarketScan& scan = job.scan;
    const auto securities = static_cast<int>(scan.lines.size());

    // Points grouped by their analysis values, in order of first appearance.
    std::vector<std::vector<int>> groups;
    {
        std::map<std::vector<int>, int> byKey;
        for (std::size_t p = 0; p < points.size(); ++p) {
            std::vector<int> key;
            for (std::size_t s = 0; s < job.sweeps.size(); ++s)
                if (job.sweeps[s].address.changesIndicators()) key.push_back(points[p][s]);
            auto [it, added] = byKey.try_emplace(key, static_cast<int>(groups.size()));
            if (added) groups.emplace_back();
            groups[static_cast<std::size_t>(it->second)].push_back(static_cast<int>(p));
        }
    }
    // Enough items to keep every worker of every process busy; the cut does
    // not change results.
    const int workers = workerCount(scan.threads) * (sharing ? std::max(1, sharing->size()) : 1);
    const int pieces =
        std::max<int64_t>(1, securities) * static_cast<int64_t>(groups.size()) >= 4 * workers
            ? 1
            : (4 * workers + securities * static_cast<int>(groups.size()) - 1) /
                  std::max(1, securities * static_cast<int>(groups.size()));
    std::vector<Item> items;
    for (int s = 0; s < securities; ++s)
        for (std::size_t g = 0; g < groups.size(); ++g) {
            const auto n = static_cast<int>(groups[g].size());
            const int size = std::max(1, (n + pieces - 1) / pieces);
            for (int first = 0; first < n; first += size)
                items.push_back({s, static_cast<int>(g), first, std::min(n, first + size)});
        }

    auto work = [&](WorkerState& state, int index) {
        const Item& item = items[static_cast<std::size_t>(index)];
        ItemOutcome out;
        const std::vector<int>& group = groups[static_cast<std::size_t>(item.group)];
        const ParameterPoint& sample = points[static_cast<std::size_t>(group.front())];
        const bool firstOfSecurity = item.group == 0 && item.first == 0;
        if (state.loadedSecurity != item.security) {
            const std::string& line = scan.lines[static_cast<std::size_t>(item.security)];
            state.loadResult = loadForRun(scan, scan.entry(line), state.security);
            state.loadedSecurity = item.security;
            state.loadedGroup = -1;
            state.ownParameters = state.security.parameters;
        }
        out.result = firstOfSecurity ? state.loadResult : LineRun::NotRun;
        if (state.loadResult != LineRun::Ran) return out;
        LoadedSecurity& security = state.security;
        if (state.loadedGroup != item.group) {
            bool analysed = false;
            AnalysisParameters parameters = state.ownParameters;
            for (std::size_t s = 0; s < job.sweeps.size(); ++s)
                if (job.sweeps[s].address.changesIndicators()) {
                    applyParameter(job.sweeps[s].address,
                                   job.sweeps[s].values[static_cast<std::size_t>(sample[s])],
                                   state.strategy, parameters, scan.period);
                    analysed = true;
                }
            if (analysed || security.parameters != state.ownParameters) {
                security.parameters = parameters;
                security.recompute(scan.switches);
            }
            state.loadedGroup = item.group;
        }
        const ConditionInputs inputs = security.conditionInputs(scan.switches, scan.capsules);
        const RunWindow window =
            runWindow(security.series.bars, job.simulation, ChartView{}, job.currentYear);
        auto bars = std::span<DailyBar>(security.series.bars);
        if (firstOfSecurity)
            for (int b = window.start; b < window.end; ++b)
                out.dates.push_back(dateNumber(bars[static_cast<std::size_t>(b)]));
        if (state.bitsSecurity != item.security || state.bitsGroup != item.group) {
            state.rowBits.reset(window.start, window.end);
            state.bitsSecurity = item.security;
            state.bitsGroup = item.group;
        }
        for (int k = item.first; k < item.last; ++k) {
            const ParameterPoint& point =
                points[static_cast<std::size_t>(group[static_cast<std::size_t>(k)])];
            state.strategy = job.strategy;
            AnalysisParameters unused;
            for (std::size_t s = 0; s < job.sweeps.size(); ++s)
                if (!job.sweeps[s].address.changesIndicators())
                    applyParameter(job.sweeps[s].address,
                                   job.sweeps[s].values[static_cast<std::size_t>(point[s])],
                                   state.strategy, unused, scan.period);
            const PrecomputedRows* precomputed = nullptr;
            if (job.precomputeRows) {
                state.precomputed.bind(state.strategy, inputs, state.rowBits);
                precomputed = &state.precomputed;
            }
            const SimulationInputs simulation{state.strategy,         job.simulation,
                                              security.security.unit, inputs,
                                              &state.journal,         precomputed};
            const RunOutcome run = runSimulation(bars, simulation, window, RunKind::Statistics);
            out.netProfit.push_back(tav::netProfit(run.result));
            std::vector<DatedTrade>& trades = out.trades.emplace_back();
            int64_t openingCosts = 0;
            for (const Fill& fill : state.journal.fills) {
                if (fill.kind != FillKind::Close) {
                    openingCosts += fill.commission;
                    continue;
                }
                trades.push_back({dateNumber(bars[static_cast<std::size_t>(fill.bar)]),
                                  fill.profit - fill.commission - openingCosts});
                openingCosts = 0;
            }
        }
        return out;
    };
    auto results = runShare(static_cast<int>(items.size()), scan.threads, work, control, sharing);
    if (!results) return std::nullopt;

    ResearchData data;
    std::set<int32_t> dates;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const ItemOutcome& out = (*results)[i];
        if (items[i].group == 0 && items[i].first == 0) {
            countLine(data.counts, out.result);
            dates.insert(out.dates.begin(), out.dates.end());
        }
    }
    data.dates.assign(dates.begin(), dates.end());
    data.capital = static_cast<int64_t>(job.simulation.capital) * std::max(1, data.counts.selected);
    data.points.resize(points.size());
    for (std::size_t p = 0; p < points.size(); ++p) {
        data.points[p].point = points[p];
        data.points[p].days.assign(data.dates.size(), DayResult{});
    }
    auto dayOf = [&](int32_t date) {
        return static_cast<int32_t>(std::lower_bound(data.dates.begin(), data.dates.end(), date) -
                                    data.dates.begin());
    };
    for (std::size_t i = 0; i < items.size(); ++i) {
        const ItemOutcome& out = (*results)[i];
        const Item& item = items[i];
        for (std::size_t k = 0; k < out.trades.size(); ++k) {
            const auto p =
                static_cast<std::size_t>(groups[static_cast<std::size_t>(item.group)]
                                               [static_cast<std::size_t>(item.first) + k]);
            PointRun& run = data.points[p];
            run.netProfit += out.netProfit[k];
            for (const DatedTrade& trade : out.trades[k]) {
                const int32_t day = dayOf(trade.date);
                if (keepTrades) run.trades.push_back({day, trade.net});
                DayResult& result = run.days[static_cast<std::size_t>(day)];
                result.net += trade.net;
                ++result.trades;
                if (trade.net > 0) {
                    ++result.wins;
                    result.grossProfit += trade.net;
                } else {
                    result.grossLoss -= trade.net;
                }
            }
        }
    }
    for (PointRun& run : data.points)
        std::stable_sort(run.trades.begin(), run.trades.end(),
                         [](const ClosedTrade& a, const ClosedTrade& b) { return a.day < b.day; });
    return data;
}

}  // namespace

std::optional<ResearchData> runPoints(const ResearchJob& job,
                                      const std::vector<ParameterPoint>& points,
                                      RunControl& control, bool keepTrades, WorkSharing* sharing) {
    // Each batch loads every security again, a small cost next to its runs.
    constexpr std::size_t kBatch = 128;
    if (points.size() <= kBatch) return runBatch(job, points, control, keepTrades, sharing);
    std::optional<ResearchData> all;
    const int total = static_cast<int>(points.size());
    auto progress = control.progress;
    for (std::size_t first = 0; first < points.size(); first += kBatch) {
        const std::vector<ParameterPoint> batch(
            points.begin() + static_cast<std::ptrdiff_t>(first),
            points.begin() + static_cast<std::ptrdiff_t>(std::min(points.size(), first + kBatch)));
        // Progress in points over the whole sweep, not items of the batch.
        if (progress)
            control.progress = [&, first](int done, int items) {
                progress(
                    static_cast<int>(first) +
                        static_cast<int>(static_cast<int64_t>(done) *
                                         static_cast<int64_t>(batch.size()) / std::max(1, items)),
                    total);
            };
        auto data = runBatch(job, batch, control, keepTrades, sharing);
        if (!data) {
            control.progress = progress;
            return std::nullopt;
        }
        if (!all) {
            all = std::move(data);
        } else {
            for (PointRun& run : data->points)
                all->points.push_back(std::move(run));
        }
    }
    control.progress = progress;
    return all;
}

namespace {

constexpr std::array<std::string_view, 8> kObjectiveNames = {
    "net-profit",   "profit-factor",   "win-rate", "expectancy",
    "max-drawdown", "recovery-factor", "sharpe",   "sortino"};

}  // namespace

std::optional<Objective> parseObjective(std::string_view name) {
    for (std::size_t i = 0; i < kObjectiveNames.size(); ++i)
        if (kObjectiveNames[i] == name) return static_cast<Objective>(i);
    return std::nullopt;
}

std::string_view objectiveName(Objective objective) {
    return kObjectiveNames[static_cast<std::size_t>(objective)];
}

Metrics measure(const PointRun& run, int first, int last, int64_t capital) {
    Metrics m;
    int64_t grossProfit = 0, grossLoss = 0;
    first = std::max(first, 0);
    last = std::min(last, static_cast<int>(run.days.size()));
    for (int d = first; d < last; ++d) {
        const DayResult& day = run.days[static_cast<std::size_t>(d)];
        m.trades += day.trades;
        m.wins += day.wins;
        m.net += day.net;
        grossProfit += day.grossProfit;
        grossLoss += day.grossLoss;
    }
    m.profitFactor =
        grossLoss > 0 ? static_cast<double>(grossProfit) / static_cast<double>(grossLoss) : 0;
    m.winRate = m.trades > 0 ? 100.0 * m.wins / m.trades : 0;
    m.expectancy = m.trades > 0 ? static_cast<double>(m.net) / m.trades : 0;

    int64_t cumulative = 0, peak = 0;
    double sum = 0, squares = 0, downside = 0;
    const int days = std::max(0, last - first);
    const double base = static_cast<double>(std::max<int64_t>(1, capital));
    for (int d = first; d < last; ++d) {
        const int64_t pnl = run.days[static_cast<std::size_t>(d)].net;
        cumulative += pnl;
        peak = std::max(peak, cumulative);
        m.maxDrawdown = std::max(m.maxDrawdown, peak - cumulative);
        const double r = static_cast<double>(pnl) / base;
        sum += r;
        squares += r * r;
        if (r < 0) downside += r * r;
    }
    m.recoveryFactor =
        m.maxDrawdown > 0 ? static_cast<double>(m.net) / static_cast<double>(m.maxDrawdown) : 0;
    if (days > 1) {
        const double mean = sum / days;
        const double variance = (squares - days * mean * mean) / (days - 1);
        const double scale = std::sqrt(kTradingDaysPerYear);
        if (variance > 0) m.sharpe = mean / std::sqrt(variance) * scale;
        if (downside > 0) m.sortino = mean / std::sqrt(downside / days) * scale;
        m.annualReturn = 100.0 * mean * kTradingDaysPerYear;
    }
    return m;
}

double score(const Metrics& m, Objective objective) {
    switch (objective) {
        case Objective::NetProfit:
            return static_cast<double>(m.net);
        case Objective::ProfitFactor:
            return m.profitFactor;
        case Objective::WinRate:
            return m.winRate;
        case Objective::Expectancy:
            return m.expectancy;
        case Objective::MaxDrawdown:
            return -static_cast<double>(m.maxDrawdown);
        case Objective::RecoveryFactor:
            return m.recoveryFactor;
        case Objective::Sharpe:
            return m.sharpe;
        case Objective::Sortino:
            return m.sortino;
    }
    return 0;
}

std::vector<int> rankPoints(const std::vector<Metrics>& metrics, Objective objective,
                            int minTrades) {
    std::vector<int> order(metrics.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const Metrics& x = metrics[static_cast<std::size_t>(a)];
        const Metrics& y = metrics[static_cast<std::size_t>(b)];
        const bool xOk = x.trades >= minTrades, yOk = y.trades >= minTrades;
        if (xOk != yOk) return xOk;
        return score(x, objective) > score(y, objective);
    });
    return order;
}

std::optional<ResearchData> evolve(const ResearchJob& job, const EvolveSettings& settings,
                                   Objective objective, int minTrades, RunControl& control,
                                   WorkSharing* sharing) {
    const int64_t size = gridSize(job.sweeps);
    const auto budget = static_cast<int>(std::min<int64_t>(settings.budget, size));
    SplitMix64 random(settings.seed);
    std::set<ParameterPoint> seen;
    std::optional<ResearchData> all;
    std::vector<Metrics> metrics;
    auto randomPoint = [&] {
        ParameterPoint point(job.sweeps.size());
        for (std::size_t s = 0; s < point.size(); ++s)
            point[s] = static_cast<int>(random.below(job.sweeps[s].values.size()));
        return point;
    };
    // Better of two drawn at random.
    auto tournament = [&](const std::vector<int>& rankOf) {
        const auto a = random.below(rankOf.size());
        const auto b = random.below(rankOf.size());
        return rankOf[a] < rankOf[b] ? a : b;
    };
    int stale = 0;
    const auto progress = control.progress;
    while (static_cast<int>(seen.size()) < budget) {
        const int want = std::min(settings.population, budget - static_cast<int>(seen.size()));
        std::vector<ParameterPoint> batch;
        std::vector<int> rankOf;  // rank of every point run so far
        if (all) {
            const std::vector<int> order = rankPoints(metrics, objective, minTrades);
            rankOf.assign(order.size(), 0);
            for (std::size_t r = 0; r < order.size(); ++r)
                rankOf[static_cast<std::size_t>(order[r])] = static_cast<int>(r);
        }
        for (int tries = 0; static_cast<int>(batch.size()) < want && tries < 50 * want; ++tries) {
            ParameterPoint child;
            if (!all) {
                child = randomPoint();
            } else {
                const ParameterPoint& a = all->points[tournament(rankOf)].point;
                const ParameterPoint& b = all->points[tournament(rankOf)].point;
                child = a;
                for (std::size_t s = 0; s < child.size(); ++s) {
                    if (random.below(2) == 1) child[s] = b[s];
                    if (random.below(child.size()) == 0) {
                        // A step to a neighbouring value, or now and then a jump.
                        const auto n = static_cast<int>(job.sweeps[s].values.size());
                        if (random.below(4) == 0)
                            child[s] = static_cast<int>(random.below(static_cast<uint64_t>(n)));
                        else
                            child[s] =
                                std::clamp(child[s] + (random.below(2) == 0 ? -1 : 1), 0, n - 1);
                    }
                }
            }
            if (seen.insert(child).second) batch.push_back(std::move(child));
        }
        if (batch.empty()) {
            // The population has converged: fresh points keep the budget honest.
            if (++stale > 3) break;
            for (int tries = 0; static_cast<int>(batch.size()) < want && tries < 1000; ++tries) {
                ParameterPoint point = randomPoint();
                if (seen.insert(point).second) batch.push_back(std::move(point));
            }
            if (batch.empty()) break;
        }
        // Progress in points of the whole budget, not items of the generation.
        const auto before = static_cast<int64_t>(metrics.size());
        if (progress)
            control.progress = [&](int done, int items) {
                progress(static_cast<int>(before + static_cast<int64_t>(done) *
                                                       static_cast<int64_t>(batch.size()) /
                                                       std::max(1, items)),
                         budget);
            };
        auto data = runPoints(job, batch, control, false, sharing);
        control.progress = progress;
        if (!data) return std::nullopt;
        for (const PointRun& run : data->points)
            metrics.push_back(measure(run, 0, static_cast<int>(data->dates.size()), data->capital));
        if (!all) {
            all = std::move(data);
        } else {
            for (PointRun& run : data->points)
                all->points.push_back(std::move(run));
        }
    }
    if (!all) return runPoints(job, {}, control, false, sharing);
    return all;
}

}  // namespace tav
