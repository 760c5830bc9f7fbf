#include "simulation/simulation_engine.h"

#include <algorithm>

#include "core/calendar.h"
#include "simulation/position_sizing.h"
#include "simulation/stop_rules.h"

namespace tav {

namespace {

constexpr int kFirstRunBar = 3;
constexpr int kFlat = 0;
constexpr int kLong = 1;
constexpr int kShort = 2;
constexpr uint8_t kPendingBuy = 7;
constexpr uint8_t kPendingSell = 8;

// What a tactic's turn tells the loop over tactics.
enum class Turn { Next, EndBar, Restart };

// Which bar and price field a fill price code takes.
struct FillSource {
    int8_t barOffset;  // -1 previous, 0 signal bar, +1 next
    int8_t field;      // 0 open, 1 high, 2 low, 3 close
};
constexpr FillSource kFillSources[kFillPriceCount] = {
    {1, 0},                              // unused: 0 defers to the setting
    {0, 0},  {0, 1},  {0, 2},  {0, 3},   // 当日
    {1, 0},  {1, 1},  {1, 2},  {1, 3},   // 翌日
    {-1, 0}, {-1, 1}, {-1, 2}, {-1, 3},  // 前日
    {0, 3},                              // 日計即日
};

int32_t priceField(const DailyBar& bar, int field) {
    switch (field) {
        case 0:
            return bar.open;
        case 1:
            return bar.high;
        case 2:
            return bar.low;
        default:
            return bar.close;
    }
}

int yearOf(std::string_view date) {
    int value = 0;
    for (std::size_t i = 0; i < 4 && i < date.size(); ++i)
        value = value * 10 + (date[i] >= '0' && date[i] <= '9' ? date[i] - '0' : 0);
    return value;
}

int twoDigits(std::string_view date, std::size_t at) {
    int value = 0;
    for (std::size_t i = at; i < at + 2 && i < date.size(); ++i)
        value = value * 10 + (date[i] >= '0' && date[i] <= '9' ? date[i] - '0' : 0);
    return value;
}

// "YYYYMMDD" for a day of a month index, the day not checked against the month.
void dateText(char (&out)[12], int months, int day) {
    const LocalDate date = dateInMonth(months, day);
    const int fields[] = {date.year / 1000, date.year / 100, date.year / 10, date.year,
                          date.month / 10,  date.month,      day / 10,       day};
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<char>('0' + (fields[i] % 10 + 10) % 10);
    out[8] = '\0';
}

// Index of the last bar dated before target, -1 when none.
int lastBarBefore(std::span<const DailyBar> bars, std::string_view target) {
    auto after = std::partition_point(bars.begin(), bars.end(),
                                      [&](const DailyBar& bar) { return bar.dateText() < target; });
    return static_cast<int>(after - bars.begin()) - 1;
}

class Run {
  public:
    Run(std::span<DailyBar> bars, const SimulationInputs& inputs, const RunWindow& window,
        RunKind kind, bool exitSignals)
        : bars_(bars),
          strategy_(inputs.strategy),
          settings_(inputs.settings),
          conditions_(inputs.conditions),
          unitShares_(std::max<int32_t>(inputs.unitShares, 1)),
          mode_(inputs.strategy.tradingMode),
          window_(window),
          kind_(kind),
          exitSignals_(exitSignals),
          journal_(inputs.journal),
          precomputed_(covering(inputs.precomputed, bars, inputs.strategy, window)) {
        result_.capital = settings_.capital;
        equity_ = settings_.capital;
        if (journal_) {
            journal_->fills.clear();
            journal_->start = std::max(window_.start, 0);
            journal_->end =
                std::max(journal_->start, std::min(window_.end, static_cast<int>(bars_.size())));
            journal_->capital = settings_.capital;
            journal_->unitShares = unitShares_;
        }
    }

    RunOutcome run() {
        for (DailyBar& bar : bars_) {
            bar.tradeMark = kMarkNone;
            bar.tradeReentry = 0;
            bar.tradeUnits = 0;
        }
        const int count = static_cast<int>(bars_.size());
        const int end = std::min(window_.end, count);
        for (int j = std::max(window_.start, 0); j < end; ++j)
            runBar(j);
        finish();
        return {signal_, result_};
    }

