// Importing one trading day of the daily archive: one CSV of 4,000 lines
// appended to 4,000 data files. The target is under one second.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "platform/linux/curl_http.h"
#include "platform/linux/lhasa_lzh.h"
#include "platform/prompter.h"
#include "updates/archive_update.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSecurities = 4000;
constexpr int kStoredDays = 250;
constexpr const char* kDay = "20240614";

class QuietPrompter : public tav::Prompter {
  public:
    void message(const std::string&, tav::MessageIcon) override {}
    bool askYesNo(const std::string&, tav::QuestionKind) override { return true; }
    tav::Answer askYesNoCancel(const std::string&, tav::QuestionKind) override {
        return tav::Answer::Yes;
    }
    std::optional<std::string> askText(const std::string&, const std::string&,
                                       const std::string& preset) override {
        return preset;
    }
    void progress(int) override {}
    void status(const std::string&) override {}
};

// A store of 4,000 daily files of a year each, up to the day before, and the
// day's CSV in "Source".
struct Store {
    fs::path root;
    std::vector<std::pair<std::string, std::uintmax_t>> sizes;

    Store() {
        std::string pattern = (fs::temp_directory_path() / "tav-import-bench-XXXXXX").string();
        root = ::mkdtemp(pattern.data());
        fs::create_directories(root / "Data");
        fs::create_directories(root / "Source");
        std::string csv;
        for (int i = 0; i < kSecurities; ++i) {
            int code = i == 0 ? 1010 : 1300 + i;
            std::string file;
            for (int day = 0; day < kStoredDays; ++day) {
                char line[96];
                std::snprintf(line, sizeof line, "2023%02d%02d,%d,%d,%d,%d,%d\n", 1 + day / 24,
                              1 + day % 24, 1000 + day, 1010 + day, 990 + day, 1005 + day,
                              50000 + day);
                file += line;
            }
            std::string name = std::to_string(code) + ".txt";
            tav::fileio::writeFileAtomic((root / "Data" / name).string(), file);
            sizes.emplace_back(name, file.size());
            char line[128];
            std::snprintf(line, sizeof line, "2024/06/14,%s,銘柄%d,1250,1270,1240,1260,%d\n",
                          code == 1010 ? "1001" : std::to_string(code).c_str(), code, 123400 + i);
            csv += line;
        }
        tav::fileio::writeFileAtomic((root / "Source" / (std::string(kDay) + ".csv")).string(),
                                     csv);
    }
    ~Store() { fs::remove_all(root); }

    void reset() {
        for (const auto& [name, size] : sizes)
            fs::resize_file(root / "Data" / name, size);
    }
};

void BM_ImportDay(benchmark::State& state) {
    Store store;
    tav::ProgramFolder folder(store.root.string());
    QuietPrompter prompter;
    tav::CurlHttp http;
    tav::LhasaLzh lzh;
    tav::ArchiveTools tools{folder, http, lzh, prompter, tav::Endpoints()};
    for (auto _ : state) {
        auto outcome = tav::importDay(tools, kDay, tav::SourceMode::Disk);
        if (outcome != tav::DayOutcome::Imported) state.SkipWithError("the day was not imported");
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
    state.counters["files/s"] = benchmark::Counter(
        static_cast<double>(kSecurities) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ImportDay)->Unit(benchmark::kMillisecond);

}  // namespace
