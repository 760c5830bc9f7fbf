// The portfolio account over a generated market the size of the full listing
// (1,000 securities × 2,450 daily bars; TAV_BENCH_SECURITIES / TAV_BENCH_BARS
// change it): the market's three-tactic strategy run on every security, then
// one account of ten positions at a tenth of its equity each, on one and two
// threads.
#include <benchmark/benchmark.h>

#include "bench_market.h"
#include "portfolio/portfolio_run.h"
#include "workspace/screening.h"

namespace {

struct Market : tav::bench::BenchMarket {
    Market() : BenchMarket("tav-portfolio-bench", 1000, 2450) {}

    tav::PortfolioJob job(int threads) {
        auto prepared = tav::prepareMultiRun(*workspace, tav::MultiRunSettings{}, threads);
        tav::PortfolioSettings settings;
        settings.capital = 10'000'000;
        settings.maxPositions = 10;
        settings.sizing = tav::PositionSizing::EquityShare;
        settings.sizeValue = 10;
        settings.score = tav::PositionScore::TradingValue;
        return {std::move(prepared->scan), std::move(prepared->strategy.strategy),
                prepared->simulation, prepared->currentYear, settings};
    }
};

Market& market() {
    static Market shared;
    return shared;
}

void BM_PortfolioRun(benchmark::State& state) {
    const tav::PortfolioJob job = market().job(static_cast<int>(state.range(0)));
    std::size_t trades = 0;
    for (auto _ : state) {
        tav::RunControl control;
        auto outcome = tav::runPortfolio(job, control);
        trades = outcome->trades.size();
        benchmark::DoNotOptimize(outcome);
    }
    state.counters["securities"] = static_cast<double>(job.scan.lines.size());
    state.counters["signals"] = static_cast<double>(trades);
}
BENCHMARK(BM_PortfolioRun)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