  private:
    DailyBar& bar(int j) { return bars_[static_cast<std::size_t>(j)]; }

    // The precomputed rows when they cover every bar the run visits.
    static const PrecomputedRows* covering(const PrecomputedRows* rows,
                                           std::span<const DailyBar> bars, const Strategy& strategy,
                                           const RunWindow& window) {
        if (!rows) return nullptr;
        const int first = std::max(window.start, 0);
        const int end = std::min(window.end, static_cast<int>(bars.size()));
        const std::size_t columns = strategy.tactics.size() * 2;
        if (rows->rows.size() < columns * kMaxColumnConditions || rows->columns.size() < columns ||
            rows->triggers.size() < columns)
            return nullptr;
        return end <= first || (rows->start <= first && end <= rows->end) ? rows : nullptr;
    }

    // 2 m + c for column c (0 buy, 1 sell) of tactic m.
    std::size_t columnIndex(int m, const TacticColumns& columns) const {
        const Tactic& tactic = strategy_.tactics[static_cast<std::size_t>(m)];
        return 2 * static_cast<std::size_t>(m) + (&columns == &tactic.buy ? 0 : 1);
    }

    void runBar(int j) {
        j_ = j;
        DailyBar& today = bar(j);
        today.tradeUnits = 0;
        limitFill_ = 0;
        takePrices(kFillDefault);
        if (position_ != kFlat) {
            openPerShare_ =
                position_ == kLong ? today.close - entryPrice_ : entryPrice_ - today.close;
            openProfit_ = units_ * unitShares_ * openPerShare_;
        }
        const int tactics = static_cast<int>(strategy_.tactics.size());
        // A restart follows a signal close, after which only an opening can
        // end the bar; the bound only guards against a loop.
        int restarts = 0;
        for (int m = 0; m < tactics; ++m) {
            const Tactic& tactic = strategy_.tactics[static_cast<std::size_t>(m)];
            if (tactic.disabled || (owner_ != 0 && owner_ != m + 1)) continue;
            Turn turn = Turn::Next;
            switch (mode_) {
                case kModeLong:
                    turn = oneSided(m, tactic, kLong);
                    break;
                case kModeShort:
                    turn = oneSided(m, tactic, kShort);
                    break;
                case kModeReverse:
                    turn = reverse(m, tactic);
                    break;
                case kModeMixed:
                    turn = oneSided(m, tactic, tactic.side == kSellTactic ? kShort : kLong);
                    break;
                default:
                    break;
            }
            if (turn == Turn::EndBar) return;
            if (turn == Turn::Restart) {
                if (++restarts > tactics) return;
                m = -1;
                continue;
            }
            if (position_ != kFlat && units_ > 0 && stopFires(tactic)) {
                takePrices(tactic.stop.fillPrice);
                if (noNextBar_) return;
                close(m, position_ == kLong ? kMarkLongStop : kMarkShortStop, false);
            }
        }
    }

    // Modes 0 and 1, and one tactic of mode 3: `side` opens, the other signal
    // closes.
    Turn oneSided(int m, const Tactic& tactic, int side) {
        const bool dayTrade = tactic.dayTrade();
        const bool longSide = side == kLong;
        const TacticColumns& opening = longSide ? tactic.buy : tactic.sell;
        const TacticColumns& closing = longSide ? tactic.sell : tactic.buy;
        // The signal is tested before the position: the test itself moves a
        // setup along (its owner, a trigger it waits for) whatever is held.
        if (signal(m, opening, longSide) && position_ == kFlat) {
            useSignalLimit();
            takePrices(opening.fillPrice);
            open(m, side);
            if (!dayTrade) return Turn::EndBar;
        }
        if (position_ == side && signal(m, closing, !longSide)) {
            useSignalLimit();
            takePrices(closing.fillPrice);
            if (noNextBar_) return deferClose();
            const uint8_t mark = dayTrade
                                     ? (longSide ? kMarkLongDayTradeExit : kMarkShortDayTradeExit)
                                     : (longSide ? kMarkLongExit : kMarkShortExit);
            close(m, mark, true);
            if (mode_ != kModeMixed) return Turn::EndBar;
            if (!dayTrade) return Turn::Restart;
        }
        if (position_ == side && addAllowed()) {
            add(m);
            return Turn::EndBar;
        }
        return Turn::Next;
    }

