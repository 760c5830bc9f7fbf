// A thousand combinations of the three-tactic strategy's stop values (ten per
// tactic) over a generated market the size of the full listing (1,000
// securities × 2,450 daily bars; TAV_BENCH_SECURITIES / TAV_BENCH_BARS change
// it; TAV_BENCH_FOLDER runs on a program folder of recorded prices instead),
// on one and two threads, with the rows that read no position precomputed and
// every row evaluated. Reports bar-steps per second per core.
#include <benchmark/benchmark.h>

#include "bench_market.h"
#include "research/research_run.h"
#include "workspace/screening.h"

namespace {

struct Market : tav::bench::BenchMarket {
    Market() : BenchMarket("tav-research-bench", 1000, 2450) {}

    tav::ResearchJob job(int threads, std::vector<const char*> sweepTexts = {
                                          "1.stop.1.value=1..10", "2.stop.1.value=1..10",
                                          "3.stop.1.value=1..10"}) {
        auto prepared = tav::prepareMultiRun(*workspace, tav::MultiRunSettings{}, threads);
        tav::ResearchJob out = tav::researchJobOf(*prepared);
        for (const char* sweepText : sweepTexts) {
            std::string error;
            out.sweeps.push_back(*tav::parseSweep(sweepText, out.strategy, error));
        }
        return out;
    }
};

Market& market() {
    static Market shared;
    return shared;
}

// Runs the whole grid of the job once per iteration. Returns the bar-steps of
// one run: points × securities × days of the date axis.
double runGrid(benchmark::State& state, const tav::ResearchJob& job) {
    std::vector<tav::ParameterPoint> points;
    for (int64_t i = 0; i < tav::gridSize(job.sweeps); ++i)
        points.push_back(tav::gridPoint(job.sweeps, i));
    std::size_t days = 0;
    for (auto _ : state) {
        tav::RunControl control;
        auto data = tav::runPoints(job, points, control);
        days = data->dates.size();
        benchmark::DoNotOptimize(data);
    }
    state.counters["combinations"] = static_cast<double>(points.size());
    return static_cast<double>(points.size()) * static_cast<double>(job.scan.lines.size()) *
           static_cast<double>(days);
}

void BM_ThousandCombinations(benchmark::State& state) {
    const auto threads = static_cast<int>(state.range(0));
    tav::ResearchJob job = market().job(threads);
    job.precomputeRows = state.range(1) != 0;
    const double barSteps = runGrid(state, job);
    state.counters["barStepsPerCore"] =
        benchmark::Counter(barSteps / threads, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ThousandCombinations)
    ->ArgsProduct({{1, 2}, {1, 0}})
    ->ArgNames({"threads", "precomputed"})
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

// A thousand combinations of condition values that all trade differently:
// the day offsets of the third tactic's entry and exit rows and its stop,
// ten each (the first two tactics' rows name a target their items lack, so
// they never fire and sweeping them would repeat one run), on two threads.
void BM_ThousandRuleCombinations(benchmark::State& state) {
    constexpr int kThreads = 2;
    tav::ResearchJob job = market().job(
        kThreads, {"3.buy.1.day=0..9", "3.sell.1.day=0..9", "3.stop.1.value=1..10"});
    const double barSteps = runGrid(state, job);
    state.counters["barStepsPerCore"] =
        benchmark::Counter(barSteps / kThreads, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ThousandRuleCombinations)->Unit(benchmark::kSecond)->UseRealTime();

// A hundred day offsets of one entry row on one thread: every point has a row
// of its own beside the rows all share.
void BM_HundredEntryDays(benchmark::State& state) {
    tav::ResearchJob job = market().job(1, {"3.buy.1.day=0..99"});
    job.precomputeRows = state.range(0) != 0;
    const double barSteps = runGrid(state, job);
    state.counters["barStepsPerCore"] =
        benchmark::Counter(barSteps, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_HundredEntryDays)
    ->Arg(1)
    ->Arg(0)
    ->ArgName("precomputed")
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

}  // namespace
