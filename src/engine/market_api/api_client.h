#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/http.h"
#include "platform/pause.h"

// Requests to the exchange's data API: the key in the x-api-key header and to
// the configured host only (redirects are not followed), requests spaced to
// stay under the plan's rate, every page under the transfer's deadline and a
// size cap, the pages of an answer followed through pagination_key under a
// cap on pages and bytes, "too many requests" and the server's passing
// failures waited out a bounded number of times, every wait shown and
// cancellable.
namespace tav {

// The subscription plans, by their request rate. Stored by name.
enum class ApiPlan : uint8_t { Free, Light, Standard, Premium };
inline constexpr int kApiPlanCount = 4;

// "free", "light", "standard", "premium" (any case).
std::optional<ApiPlan> parseApiPlan(std::string_view name);
std::string_view apiPlanName(ApiPlan plan);
// Requests a minute the plan allows.
int apiPlanRequestsPerMinute(ApiPlan plan);
// Whether the plan carries TOPIX (/indices/bars/daily/topix).
bool apiPlanHasTopix(ApiPlan plan);

using ApiQuery = std::vector<std::pair<std::string, std::string>>;

struct ApiRows {
    bool ok = false;
    nlohmann::json rows = nlohmann::json::array();  // the "data" arrays of every page, in order
    std::string message;                            // shown to the user when not ok
    long httpCode = 0;       // the refusing answer's status, 0 when it was no HTTP refusal
    std::string apiMessage;  // the refusal's own "message", one line
    bool cancelled = false;  // the user ended a wait
};

struct ApiClientOptions {
    ApiPlan plan = ApiPlan::Free;
    // One page of a day's whole market is some hundreds of kilobytes.
    std::size_t maxPageBytes = std::size_t{16} << 20;
    // All pages of one answer together; a server that keeps sending pages
    // ends here long before memory does.
    std::size_t maxTotalBytes = std::size_t{32} << 20;
    int maxPages = 500;
    // Further attempts of one request after a 429 or a passing server failure.
    int maxRetries = 3;
    // The wait after a 429 that names none: the plans count per minute.
    std::chrono::seconds busyWait{60};
    // A Retry-After beyond this ends the run instead (the key is blocked).
    std::chrono::seconds maxRetryWait{600};
    // The first wait after a 500/502/503/504, doubled each further time.
    std::chrono::seconds serverFailureWait{5};
    // Waiting and its clock; a SteadyPause when unset.
    Pause* pause = nullptr;
    // Shown during waits ("待機中 42 秒") and cleared after them.
    std::function<void(const std::string&)> status = {};
    // Asked during waits; true ends the wait and the fetch.
    std::function<bool()> cancelled = {};
};

// What a client did, for the summary of a run.
struct ApiTraffic {
    int requests = 0;
    int retries = 0;
    std::chrono::milliseconds waited{0};  // pacing and retries together
};

class ApiClient {
  public:
    // base: the address up to the version, e.g. "https://api.jquants.com/v2".
    ApiClient(Http& http, std::string base, std::string key, ApiClientOptions options = {});
    ApiClient(const ApiClient&) = delete;
    ApiClient& operator=(const ApiClient&) = delete;

    // GET base + path with the query, and every further page.
    ApiRows fetchAll(std::string_view path, const ApiQuery& query);

    // The address of one page (the key is never part of it).
    std::string address(std::string_view path, const ApiQuery& query,
                        std::string_view paginationKey = {}) const;

    const ApiTraffic& traffic() const { return traffic_; }

  private:
    // Sleeps in steps of a second, showing what is left; false when cancelled.
    bool wait(std::chrono::milliseconds duration);
    HttpResponse request(const std::string& url, bool& cancelled);

    Http& http_;
    std::string base_;
    std::string key_;
    ApiClientOptions options_;
    SteadyPause steady_;
    Pause& pause_;
    std::optional<std::chrono::milliseconds> lastRequest_;
    ApiTraffic traffic_;
};

// Seconds of a Retry-After value; the HTTP-date form and garbage give fallback.
std::chrono::seconds retryAfterSeconds(std::string_view value, std::chrono::seconds fallback);

// The "message" of an API error page on one line (control characters as
// blanks, trimmed, at most 300 bytes); empty when the page has none.
std::string apiErrorMessage(std::string_view body);

// The dates a plan-window refusal names ("... 2023-08-24 ~ 2025-08-24 ..."),
// as YYYY-MM-DD texts; nullopt when the message names no such span.
std::optional<std::pair<std::string, std::string>> planWindow(std::string_view message);

}  // namespace tav
