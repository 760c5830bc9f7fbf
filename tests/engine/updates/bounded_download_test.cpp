// Archive downloads from a hostile server on 127.0.0.1: each ends by its
// deadline, stops at its size caps, and yields only the file it is for.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>

#include "data/master_list_edits.h"
#include "data/stock_master.h"
#include "support/simulator_suite.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "updates/archive_update.h"

namespace tav {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr LocalDate kToday{2024, 6, 14};
constexpr const char* kDay = "20240613";

std::map<std::string, std::string> snapshot(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] =
            entry.is_regular_file() ? test::readFile(entry.path()) : "<folder>";
    return files;
}

class BoundedDownloads : public test::SimulatorSuite<BoundedDownloads> {
  public:
    static quotesim::GeneratorSettings marketSettings() { return {4, 1, 5, kToday}; }

  protected:
    void SetUp() override {
        fs::create_directories(temp / "Data");
        fs::create_directories(temp / "Source");
        test::writeFile(temp / "Stock.lst", market_->masterListText());
        test::writeFile(temp / "Data" / "1010.txt", "20240612,100,110,90,105,1000\n");
    }
    Endpoints endpoints(const std::string& name, const std::string& address) const {
        return Endpoints::parse(Endpoints::fileTextForHost(server_->host()) + name + "," + address +
                                "\n");
    }

    test::TempFolder temp;
    ProgramFolder folder{temp.str()};
    test::RecordingPrompter prompter;
    // A short deadline: a transfer that drips ends well within the test.
    CurlHttp http{CurlHttp::Timeouts{2000ms, 1, 500ms, 800ms}};
    LhasaLzh lzh;
    test::RecordingShell shell;
};

TEST_F(BoundedDownloads, DayArchives) {
    const std::string archive = folder.sourcePath(std::string(kDay) + ".LZH");
    struct Case {
        const char* fault;  // the path before the archive's
        std::size_t maxArchiveBytes;
        DayOutcome outcome;
        std::string message;  // empty: none
    } cases[] = {
        // Four entries of 1023 MiB from a few hundred bytes: refused unread.
        {"/fault/bomb-1023", 1 << 20, DayOutcome::Stop,
         "[" + archive + "]　は解凍後のサイズが上限を超えるため解凍を中止しました。"},
        {"", 100, DayOutcome::Stop, "[20240613]　ダウンロードするファイルが大きすぎます。"},
        {"/fault/drip-100", 1 << 20, DayOutcome::Stop,
         "[20240613]　ダウンロードが制限時間内に終わりませんでした。"},
        {"/fault/status-503", 1 << 20, DayOutcome::Stop,
         "[20240613]　ネット上のファイルが見つかりません。"},
        {"/fault/notfound", 1 << 20, DayOutcome::Skipped, ""},
        {"/fault/upper", 1 << 20, DayOutcome::Imported, ""},  // "20240613.CSV"
    };
    auto data = snapshot(temp / "Data");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        prompter.calls.clear();
        ArchiveTools tools{folder, http, lzh, prompter,
                           endpoints("daily-archive", server_->host() + c.fault)};
        tools.maxArchiveBytes = c.maxArchiveBytes;
        tools.maxCsvBytes = 1 << 20;
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(importDay(tools, kDay, SourceMode::Net), c.outcome);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
        auto messages = prompter.messages();
        EXPECT_EQ(messages, c.message.empty() ? std::vector<std::string>{}
                                              : std::vector<std::string>{c.message});
        if (c.outcome == DayOutcome::Imported) break;  // the last case
        EXPECT_EQ(snapshot(temp / "Data"), data);
        // Nothing but the fetched archive itself, and that only when it came whole.
        for (const auto& [name, bytes] : snapshot(temp / "Source"))
            EXPECT_EQ(name, std::string(kDay) + ".LZH");
    }
    EXPECT_NE(test::readFile(temp / "Data" / "1010.txt").find("\n20240613,"), std::string::npos);
    EXPECT_EQ(snapshot(temp / "Source").count(std::string(kDay) + ".csv"), 1u);
}

TEST_F(BoundedDownloads, MasterList) {
    const std::string list = market_->masterListText();
    const std::string master = "/dist/stock.lzh";
    struct Case {
        std::string address;
        std::uint64_t maxArchiveBytes;
        std::string message;
    } cases[] = {
        {server_->host() + "/fault/bomb-1023" + master, 1 << 20,
         "解凍後のファイルが大きすぎるため解凍を中止しました。"},
        {server_->host() + master, 100, "ダウンロードするファイルが大きすぎます。"},
        {server_->host() + "/fault/drip-100" + master, 1 << 20,
         "ダウンロードが制限時間内に終わりませんでした。"},
        {server_->host() + "/fault/truncate" + master, 1 << 20, "ダウンロードが途中で切れました。"},
        {server_->host() + "/fault/notfound" + master, 1 << 20,
         "ネット上のファイルが見つかりません。"},
        {server_->host() + "/fault/upper" + master, 1 << 20, "更新処理を完了しました。"},
    };
    test::writeFile(temp / "Stock.lst", "7203,old,東証1部,100,-\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        prompter.calls.clear();
        Endpoints addresses = endpoints("master-archive", c.address);
        MasterUpdateTools tools{prompter, http, lzh, shell, addresses};
        tools.maxArchiveBytes = c.maxArchiveBytes;
        tools.maxListBytes = 1 << 20;
        bool replaced = updateMasterFromArchive(folder, tools, false);
        EXPECT_EQ(prompter.messages(), std::vector<std::string>{c.message});
        if (replaced) break;  // the last case
        EXPECT_EQ(test::readFile(temp / "Stock.lst"), "7203,old,東証1部,100,-\n");
        for (const auto& [name, bytes] : snapshot(temp / "Source"))
            EXPECT_EQ(name, "stock.lzh");
    }
    EXPECT_EQ(test::readFile(temp / "Stock.lst"), list);
    EXPECT_EQ(test::readFile(temp / "Stock.bak"), "7203,old,東証1部,100,-\n");
}

}  // namespace
}  // namespace tav
