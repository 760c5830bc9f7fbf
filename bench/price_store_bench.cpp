// Reading data files: the target is at least 15 million lines per second,
// and at most 1.5 times the time of a bare std::from_chars loop over the same
// bytes (BM_FromChars*, the floor any reader of this text format stands on).
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <random>
#include <unistd.h>

#include "core/file_io.h"
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

// The six numbers of every line with std::from_chars, summed: no record, no
// checks beyond what the conversion does.
uint64_t fromCharsChecksum(std::string_view bytes) {
    uint64_t sum = 0;
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end) {
        for (int field = 0; field < 6; ++field) {
            int64_t value = 0;
            auto result = std::from_chars(p, end, value);
            sum += static_cast<uint64_t>(value);
            p = result.ptr + 1;  // past the ',' or the '\n'
        }
    }
    return sum;
}

void BM_FromChars(benchmark::State& state) {
    std::string file = makeFile(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(fromCharsChecksum(file));
    state.counters["lines/s"] = benchmark::Counter(
        static_cast<double>(state.range(0)) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FromChars)->Arg(5000)->Arg(100000);

// A data file written once for the two file benchmarks.
struct SeriesFile {
    std::string path = "/tmp/tavrento-bench-series-" + std::to_string(::getpid()) + ".txt";
    SeriesFile() {
        std::string file = makeFile(5000);
        FILE* out = std::fopen(path.c_str(), "wb");
        std::fwrite(file.data(), 1, file.size(), out);
        std::fclose(out);
    }
    ~SeriesFile() { std::remove(path.c_str()); }
};

void BM_LoadSeriesFromFile(benchmark::State& state) {
    SeriesFile file;
    for (auto _ : state) {
        auto bars = tav::loadSeries(file.path);
        benchmark::DoNotOptimize(bars.data());
    }
    state.counters["lines/s"] =
        benchmark::Counter(5000.0 * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LoadSeriesFromFile);

// The same file read the same way, then the bare conversion loop.
void BM_FromCharsFromFile(benchmark::State& state) {
    SeriesFile file;
    for (auto _ : state) {
        auto bytes = tav::fileio::readFile(file.path);
        benchmark::DoNotOptimize(fromCharsChecksum(*bytes));
    }
    state.counters["lines/s"] =
        benchmark::Counter(5000.0 * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FromCharsFromFile);

}  // namespace
