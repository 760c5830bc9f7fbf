// The API client against servers on 127.0.0.1 that answer from a script:
// paging, refusals, retries, pacing and where the key may go.
#include "market_api/api_client.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <mutex>
#include <thread>

#include "platform/linux/curl_http.h"
#include "support/virtual_pause.h"

namespace tav {
namespace {

using namespace std::chrono_literals;

struct Answer {
    int status = 200;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers = {};
};

// Answers the n-th request with the n-th answer (the last one from then on)
// and records the key each request carried.
class ScriptedApi {
  public:
    explicit ScriptedApi(std::vector<Answer> script) : script_(std::move(script)) {
        server_.Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
            std::lock_guard<std::mutex> lock(mutex_);
            keys_.push_back(request.get_header_value("x-api-key"));
            const Answer& answer = script_.empty()
                                       ? Answer{404, "{}"}
                                       : script_[std::min(keys_.size(), script_.size()) - 1];
            response.status = answer.status;
            for (const auto& [name, value] : answer.headers)
                response.set_header(name, value);
            response.set_content(answer.body, "application/json");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running())
            std::this_thread::sleep_for(1ms);
    }
    ~ScriptedApi() {
        server_.stop();
        thread_.join();
    }
    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/v2"; }
    std::vector<std::string> keys() {
        std::lock_guard<std::mutex> lock(mutex_);
        return keys_;
    }

