// Reading data files: the target is at least 5 million lines per second.
#include <benchmark/benchmark.h>

#include <random>

#include "data/price_store.h"

namespace {

std::string makeFile(int lines) {
    std::mt19937 rng(11);
    std::vector<tav::DailyBar> bars(lines);
    int close = 2500;
    for (int i = 0; i < lines; ++i) {
        auto& bar = bars[i];
        bar = {};
        char date[16];
        std::snprintf(date, sizeof date, "%04d%02d%02d", 2000 + i / 250, 1 + (i / 21) % 12,
                      1 + i % 28);
        tav::setBarDate(bar, date);
        close = std::max(1, close + static_cast<int>(rng() % 41) - 20);
        bar.open = close - 5;
        bar.high = close + 10;
        bar.low = close - 10;
        bar.close = close;
        bar.volume = 100000 + rng() % 5000000;
    }
    return tav::formatSeries(bars);
}

void BM_ParseSeries(benchmark::State& state) {
    std::string file = makeFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto bars = tav::parseSeries(file);
        benchmark::DoNotOptimize(bars.data());
    }
    state.counters["lines/s"] = benchmark::Counter(
        static_cast<double>(state.range(0)) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ParseSeries)->Arg(5000)->Arg(100000);

void BM_LoadSeriesFromFile(benchmark::State& state) {
    std::string path = "/tmp/tavrento-bench-series.txt";
    std::string file = makeFile(5000);
    FILE* out = std::fopen(path.c_str(), "wb");
    std::fwrite(file.data(), 1, file.size(), out);
    std::fclose(out);
    for (auto _ : state) {
        auto bars = tav::loadSeries(path);
        benchmark::DoNotOptimize(bars.data());
    }
    state.counters["lines/s"] =
        benchmark::Counter(5000.0 * state.iterations(), benchmark::Counter::kIsRate);
    std::remove(path.c_str());
}
BENCHMARK(BM_LoadSeriesFromFile);

}  // namespace