    // Mode 2: a signal closes the opposite position and opens its own side. A
    // signal for the side already held opens nothing.
    Turn reverse(int m, const Tactic& tactic) {
        const struct {
            const TacticColumns& columns;
            int side;
        } sides[] = {{tactic.buy, kLong}, {tactic.sell, kShort}};
        for (const auto& [columns, side] : sides) {
            const int other = side == kLong ? kShort : kLong;
            if (signal(m, columns, side == kLong)) {
                useSignalLimit();
                if (position_ == other) {
                    takePrices(columns.fillPrice);
                    if (noNextBar_) return deferClose();
                    close(m, kMarkNone, true);
                    bar(j_).tradeReentry = 1;
                } else if (position_ == kFlat && limitFill_ != 0) {
                    // Opening from flat takes the current prices, or the limit.
                    trade_ = settle_ = limitFill_;
                }
                limitFill_ = 0;
                if (position_ == kFlat) open(m, side);
            } else if (position_ == side && addAllowed()) {
                add(m);
            }
        }
        return Turn::Next;
    }

    // A close priced on a next bar that does not exist yet: the position stays
    // open, valued at the close, and the bar ends. A signal run still reports
    // the exit signal.
    Turn deferClose() {
        if (kind_ == RunKind::Signal && exitSignals_ && j_ == window_.end - 1)
            signal_ = kExitSignal;
        return Turn::EndBar;
    }

    // buySignal (longSide) or sellSignal of tactic m on the current bar.
    bool signal(int m, const TacticColumns& columns, bool longSide) {
        signalLimit_ = 0;
        if (precomputed_) return precomputedSignal(m, columns, longSide);
        return evaluatedSignal(m, columns, longSide,
                               [&](const Condition& row, std::size_t) { return holds(row); });
    }

    // Out of line, so that runs without precomputed rows test their signals
    // as leanly as before.
    [[gnu::noinline]] bool precomputedSignal(int m, const TacticColumns& columns, bool longSide) {
        const std::size_t column = columnIndex(m, columns);
        const int at = j_ - precomputed_->start;
        // A combined column answers with three bits.
        if (const uint64_t* combined = precomputed_->columns[column]) {
            const std::size_t words = precomputed_->words;
            const bool triggers = precomputed_->triggers[column] != 0;
            return decide(
                m, longSide,
                [&](int& trigger) {
                    if (!ConditionBits::test(combined, at)) return false;
                    if (triggers) trigger = ConditionBits::test(combined + words, at) ? 1 : -1;
                    return true;
                },
                [&] { return ConditionBits::test(combined + 2 * words, at); });
        }
        const uint64_t* const* rowWords = precomputed_->rows.data() + column * kMaxColumnConditions;
        return evaluatedSignal(m, columns, longSide, [&](const Condition& row, std::size_t i) {
            return rowWords[i] ? ConditionBits::test(rowWords[i], at) : holds(row);
        });
    }

    // The signal from its rows, row i of the column holding when
    // holds(row, i) says so.
    template <typename Holds>
    bool evaluatedSignal(int m, const TacticColumns& columns, bool longSide, Holds holds) {
        context_.evaluationBar = j_;
        context_.entryPrice = entryPrice_;
        context_.entryBar = entryBar_;
        context_.exitBar = exitBar_;
        const auto rows = columns.rows();
        auto rowHolds = [&](const Condition& row) {
            return holds(row, static_cast<std::size_t>(&row - rows.data()));
        };
        auto filters = [&](int& trigger) {
            for (const Condition& row : rows)
                if (row.role == kRoleFilter && !rowHolds(row)) return false;
            for (const Condition& row : rows) {
                if (row.role != kRoleTrigger) continue;
                if (rowHolds(row)) {
                    trigger = 1;
                    break;
                }
                trigger = -1;
            }
            return true;
        };
        auto normal = [&] {
            if (rows.empty()) return false;
            if (columns.logic == kLogicAnd) {
                for (const Condition& row : rows)
                    if (row.role == kRoleNormal && !rowHolds(row)) return false;
                return true;
            }
            for (const Condition& row : rows)
                if (row.role == kRoleNormal && rowHolds(row)) return true;
            return false;
        };
        return decide(m, longSide, filters, normal);
    }

