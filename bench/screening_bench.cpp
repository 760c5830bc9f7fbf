// Screening and the multi-security back-test over a generated market of
// 4,000 securities × 5,000 daily bars, written once to a temporary folder:
// a three-condition capsule screened with one and with two threads (their
// ratio is the parallel speed-up), and a three-tactic strategy back-tested
// over every security. TAV_BENCH_SECURITIES / TAV_BENCH_BARS shrink the market.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "bench_market.h"
#include "workspace/screening.h"

namespace {

// The market and a workspace on it, made on first use and removed at exit.
struct Market : tav::bench::BenchMarket {
    Market() : BenchMarket("tav-screening-bench", 4000, 5000) {}
};

Market& market() {
    static Market shared;
    return shared;
}

void BM_ScreenCapsule(benchmark::State& state) {
    Market& m = market();
    tav::ScreeningSettings settings;
    settings.searchItem = tav::kSearchCapsule;
    settings.output = 1;
    auto job = tav::prepareScreening(*m.workspace, settings, static_cast<int>(state.range(0)));
    std::size_t selected = 0;
    for (auto _ : state) {
        tav::RunControl control;
        auto outcome = tav::runScreening(*job, control);
        selected = outcome->selected.size();
        benchmark::DoNotOptimize(outcome);
    }
    state.counters["securities"] = static_cast<double>(job->scan.lines.size());
    state.counters["selected"] = static_cast<double>(selected);
}
BENCHMARK(BM_ScreenCapsule)->Arg(1)->Arg(2)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MultiSecurityBacktest(benchmark::State& state) {
    Market& m = market();
    tav::MultiRunSettings settings;
    settings.rankingLength = tav::kMaxRankingLength;
    auto job = tav::prepareMultiRun(*m.workspace, settings, static_cast<int>(state.range(0)));
    std::size_t ranked = 0;
    for (auto _ : state) {
        tav::RunControl control;
        auto outcome = tav::runMultiSimulation(*job, control);
        ranked = outcome->rows.size();
        benchmark::DoNotOptimize(outcome);
    }
    state.counters["ranked"] = static_cast<double>(ranked);
}
BENCHMARK(BM_MultiSecurityBacktest)->Arg(2)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
