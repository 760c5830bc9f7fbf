// Days, failures and keys of the data API against the simulator on 127.0.0.1.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <map>

#include "market_api/api_source.h"
#include "platform/linux/curl_http.h"
#include "platform/linux/lhasa_lzh.h"
#include "support/recording_prompter.h"
#include "support/simulator_suite.h"
#include "support/temp_folder.h"
#include "support/virtual_pause.h"

namespace tav {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const LocalDate kToday{2024, 6, 14};
constexpr std::string_view kDay = "20240613";
constexpr const char* kKey = "k-7f3a9c2e";

std::map<std::string, std::string> snapshot(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = test::readFile(entry.path());
    return files;
}

class ApiDay : public test::SimulatorSuite<ApiDay> {
  public:
    // More issues than one page holds, so every day spans two pages.
    static quotesim::GeneratorSettings marketSettings() { return {1100, 1, 3, kToday}; }
    static quotesim::ServerOptions serverOptions() {
        quotesim::ServerOptions options;
        options.apiKey = kKey;
        return options;
    }

  protected:
    void SetUp() override {
        for (const char* name : {"archive", "api"}) {
            fs::create_directories(temp / name / "Data");
            fs::create_directories(temp / name / "Source");
        }
    }
    // The tools of a folder whose API endpoint is base (the host when empty).
    ArchiveTools tools(const ProgramFolder& folder, std::string base = {}, std::string key = kKey) {
        ArchiveTools result{folder, http, lzh, prompter,
                            Endpoints::parse(Endpoints::fileTextForHost(server_->host()))};
        ApiClientOptions options;
        options.plan = ApiPlan::Premium;
        options.pause = &pause;
        result.fetchDay =
            apiDayFetcher(ApiAccess{http, prompter, base.empty() ? server_->host() + "/v2" : base,
                                    [key] {
                                        return ApiKeyLookup{key, key.empty() ? "no key" : ""};
                                    },
                                    options, kToday});
        return result;
    }

    test::TempFolder temp;
    CurlHttp http{CurlHttp::Timeouts{2000ms, 1, 1000ms, 3000ms}};
    LhasaLzh lzh;
    test::RecordingPrompter prompter;
    test::VirtualPause pause;
    // The waits of a second and more: retries, not the pacing between requests.
    std::vector<std::chrono::milliseconds> retryWaits() const {
        std::vector<std::chrono::milliseconds> waits;
        for (auto sleep : pause.sleeps)
            if (sleep >= 1s) waits.push_back(sleep);
        return waits;
    }
};

TEST_F(ApiDay, AWholeMarketDayEqualsTheArchiveDay) {
    ProgramFolder archive((temp / "archive").string()), api((temp / "api").string());
    ArchiveTools fromArchive = tools(archive), fromApi = tools(api);
    ASSERT_EQ(importDay(fromArchive, kDay, SourceMode::Net), DayOutcome::Imported);
    ASSERT_EQ(importDay(fromApi, kDay, SourceMode::Api), DayOutcome::Imported);
    EXPECT_TRUE(prompter.messages().empty());

    auto expected = snapshot(temp / "archive" / "Data");
    auto got = snapshot(temp / "api" / "Data");
    ASSERT_GT(expected.size(), 1000u);
    // The API has no 1010, and no index volume (the store's placeholder stands in).
    EXPECT_EQ(got.count("1010.txt"), 0u);
    std::string topix = expected["1001.txt"];
    EXPECT_EQ(got["1001.txt"], topix.substr(0, topix.rfind(',') + 1) + "100000\n");
    expected.erase("1010.txt");
    expected.erase("1001.txt");
    got.erase("1001.txt");
    // The API's own record of the last day it gave whole.
    EXPECT_EQ(got["ApiLastDay.txt"], std::string(kDay) + "\n");
    got.erase("ApiLastDay.txt");
    EXPECT_EQ(got.size(), expected.size());
    for (const auto& [name, bytes] : expected)
        EXPECT_EQ(got[name], bytes) << name;

    auto requests = server_->requests();
    EXPECT_TRUE(std::any_of(requests.begin(), requests.end(), [](const std::string& request) {
        return request.find("pagination_key=rows-1000") != std::string::npos;
    }));
    // The day is there now, by the API's own reckoning of the store's last day.
    EXPECT_EQ(lastStoredDate(api, SourceMode::Api), kDay);
    EXPECT_EQ(importDay(fromApi, kDay, SourceMode::Api), DayOutcome::Skipped);
}

TEST_F(ApiDay, FailuresStopWithAMessageAndLeaveTheStoreAsItWas) {
    struct Case {
        std::string fault;  // before "/v2"
        std::string key;
        std::string message;
    };
    const std::vector<Case> cases{
        {"", "wrong", "データAPIがキーを受け付けませんでした (HTTP 403)。"},
        {"", "", "no key"},
        {"/fault/status-403", kKey, "データAPIがキーを受け付けませんでした (HTTP 403)。"},
        // The second page breaks: the first one must not be written either.
        {"/fault/truncate@1", kKey, "データAPIの応答が途中で切れました。"},
        {"/fault/baddate@1", kKey,
         "[20240613]　のデータに別の日付 (2023-02-30) の行がありました。"},
        {"/fault/busy-9", kKey, "データAPIの利用回数の上限に達しました。"},
    };
    ProgramFolder api((temp / "api").string());
    test::writeFile(temp / "api" / "Data" / "1300.txt", "20240612,1,2,1,2,100\n");
    auto before = snapshot(temp / "api" / "Data");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault + " " + c.key);
        prompter.calls.clear();
        ArchiveTools fromApi = tools(api, server_->host() + c.fault + "/v2", c.key);
        EXPECT_EQ(importDay(fromApi, kDay, SourceMode::Api), DayOutcome::Stop);
        auto messages = prompter.messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].substr(0, c.message.size()), c.message);
        EXPECT_EQ(snapshot(temp / "api" / "Data"), before);
    }
    // Without a Retry-After, three waits of a minute each (counted by seconds), then no more.
    EXPECT_EQ(retryWaits(), std::vector<std::chrono::milliseconds>(180, 1s));
}

