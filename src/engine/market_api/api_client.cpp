#include "market_api/api_client.h"

#include <thread>

namespace tav {

namespace {

constexpr const char* kUnreadable = "データAPIの応答を読み取れません。";

std::string percentEncoded(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : text) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '_' || c == '.' || c == '~';
        if (plain) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 15];
        }
    }
    return encoded;
}

std::string failureText(const HttpResponse& response) {
    switch (response.status) {
        case HttpStatus::Ok:
            return {};
        case HttpStatus::CannotConnect:
            return "インターネットに接続できません。";
        case HttpStatus::TooLarge:
            return "データAPIの応答が大きすぎるため中止しました。";
        case HttpStatus::TimedOut:
            return "データAPIの応答が時間内に終わりませんでした。";
        case HttpStatus::ReadFailed:
        case HttpStatus::CannotWrite:
            return "データAPIの応答が途中で切れました。";
        case HttpStatus::HttpError:
            break;
    }
    if (response.httpCode == 401 || response.httpCode == 403)
        return "データAPIがキーを受け付けませんでした (HTTP " + std::to_string(response.httpCode) +
               ")。\n\nAPIキーとご契約のプランを確認してください。";
    if (response.httpCode == 429)
        return "データAPIの利用回数の上限に達しました。\n\nしばらく待ってから再実行してください。";
    return "データAPIがエラーを返しました (HTTP " + std::to_string(response.httpCode) + ")。";
}

}  // namespace

std::chrono::seconds retryAfterSeconds(std::string_view value, std::chrono::seconds fallback) {
    if (value.empty() || value.size() > 9) return fallback;
    long long seconds = 0;
    for (char c : value) {
        if (c < '0' || c > '9') return fallback;
        seconds = seconds * 10 + (c - '0');
    }
    return std::chrono::seconds(seconds);
}

ApiClient::ApiClient(Http& http, std::string base, std::string key, ApiClientOptions options)
    : http_(http), base_(std::move(base)), key_(std::move(key)), options_(std::move(options)) {
    while (!base_.empty() && base_.back() == '/') base_.pop_back();
    if (!options_.wait)
        options_.wait = [](std::chrono::seconds pause) { std::this_thread::sleep_for(pause); };
}

std::string ApiClient::address(std::string_view path, const ApiQuery& query,
                               std::string_view paginationKey) const {
    std::string url = base_;
    url += path;
    char separator = '?';
    auto add = [&](std::string_view name, std::string_view value) {
        url += separator;
        url += name;
        url += '=';
        url += percentEncoded(value);
        separator = '&';
    };
    for (const auto& [name, value] : query) add(name, value);
    if (!paginationKey.empty()) add("pagination_key", paginationKey);
    return url;
}

ApiRows ApiClient::fetchAll(std::string_view path, const ApiQuery& query) {
    ApiRows result;
    const HttpHeaders headers{{"x-api-key", key_}};
    std::string paginationKey;
    for (int page = 0; page < options_.maxPages; ++page) {
        std::string url = address(path, query, paginationKey);
        HttpResponse response;
        for (int attempt = 0;; ++attempt) {
            response = http_.get(url, options_.maxPageBytes, headers);
            bool tooMany = response.status == HttpStatus::HttpError && response.httpCode == 429;
            if (!tooMany || attempt == options_.maxRetries) break;
            auto pause = retryAfterSeconds(response.retryAfter, std::chrono::seconds(attempt + 1));
            // A wait longer than we would sit through ends the run instead.
            if (pause > options_.maxRetryWait) break;
            options_.wait(pause);
        }
        if (response.status != HttpStatus::Ok) {
            result.message = failureText(response);
            return result;
        }
        nlohmann::json body = nlohmann::json::parse(response.body, nullptr, false);
        if (body.is_discarded() || !body.is_object()) {
            result.message = kUnreadable;
            return result;
        }
        auto data = body.find("data");
        if (data == body.end() || !data->is_array()) {
            result.message = kUnreadable;
            return result;
        }
        for (auto& row : *data) result.rows.push_back(std::move(row));
        auto next = body.find("pagination_key");
        if (next == body.end() || next->is_null()) {
            result.ok = true;
            return result;
        }
        if (!next->is_string() || next->get_ref<const std::string&>().empty() ||
            next->get_ref<const std::string&>() == paginationKey) {
            result.message = kUnreadable;
            return result;
        }
        paginationKey = next->get<std::string>();
    }
    result.message = kUnreadable;
    return result;
}

}  // namespace tav