    // filters(trigger): whether every filter row holds, and then the trigger
    // rows' verdict (0 none, 1 one holds, -1 none holds). normal(): whether
    // the normal rows hold, asked only when a waiting trigger does not decide.
    template <typename Filters, typename Normal>
    bool decide(int m, bool longSide, Filters filters, Normal normal) {
        int trigger = 0;
        if (!filters(trigger)) return false;
        const uint8_t waiting = longSide ? kPendingBuy : kPendingSell;
        if (pending_ == waiting) {
            if (trigger != 1) return false;
            pending_ = 0;
            return true;
        }
        if (!normal()) return false;
        const uint8_t ownerlessMode = longSide ? kModeShort : kModeLong;
        if (mode_ != ownerlessMode && position_ == kFlat) owner_ = m + 1;
        if (trigger == 0) return true;
        pending_ = waiting;
        return false;
    }

    // A limit-price row that holds leaves its price for the fill of the
    // column's signal.
    bool holds(const Condition& row) {
        const bool held = evaluateCondition(conditions_, context_, row);
        if (held && context_.limitFill != 0) signalLimit_ = context_.limitFill;
        return held;
    }

    // The signal just tested fills at the limit price one of its rows hit.
    void useSignalLimit() {
        limitFill_ = signalLimit_;
        signalLimit_ = 0;
    }

    bool addAllowed() {
        const SplitSettings& split = strategy_.split;
        if (position_ == kFlat || split.method == kSplitNone) return false;
        if (precomputed_ && precomputed_->split)
            return ConditionBits::test(precomputed_->split, j_ - precomputed_->start);
        context_.evaluationBar = j_;
        context_.entryPrice = entryPrice_;
        context_.entryBar = entryBar_;
        context_.exitBar = exitBar_;
        static constexpr ConditionCapsule kEmpty{};
        const auto& capsules = conditions_.capsules;
        const ConditionCapsule& capsule =
            split.capsule < capsules.size() ? capsules[split.capsule] : kEmpty;
        return evaluateCapsule(conditions_, context_, capsule);
    }

    bool stopFires(const Tactic& tactic) {
        const auto rules = tactic.stop.rows();
        if (rules.empty()) return false;
        updateTrail();
        StopInputs in{&bar(j_),   j_,       entryBar_, entryPrice_, position_ == kShort,
                      trailHigh_, trailLow_};
        for (const Condition& rule : rules)
            if (stopRuleFires(rule, in, limitFill_)) {
                stopKind_ = rule.category;
                return true;
            }
        return false;
    }

    // The highest high and lowest low from the entry bar to the bar before,
    // extended bar by bar while the position lasts.
    void updateTrail() {
        const int last = j_ - 1;
        if (last < entryBar_) {
            trailHigh_ = trailLow_ = 0;
            trailFrom_ = -1;
            return;
        }
        if (trailFrom_ != entryBar_ || trailTo_ > last || trailTo_ < entryBar_) {
            trailFrom_ = entryBar_;
            trailTo_ = entryBar_;
            trailHigh_ = bar(entryBar_).high;
            trailLow_ = bar(entryBar_).low;
        }
        while (trailTo_ < last) {
            const DailyBar& next = bar(++trailTo_);
            trailHigh_ = std::max<int64_t>(trailHigh_, next.high);
            trailLow_ = std::min<int64_t>(trailLow_, next.low);
        }
    }

    // G and F for a fill price code on the current bar; a limit stop's fill
    // takes precedence and is used up.
    void takePrices(int16_t code) {
        noNextBar_ = false;
        if (limitFill_ != 0) {
            trade_ = settle_ = limitFill_;
            limitFill_ = 0;
            return;
        }
        FillSource source{1, 0};
        if (code > kFillDefault && code < kFillPriceCount) {
            source = kFillSources[code];
        } else if (settings_.defaultFill == 1) {
            source = {0, 3};
        }
        const int count = static_cast<int>(bars_.size());
        const int at = j_ + source.barOffset;
        if (at >= count) {
            trade_ = bar(j_).close;
            settle_ = 0;
            noNextBar_ = true;
            return;
        }
        trade_ = settle_ = priceField(bar(std::max(at, 0)), source.field);
    }