TEST_F(ApiDay, TooManyRequestsIsWaitedOutWithinTheBound) {
    ProgramFolder api((temp / "api").string());
    ArchiveTools fromApi = tools(api, server_->host() + "/fault/busy-2/v2");
    EXPECT_EQ(importDay(fromApi, kDay, SourceMode::Api), DayOutcome::Imported);
    EXPECT_EQ(retryWaits(), std::vector<std::chrono::milliseconds>(120, 1s));
    EXPECT_TRUE(fs::exists(temp / "api" / "Data" / "1001.txt"));
}

TEST(ApiKey, EnvironmentFirstThenAnOwnerOnlyFile) {
    test::TempFolder temp;
    std::string config = (temp / "config").string();
    EXPECT_EQ(findApiKey(std::string(" env-key\n"), config).key, "env-key");
    ApiKeyLookup missing = findApiKey(std::nullopt, config);
    EXPECT_TRUE(missing.key.empty());
    EXPECT_NE(missing.message.find("TAVRENTO_JQUANTS_KEY"), std::string::npos);

    ASSERT_TRUE(storeApiKey(config, "file-key\n"));
    struct stat info {};
    ASSERT_EQ(::stat((temp / "config" / "jquants.key").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(findApiKey(std::string("  "), config).key, "file-key");

    // Readable by others: refused, and the key is not handed out.
    fs::permissions(temp / "config" / "jquants.key", fs::perms::group_read, fs::perm_options::add);
    ApiKeyLookup exposed = findApiKey(std::nullopt, config);
    EXPECT_TRUE(exposed.key.empty());
    EXPECT_NE(exposed.message.find("chmod 600"), std::string::npos);
    EXPECT_EQ(exposed.message.find("file-key"), std::string::npos);
}

TEST(ApiKey, AKeyFileMustBeARegularFileOfItsOwnerWhereverItsLinkPoints) {
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> make;  // makes jquants.key in the folder
        std::string key;
        std::string message;
    };
    auto ownerOnly = [](const fs::path& path, const std::string& bytes) {
        test::writeFile(path, bytes);
        fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    };
    const std::vector<Case> cases{
        {"byte-order mark and blanks",
         [&](const fs::path& folder) {
             ownerOnly(folder / "jquants.key", "\xEF\xBB\xBF  bom-key \r\n");
         },
         "bom-key", ""},
        {"a link to an owner-only file",
         [&](const fs::path& folder) {
             ownerOnly(folder / "real.key", "linked-key\n");
             fs::create_symlink(folder / "real.key", folder / "jquants.key");
         },
         "linked-key", ""},
        {"a link to a file others may read",
         [&](const fs::path& folder) {
             test::writeFile(folder / "open.key", "open-key\n");
             fs::permissions(folder / "open.key", fs::perms::others_read, fs::perm_options::add);
             fs::create_symlink(folder / "open.key", folder / "jquants.key");
         },
         "", "chmod 600"},
        // A FIFO would block a plain open until a writer came.
        {"a FIFO", [](const fs::path& folder) { ::mkfifo((folder / "jquants.key").c_str(), 0600); },
         "", "通常のファイルではない"},
        {"a folder", [](const fs::path& folder) { fs::create_directory(folder / "jquants.key"); },
         "", "通常のファイルではない"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempFolder temp;
        c.make(temp.path());
        ApiKeyLookup found = findApiKey(std::nullopt, temp.str());
        EXPECT_EQ(found.key, c.key);
        EXPECT_NE(found.message.find(c.message), std::string::npos) << found.message;
    }
    test::TempFolder temp;
    EXPECT_FALSE(storeApiKey(temp.str(), "two\nlines"));
    ASSERT_TRUE(storeApiKey(temp.str(), "\xEF\xBB\xBFstored"));
    EXPECT_TRUE(hasStoredApiKey(temp.str()));
    EXPECT_EQ(findApiKey(std::nullopt, temp.str()).key, "stored");
    EXPECT_TRUE(removeApiKey(temp.str()));
    EXPECT_FALSE(hasStoredApiKey(temp.str()));
    EXPECT_TRUE(removeApiKey(temp.str()));
}

}  // namespace
}  // namespace tav