  private:
    std::vector<Answer> script_;
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::string> keys_;
};

std::string page(int row, const char* keyField) {
    return std::string(R"({"data": [{"n": )") + std::to_string(row) + "}]" + keyField + "}";
}

struct Fetch {
    ApiRows rows;
    std::vector<std::string> keys;
    test::VirtualPause pause;
    std::vector<std::string> statuses;
};

void fetch(Fetch& result, std::vector<Answer> script, ApiClientOptions options = {}) {
    ScriptedApi api(std::move(script));
    CurlHttp http{CurlHttp::Timeouts{2000ms, 1, 2000ms, 5000ms}};
    if (options.plan == ApiPlan::Free) options.plan = ApiPlan::Premium;
    options.pause = &result.pause;
    options.status = [&](const std::string& text) { result.statuses.push_back(text); };
    ApiClient client(http, api.base(), "secret-key", options);
    result.rows = client.fetchAll("/equities/bars/daily", {{"date", "20250303"}});
    result.keys = api.keys();
}

TEST(ApiClient, PagingEndsOnAnEmptyOrAbsentKeyAndStopsOnARepeatedOne) {
    struct Case {
        const char* what;
        std::vector<Answer> script;
        std::size_t maxTotalBytes;
        bool ok;
        std::size_t requests;
        std::string message;
    };
    const auto endless = [] {
        std::vector<Answer> script;
        for (int n = 0; n < 12; ++n)
            script.push_back(
                {200, page(n, (R"(, "pagination_key": "k)" + std::to_string(n) + "\"").c_str())});
        return script;
    }();
    const std::vector<Case> cases{
        {"absent",
         {{200, page(1, R"(, "pagination_key": "a")")}, {200, page(2, "")}},
         1 << 20,
         true,
         2,
         ""},
        {"empty",
         {{200, page(1, R"(, "pagination_key": "a")")},
          {200, page(2, R"(, "pagination_key": "")")}},
         1 << 20,
         true,
         2,
         ""},
        {"null", {{200, page(1, R"(, "pagination_key": null)")}}, 1 << 20, true, 1, ""},
        {"repeated",
         {{200, page(1, R"(, "pagination_key": "a")")},
          {200, page(2, R"(, "pagination_key": "a")")}},
         1 << 20,
         false,
         2,
         "同じページ"},
        {"no text",
         {{200, page(1, R"(, "pagination_key": 7)")}},
         1 << 20,
         false,
         1,
         "読み取れません"},
        {"endless", endless, 1 << 20, false, 10, "上限 (10)"},
        {"too much in all", endless, 100, false, 3, "大きすぎる"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fetch result;
        ApiClientOptions options;
        options.maxPages = 10;
        options.maxTotalBytes = c.maxTotalBytes;
        fetch(result, c.script, options);
        EXPECT_EQ(result.rows.ok, c.ok);
        EXPECT_EQ(result.keys.size(), c.requests);
        EXPECT_EQ(result.rows.rows.size(), c.ok ? c.requests : 0u);
        EXPECT_NE(result.rows.message.find(c.message), std::string::npos) << result.rows.message;
    }
}

TEST(ApiClient, RefusalsSayWhyAndPassingFailuresAreWaitedOut) {
    const Answer ok{200, page(1, "")};
    struct Case {
        const char* what;
        std::vector<Answer> script;
        bool ok;
        std::chrono::milliseconds waited;  // beyond the pacing
        std::string message;
    };
    const std::vector<Case> cases{
        {"400 with its reason",
         {{400, R"({"message": "  'date' must be\nYYYYMMDD  "})"}},
         false,
         0ms,
         "(HTTP 400)。\n\n'date' must be YYYYMMDD"},
        {"a bad key",
         {{403, R"({"message": "The key is not valid."})"}},
         false,
         0ms,
         "データAPIがキーを受け付けませんでした (HTTP "
         "403)。\n\nAPIキーとご契約のプランを確認してください。\n\nThe key is not valid."},
        {"server failures, then the answer", {{503, "{}"}, {502, "{}"}, ok}, true, 15s, ""},
        {"server failing throughout",
         {{500, "{}"}},
         false,
         35s,
         "一時的に応答できません (HTTP 500)"},
        {"429 without Retry-After", {{429, "{}"}, ok}, true, 60s, ""},
        {"429 asking for seconds", {{429, "{}", {{"Retry-After", "7"}}}, ok}, true, 7s, ""},
        {"429 of a blocked key",
         {{429, "{}", {{"Retry-After", "900"}}}},
         false,
         0ms,
         "上限に達しました"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fetch result;
        fetch(result, c.script);
        EXPECT_EQ(result.rows.ok, c.ok);
        std::chrono::milliseconds waited{0};
        for (auto sleep : result.pause.sleeps)
            if (sleep >= 1s || waited > 0ms) waited += sleep;
        // Premium's pacing stays under a second a request.
        EXPECT_NEAR(static_cast<double>(waited.count()), static_cast<double>(c.waited.count()),
                    500.0);
        if (!c.ok) {
            EXPECT_NE(result.rows.message.find(c.message), std::string::npos)
                << result.rows.message;
        }
    }
}

TEST(ApiClient, TheKeyNeverFollowsARedirect) {
    ScriptedApi elsewhere({{200, page(1, "")}});
    Fetch result;
    fetch(result,
          {{302, "{}", {{"Location", elsewhere.base() + "/equities/bars/daily?date=20250303"}}}});
    EXPECT_FALSE(result.rows.ok);
    EXPECT_NE(result.rows.message.find("転送"), std::string::npos);
    EXPECT_EQ(result.keys, std::vector<std::string>{"secret-key"});
    EXPECT_TRUE(elsewhere.keys().empty());
}

TEST(ApiClient, RequestsAreSpacedByThePlanAndWaitsAreShownAndCancellable) {
    const std::vector<Answer> pages{{200, page(1, R"(, "pagination_key": "a")")},
                                    {200, page(2, R"(, "pagination_key": "b")")},
                                    {200, page(3, "")}};
    Fetch free;
    ApiClientOptions options;
    options.plan = ApiPlan::Free;
    {
        ScriptedApi api(pages);
        CurlHttp http;
        options.pause = &free.pause;
        options.status = [&](const std::string& text) { free.statuses.push_back(text); };
        ApiClient client(http, api.base(), "k", options);
        ASSERT_TRUE(client.fetchAll("/equities/master", {}).ok);
        EXPECT_EQ(client.traffic().requests, 3);
    }
    // Five a minute, a little under: 13.2 s between requests.
    EXPECT_EQ(free.pause.elapsed(), 2 * 13200ms);
    EXPECT_EQ(free.statuses.front(), "待機中 14 秒");
    EXPECT_NE(std::find(free.statuses.begin(), free.statuses.end(), "待機中 1 秒"),
              free.statuses.end());

    Fetch cancelled;
    ScriptedApi api(pages);
    CurlHttp http;
    options.pause = &cancelled.pause;
    options.status = {};
    options.cancelled = [&] { return cancelled.pause.elapsed() >= 5s; };
    ApiClient client(http, api.base(), "k", options);
    ApiRows rows = client.fetchAll("/equities/master", {});
    EXPECT_FALSE(rows.ok);
    EXPECT_TRUE(rows.cancelled);
    EXPECT_EQ(api.keys().size(), 1u);
    EXPECT_EQ(cancelled.pause.elapsed(), 5s);
}

}  // namespace
}  // namespace tav