    SizingState sizing() const {
        return {equity_, units_, entryPrice_, unitShares_, splitCount_, settings_.capital};
    }

    int64_t chargeCommission(int64_t units) {
        const int64_t fee = commissionFor(settings_, int64_t{unitShares_} * units * settle_);
        result_.totalCommission += fee;
        equity_ -= fee;
        return fee;
    }

    void record(FillKind kind, int m, int64_t units, int64_t fee, int64_t profit = 0,
                ExitReason reason = ExitReason::Signal) {
        if (!journal_) return;
        journal_->fills.push_back({j_, kind, static_cast<uint8_t>(position_),
                                   static_cast<int16_t>(m), reason, units, trade_, fee, profit,
                                   entryPrice_});
    }

    void open(int m, int side) {
        DailyBar& today = bar(j_);
        if (today.tradeMark == kMarkLongExit || today.tradeMark == kMarkShortExit)
            today.tradeReentry = 1;
        today.tradeMark = side == kLong ? kMarkLongEntry : kMarkShortEntry;
        position_ = side;
        units_ = sizeFor(strategy_.split, sizing(), trade_, false);
        today.tradeUnits = static_cast<int32_t>(units_);
        if (strategy_.split.method != kSplitNone) ++splitCount_;
        entryPrice_ = trade_;
        record(FillKind::Open, m, units_, chargeCommission(units_));
        entryBar_ = j_;
        if (mode_ != kModeReverse) exitBar_ = 0;
        if (kind_ == RunKind::Signal && j_ == window_.end - 1) signal_ = kEntrySignal;
    }

    void add(int m) {
        const int64_t n = sizeFor(strategy_.split, sizing(), trade_, true);
        if (n <= 0) return;
        DailyBar& today = bar(j_);
        today.tradeMark = position_ == kLong ? kMarkLongEntry : kMarkShortEntry;
        today.tradeUnits = static_cast<int32_t>(n);
        entryPrice_ =
            static_cast<int32_t>((int64_t{trade_} * n + units_ * entryPrice_) / (units_ + n));
        units_ += n;
        ++splitCount_;
        record(FillKind::Add, m, n, chargeCommission(n));
        entryBar_ = j_;
        if (mode_ != kModeReverse) exitBar_ = 0;
    }

    // bySignal: a signal close (its trade price gives the per-share result);
    // a stop close takes the settlement price.
    void close(int m, uint8_t mark, bool bySignal) {
        const bool isLong = position_ == kLong;
        const int64_t perShareSettled = isLong ? settle_ - entryPrice_ : entryPrice_ - settle_;
        const int64_t profit = perShareSettled * units_ * unitShares_;
        if (profit > 0) {
            result_.grossProfit += profit;
            ++result_.wins;
            result_.maxProfit = std::max(result_.maxProfit, profit);
        } else {
            result_.grossLoss += profit;
            result_.maxLoss = std::min(result_.maxLoss, profit);
        }
        result_.totalProfit += profit;
        const int64_t fee = chargeCommission(units_);
        equity_ += profit;
        record(FillKind::Close, m, units_, fee, profit,
               bySignal ? ExitReason::Signal : stopReason());
        DailyBar& today = bar(j_);
        const int64_t perShareTraded = isLong ? trade_ - entryPrice_ : entryPrice_ - trade_;
        today.tradePerShare = static_cast<int32_t>(bySignal ? perShareTraded : perShareSettled);
        if (mark != kMarkNone) today.tradeMark = mark;
        ++result_.trades;
        position_ = kFlat;
        units_ = 0;
        entryPrice_ = 0;
        owner_ = 0;
        splitCount_ = 0;
        openPerShare_ = 0;
        openProfit_ = 0;
        today.tradeUnits = 0;
        if (bySignal && mode_ != kModeReverse) exitBar_ = j_;
        if (kind_ == RunKind::Signal && exitSignals_ && j_ == window_.end - 1)
            signal_ = kExitSignal;
    }

