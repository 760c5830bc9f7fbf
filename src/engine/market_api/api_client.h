#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/http.h"

// Requests to the exchange's data API: the key in the x-api-key header, every
// page under the transfer's deadline and a size cap, the pages of an answer
// followed through pagination_key, and "too many requests" answered by
// waiting as long as the server asks, a bounded number of times.
namespace tav {

using ApiQuery = std::vector<std::pair<std::string, std::string>>;

struct ApiRows {
    bool ok = false;
    nlohmann::json rows = nlohmann::json::array();  // the "data" arrays of every page, in order
    std::string message;                             // shown to the user when not ok
};

struct ApiClientOptions {
    // One page of a day's whole market is some hundreds of kilobytes.
    std::size_t maxPageBytes = std::size_t{16} << 20;
    // Further attempts after a 429, and the longest wait accepted for one.
    int maxRetries = 3;
    std::chrono::seconds maxRetryWait{120};
    // A server that keeps handing out pagination keys is not followed forever.
    int maxPages = 2000;
    // Waits out a Retry-After (tests pass a recorder instead of sleeping).
    std::function<void(std::chrono::seconds)> wait = {};
};

class ApiClient {
  public:
    // base: the address up to the version, e.g. "https://api.jquants.com/v2".
    ApiClient(Http& http, std::string base, std::string key, ApiClientOptions options = {});

    // GET base + path with the query, and every further page.
    ApiRows fetchAll(std::string_view path, const ApiQuery& query);

    // The address of one page (the key is never part of it).
    std::string address(std::string_view path, const ApiQuery& query,
                        std::string_view paginationKey = {}) const;

  private:
    Http& http_;
    std::string base_;
    std::string key_;
    ApiClientOptions options_;
};

// Seconds of a Retry-After value; the HTTP-date form and garbage give fallback.
std::chrono::seconds retryAfterSeconds(std::string_view value, std::chrono::seconds fallback);

}  // namespace tav
