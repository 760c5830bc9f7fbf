#pragma once

#include <cstdint>
#include <vector>

namespace tav {

enum class FillKind : uint8_t { Open, Add, Close };

// Why a position ended. Open: still held when the run ended.
enum class ExitReason : uint8_t { Signal, StopLoss, TakeProfit, TrailingStop, TimeOver, Open };

// One fill of a run, in the order the run made them. Prices per share, money
// in yen.
struct Fill {
    int32_t bar = 0;
    FillKind kind = FillKind::Open;
    uint8_t side = 0;    // 1 long, 2 short
    int16_t tactic = 0;  // index of the tactic that acted
    ExitReason reason = ExitReason::Signal;  // closes only
    int64_t units = 0;       // units of this fill; a close sells or covers all
    int32_t price = 0;       // trade price G
    int64_t commission = 0;  // charged on this fill
    int64_t profit = 0;      // closes: the realised result before commission
    int32_t entryPrice = 0;  // average entry price of the position after an
                             // opening or add, before a close
};

// What a run did, for the trade list and the equity curve. The caller owns it
// and reuses it across runs; reserving `fills` keeps the run free of
// allocation.
struct TradeJournal {
    int start = 0;  // the bars the run visited: start ... end - 1
    int end = 0;
    int64_t capital = 0;
    int32_t unitShares = 1;
    int64_t tax = 0;
    std::vector<Fill> fills;
};

}  // namespace tav