    ExitReason stopReason() const {
        static constexpr ExitReason kByKind[] = {ExitReason::StopLoss, ExitReason::TakeProfit,
                                                 ExitReason::TrailingStop, ExitReason::TimeOver};
        return stopKind_ >= 0 && stopKind_ < 4 ? kByKind[stopKind_] : ExitReason::StopLoss;
    }

    void finish() {
        SimulationResult& r = result_;
        r.equity = equity_;
        r.bars =
            std::max(0, std::min<int>(window_.end, static_cast<int>(bars_.size())) - window_.start);
        finishStatistics(r, settings_);
        r.position = position_;
        r.entryPrice = entryPrice_;
        r.units = units_;
        r.openPerShare = openPerShare_;
        r.openProfit = openProfit_;
        if (journal_) journal_->tax = r.tax;
    }

    std::span<DailyBar> bars_;
    const Strategy& strategy_;
    const SimulationSettings& settings_;
    const ConditionInputs& conditions_;
    const int32_t unitShares_;
    const uint8_t mode_;
    const RunWindow window_;
    const RunKind kind_;
    const bool exitSignals_;
    TradeJournal* const journal_;
    const PrecomputedRows* const precomputed_;

    EvaluationContext context_;
    SimulationResult result_;
    int signal_ = kNoSignal;
    int j_ = 0;

    int64_t equity_ = 0;
    int position_ = kFlat;
    int64_t units_ = 0;
    int32_t entryPrice_ = 0;
    int entryBar_ = 0;
    int exitBar_ = 0;
    int owner_ = 0;
    uint8_t pending_ = 0;
    int32_t splitCount_ = 0;
    int32_t limitFill_ = 0;
    int32_t signalLimit_ = 0;  // limit price hit by the rows of the last signal test
    int stopKind_ = 0;         // kind of the stop rule that fired last
    int32_t openPerShare_ = 0;
    int64_t openProfit_ = 0;

    int32_t trade_ = 0;   // G
    int32_t settle_ = 0;  // F
    bool noNextBar_ = false;

