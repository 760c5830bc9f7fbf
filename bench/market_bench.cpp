// A whole-market run in its three layers, each with one and two threads over
// the workers of a screening run: every series read, then read and recomputed,
// then the full screen (read, recompute, a three-condition capsule on the last
// bar). The market is generated about the size of the full Japanese listing
// we hold (1,000 securities × 2,500 daily bars); TAV_BENCH_SECURITIES /
// TAV_BENCH_BARS change it.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "bench_market.h"
#include "core/ordered_parallel.h"
#include "workspace/screening.h"

namespace {

struct Market : tav::bench::BenchMarket {
    Market() : BenchMarket("tav-market-bench", 1000, 2500) {}

    std::unique_ptr<tav::ScreeningJob> job(int threads) {
        tav::ScreeningSettings settings;
        settings.searchItem = tav::kSearchCapsule;
        settings.output = 1;
        auto prepared = tav::prepareScreening(*workspace, settings, threads);
        return std::make_unique<tav::ScreeningJob>(std::move(*prepared));
    }
};

Market& market() {
    static Market shared;
    return shared;
}

void setCounters(benchmark::State& state, const tav::ScreeningJob& job, double bars) {
    const double securities = static_cast<double>(job.scan.lines.size());
    state.counters["securities"] = securities;
    state.counters["lines/s"] =
        benchmark::Counter(securities * bars * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

// Reading only: the parser and the file reads, spread over the workers.
void BM_MarketLoad(benchmark::State& state) {
    Market& m = market();
    auto job = m.job(static_cast<int>(state.range(0)));
    const tav::MarketScan& scan = job->scan;
    for (auto _ : state) {
        tav::RunControl control;
        auto counts = tav::orderedParallelMap<int, tav::LoadedSecurity>(
            static_cast<int>(scan.lines.size()), scan.threads, [] { return tav::LoadedSecurity{}; },
            [&](tav::LoadedSecurity& security, int i) {
                const tav::ScanEntry entry = scan.entry(scan.lines[static_cast<std::size_t>(i)]);
                security.loadStored(scan.folder, entry.code, tav::StorageMode::Accumulate);
                return security.series.count();
            },
            control);
        benchmark::DoNotOptimize(counts);
    }
    setCounters(state, *job, m.bars);
}
BENCHMARK(BM_MarketLoad)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// Reading and the analysis pass, as every market-wide run starts.
void BM_MarketLoadRecompute(benchmark::State& state) {
    Market& m = market();
    auto job = m.job(static_cast<int>(state.range(0)));
    const tav::MarketScan& scan = job->scan;
    for (auto _ : state) {
        tav::RunControl control;
        auto loaded = tav::orderedParallelMap<bool, tav::LoadedSecurity>(
            static_cast<int>(scan.lines.size()), scan.threads, [] { return tav::LoadedSecurity{}; },
            [&](tav::LoadedSecurity& security, int i) {
                return scan.load(scan.entry(scan.lines[static_cast<std::size_t>(i)]), security);
            },
            control);
        benchmark::DoNotOptimize(loaded);
    }
    setCounters(state, *job, m.bars);
}
BENCHMARK(BM_MarketLoadRecompute)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole screen with the market's three-condition capsule.
void BM_MarketScreenCapsule(benchmark::State& state) {
    Market& m = market();
    auto job = m.job(static_cast<int>(state.range(0)));
    std::size_t selected = 0;
    for (auto _ : state) {
        tav::RunControl control;
        auto outcome = tav::runScreening(*job, control);
        selected = outcome->selected.size();
        benchmark::DoNotOptimize(outcome);
    }
    setCounters(state, *job, m.bars);
    state.counters["selected"] = static_cast<double>(selected);
}
BENCHMARK(BM_MarketScreenCapsule)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