    int trailFrom_ = -1;
    int trailTo_ = -1;
    int64_t trailHigh_ = 0;
    int64_t trailLow_ = 0;
};

}  // namespace

void finishStatistics(SimulationResult& r, const SimulationSettings& settings) {
    if (settings.taxKind == 1 && r.totalProfit > 0)
        r.tax = r.totalProfit * settings.taxRate / 10000;
    if (r.grossProfit != 0 && r.grossLoss != 0)
        r.profitFactor = static_cast<float>(static_cast<double>(r.grossProfit) /
                                            static_cast<double>(-r.grossLoss));
    if (r.grossProfit != 0 && r.wins != 0) r.averageWin = r.grossProfit / r.wins;
    if (r.grossLoss != 0 && r.trades != r.wins) r.averageLoss = r.grossLoss / (r.trades - r.wins);
    if (r.totalProfit != 0 && r.trades != 0) r.averageProfit = r.totalProfit / r.trades;
}

RunWindow runWindow(std::span<const DailyBar> bars, const SimulationSettings& settings,
                    const ChartView& view, int currentYear) {
    RunWindow window;
    const int count = static_cast<int>(bars.size());
    if (count == 0) return window;
    const int last = view.lastShown < 0 || view.lastShown >= count ? count - 1 : view.lastShown;
    window.end = last + 1;
    int start = kFirstRunBar;
    switch (settings.periodKind) {
        case kPeriodAllData:
            break;
        case kPeriodThreeMonths:
        case kPeriodSixMonths:
        case kPeriodYears: {
            const int months = settings.periodKind == kPeriodThreeMonths ? 3
                               : settings.periodKind == kPeriodSixMonths
                                   ? 6
                                   : 12 * (settings.periodYears + 1);
            char target[12];
            if (settings.startYear == 0) {
                const std::string_view date = bars[static_cast<std::size_t>(last)].dateText();
                const int lastMonth = monthIndex(yearOf(date), twoDigits(date, 4));
                dateText(target, lastMonth - months, twoDigits(date, 6));
                start = lastBarBefore(bars, target);
            } else {
                const int firstMonth =
                    monthIndex(currentYear - (settings.startYear - 1), settings.startMonth + 1);
                dateText(target, firstMonth, 1);
                start = lastBarBefore(bars, target);
                char endTarget[12];
                dateText(endTarget, firstMonth + months, 1);
                const int endBar = lastBarBefore(bars, endTarget);
                if (endBar < 0) window.shortOfData = true;
                window.end = std::min(std::max(endBar, 0), last + 1);
            }
            if (start < 0) {
                window.shortOfData = true;
                start = kFirstRunBar;
            }
            break;
        }
        default: {
            const int onScreen = view.barsOnScreen > 0 ? view.barsOnScreen : count;
            start = last - onScreen + 1;
            break;
        }
    }
    window.start = std::max(start, kFirstRunBar);
    if (view.selectedEnd >= window.start && view.selectedEnd < count)
        window.end = view.selectedEnd + 1;
    window.end = std::max(window.end, window.start);
    return window;
}

void PrecomputedRows::bind(const Strategy& strategy, const ConditionInputs& inputs,
                           ConditionBits& bits) {
    start = bits.start();
    end = bits.end();
    words = static_cast<std::size_t>(end - start + 63) / 64;
    const std::size_t columnCount = strategy.tactics.size() * 2;
    rows.assign(columnCount * kMaxColumnConditions, nullptr);
    columns.assign(columnCount, nullptr);
    triggers.assign(columnCount, 0);
    combined_.resize(columnCount * 3 * words);
    for (std::size_t m = 0; m < strategy.tactics.size(); ++m) {
        const Tactic& tactic = strategy.tactics[m];
        if (tactic.disabled) continue;
        const TacticColumns* sides[] = {&tactic.buy, &tactic.sell};
        for (std::size_t c = 0; c < 2; ++c) {
            const std::size_t column = 2 * m + c;
            const auto columnRows = sides[c]->rows();
            const uint64_t** rowWords = rows.data() + column * kMaxColumnConditions;
            bool whole = true;
            for (std::size_t i = 0; i < columnRows.size(); ++i) {
                const Condition& row = columnRows[i];
                // Disabled rows are never evaluated: nothing to work out.
                if (row.role != kRoleNormal && row.role != kRoleFilter && row.role != kRoleTrigger)
                    continue;
                rowWords[i] = bits.bits(inputs, row);
                if (!rowWords[i]) whole = false;
            }
            if (!whole || words == 0) continue;
            // As the run combines them: every filter, any trigger, and the
            // normal rows by the column's logic (none at all never hold).
            uint64_t* filters = combined_.data() + column * 3 * words;
            uint64_t* anyTrigger = filters + words;
            uint64_t* normal = anyTrigger + words;
            const bool isAnd = sides[c]->logic == kLogicAnd;
            std::fill(filters, anyTrigger, ~uint64_t{0});
            std::fill(anyTrigger, normal, uint64_t{0});
            std::fill(normal, normal + words,
                      isAnd && !columnRows.empty() ? ~uint64_t{0} : uint64_t{0});
            for (std::size_t i = 0; i < columnRows.size(); ++i) {
                const uint64_t* row = rowWords[i];
                if (!row) continue;
                const int16_t role = columnRows[i].role;
                for (std::size_t w = 0; w < words; ++w) {
                    if (role == kRoleFilter) {
                        filters[w] &= row[w];
                    } else if (role == kRoleTrigger) {
                        anyTrigger[w] |= row[w];
                    } else if (isAnd) {
                        normal[w] &= row[w];
                    } else {
                        normal[w] |= row[w];
                    }
                }
                if (role == kRoleTrigger) triggers[column] = 1;
            }
            columns[column] = filters;
        }
    }
    // Adding tests the split capsule as a reference to it on the bar itself.
    split = nullptr;
    if (strategy.split.method != kSplitNone) {
        Condition reference;
        reference.category = kCapsuleReference;
        reference.item = strategy.split.capsule;
        split = bits.bits(inputs, reference);
    }
}

RunOutcome runSimulation(std::span<DailyBar> bars, const SimulationInputs& inputs,
                         const RunWindow& window, RunKind kind, bool exitSignals) {
    if (bars.empty()) return {};
    return Run(bars, inputs, window, kind, exitSignals).run();
}

}  // namespace tav
