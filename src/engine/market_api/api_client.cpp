#include "market_api/api_client.h"

#include <algorithm>
#include <cctype>

namespace tav {

namespace {

constexpr const char* kUnreadable = "データAPIの応答を読み取れません。";
constexpr std::size_t kMaxMessageBytes = 300;

struct PlanInfo {
    std::string_view name;
    int requestsPerMinute;
    bool topix;
};
constexpr PlanInfo kPlans[kApiPlanCount] = {
    {"free", 5, false}, {"light", 60, true}, {"standard", 120, true}, {"premium", 500, true}};

const PlanInfo& planInfo(ApiPlan plan) {
    return kPlans[std::clamp(static_cast<int>(plan), 0, kApiPlanCount - 1)];
}

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

bool passingServerFailure(long httpCode) {
    return httpCode == 500 || httpCode == 502 || httpCode == 503 || httpCode == 504;
}

std::string withReason(std::string text, const std::string& apiMessage) {
    if (!apiMessage.empty()) text += "\n\n" + apiMessage;
    return text;
}

std::string failureText(const HttpResponse& response, const std::string& apiMessage) {
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
    const std::string code = std::to_string(response.httpCode);
    if (response.httpCode == 401 || response.httpCode == 403)
        return withReason("データAPIがキーを受け付けませんでした (HTTP " + code +
                              ")。\n\nAPIキーとご契約のプランを確認してください。",
                          apiMessage);
    if (response.httpCode == 429)
        return "データAPIの利用回数の上限に達しました。\n\nしばらく待ってから再実行してください。";
    if (response.httpCode >= 300 && response.httpCode < 400)
        return "データAPIが別のアドレスへの転送を求めたため中止しました (HTTP " + code +
               ")。\n\nAPIキーは転送先へ送っていません。接続先の設定を確認してください。";
    if (passingServerFailure(response.httpCode))
        return "データAPIが一時的に応答できません (HTTP " + code +
               ")。\n\nしばらく待ってから再実行してください。";
    return withReason("データAPIがエラーを返しました (HTTP " + code + ")。", apiMessage);
}

}  // namespace

std::optional<ApiPlan> parseApiPlan(std::string_view name) {
    std::string lower;
    for (char c : name)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (int plan = 0; plan < kApiPlanCount; ++plan)
        if (kPlans[plan].name == lower) return static_cast<ApiPlan>(plan);
    return std::nullopt;
}

std::string_view apiPlanName(ApiPlan plan) {
    return planInfo(plan).name;
}

int apiPlanRequestsPerMinute(ApiPlan plan) {
    return planInfo(plan).requestsPerMinute;
}

bool apiPlanHasTopix(ApiPlan plan) {
    return planInfo(plan).topix;
}

std::chrono::seconds retryAfterSeconds(std::string_view value, std::chrono::seconds fallback) {
    if (value.empty() || value.size() > 9) return fallback;
    long long seconds = 0;
    for (char c : value) {
        if (c < '0' || c > '9') return fallback;
        seconds = seconds * 10 + (c - '0');
    }
    return std::chrono::seconds(seconds);
}

std::string apiErrorMessage(std::string_view body) {
    nlohmann::json page = nlohmann::json::parse(body, nullptr, false);
    if (page.is_discarded() || !page.is_object()) return {};
    auto found = page.find("message");
    if (found == page.end() || !found->is_string()) return {};
    std::string line;
    bool blank = true;  // collapses runs of blanks and drops leading ones
    for (char c : found->get_ref<const std::string&>()) {
        bool control = static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
        if (control || c == ' ') {
            if (!blank) line += ' ';
            blank = true;
            continue;
        }
        line += c;
        blank = false;
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    if (line.size() > kMaxMessageBytes) {
        line.resize(kMaxMessageBytes);
        // Never end inside a UTF-8 sequence.
        while (!line.empty() && (static_cast<unsigned char>(line.back()) & 0xC0) == 0x80)
            line.pop_back();
        if (!line.empty() && static_cast<unsigned char>(line.back()) >= 0xC0) line.pop_back();
        line += "…";
    }
    return line;
}

std::optional<std::pair<std::string, std::string>> planWindow(std::string_view message) {
    auto isDate = [&](std::size_t at) {
        if (at + 10 > message.size()) return false;
        for (std::size_t i = 0; i < 10; ++i) {
            char c = message[at + i];
            bool ok = (i == 4 || i == 7) ? c == '-' : (c >= '0' && c <= '9');
            if (!ok) return false;
        }
        return true;
    };
    for (std::size_t at = 0; at + 10 <= message.size(); ++at) {
        if (!isDate(at)) continue;
        std::size_t next = at + 10;
        while (next < message.size() && (message[next] == ' ' || message[next] == '~'))
            ++next;
        if (next > at + 10 &&
            message.substr(at + 10, next - at - 10).find('~') != std::string_view::npos &&
            isDate(next))
            return std::pair{std::string(message.substr(at, 10)),
                             std::string(message.substr(next, 10))};
    }
    return std::nullopt;
}

ApiClient::ApiClient(Http& http, std::string base, std::string key, ApiClientOptions options)
    : http_(http),
      base_(std::move(base)),
      key_(std::move(key)),
      options_(std::move(options)),
      pause_(options_.pause ? *options_.pause : steady_) {
    while (!base_.empty() && base_.back() == '/')
        base_.pop_back();
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
    for (const auto& [name, value] : query)
        add(name, value);
    if (!paginationKey.empty()) add("pagination_key", paginationKey);
    return url;
}

bool ApiClient::wait(std::chrono::milliseconds duration) {
    using std::chrono::milliseconds;
    const bool shown = duration >= std::chrono::seconds(1) && options_.status;
    // A wait that can be cancelled is slept in short steps, so that 中止 or
    // Ctrl-C ends it at once rather than after the second under way.
    const milliseconds slice(options_.cancelled ? 100 : 1000);
    long long shownSeconds = -1;
    while (duration.count() > 0) {
        if (options_.cancelled && options_.cancelled()) return false;
        const long long seconds = (duration.count() + 999) / 1000;
        if (shown && seconds != shownSeconds) {
            options_.status("待機中 " + std::to_string(seconds) + " 秒");
            shownSeconds = seconds;
        }
        milliseconds step = std::min(duration, slice);
        pause_.sleep(step);
        traffic_.waited += step;
        duration -= step;
    }
    if (shown) options_.status("接続");
    return !(options_.cancelled && options_.cancelled());
}

HttpResponse ApiClient::request(const std::string& url, bool& cancelled) {
    using std::chrono::milliseconds;
    // A little under the plan's rate, so that the server's own minute never
    // counts one request too many.
    const milliseconds spacing(60000 * 11 / 10 / apiPlanRequestsPerMinute(options_.plan));
    const HttpHeaders headers{{"x-api-key", key_}};
    HttpResponse response;
    for (int attempt = 0;; ++attempt) {
        if (lastRequest_) {
            milliseconds due = *lastRequest_ + spacing - pause_.now();
            if (due.count() > 0 && !wait(due)) {
                cancelled = true;
                return response;
            }
        }
        lastRequest_ = pause_.now();
        ++traffic_.requests;
        response = http_.get(url, options_.maxPageBytes, headers, HttpRequestOptions{false});
        if (response.status != HttpStatus::HttpError || attempt == options_.maxRetries) break;
        std::chrono::seconds pause{0};
        if (response.httpCode == 429) {
            pause = retryAfterSeconds(response.retryAfter, options_.busyWait);
            // A wait this long means the key is blocked: the run ends instead.
            if (pause > options_.maxRetryWait) break;
        } else if (passingServerFailure(response.httpCode)) {
            pause = options_.serverFailureWait * (1 << attempt);
        } else {
            break;
        }
        ++traffic_.retries;
        if (!wait(pause)) {
            cancelled = true;
            return response;
        }
    }
    return response;
}

ApiRows ApiClient::fetchAll(std::string_view path, const ApiQuery& query) {
    ApiRows result;
    auto fail = [&](std::string message) {
        result.rows = nlohmann::json::array();
        result.message = std::move(message);
        return std::move(result);
    };
    std::string paginationKey;
    std::size_t totalBytes = 0;
    for (int page = 0; page < options_.maxPages; ++page) {
        bool cancelled = false;
        HttpResponse response = request(address(path, query, paginationKey), cancelled);
        if (cancelled) {
            result.cancelled = true;
            return fail("データAPIからの取得を中止しました。");
        }
        if (response.status != HttpStatus::Ok) {
            if (response.status == HttpStatus::HttpError) {
                result.httpCode = response.httpCode;
                result.apiMessage = apiErrorMessage(response.body);
            }
            return fail(failureText(response, result.apiMessage));
        }
        totalBytes += response.body.size();
        if (totalBytes > options_.maxTotalBytes)
            return fail("データAPIの応答が大きすぎるため中止しました。");
        nlohmann::json body = nlohmann::json::parse(response.body, nullptr, false);
        response.body = std::string();
        if (body.is_discarded() || !body.is_object()) return fail(kUnreadable);
        auto data = body.find("data");
        if (data == body.end() || !data->is_array()) return fail(kUnreadable);
        for (auto& row : *data)
            result.rows.push_back(std::move(row));
        // The last page has no key, or an empty one.
        auto next = body.find("pagination_key");
        if (next == body.end() || next->is_null() ||
            (next->is_string() && next->get_ref<const std::string&>().empty())) {
            result.ok = true;
            return result;
        }
        if (!next->is_string()) return fail(kUnreadable);
        if (next->get_ref<const std::string&>() == paginationKey)
            return fail("データAPIが同じページを繰り返し返したため中止しました。");
        paginationKey = next->get<std::string>();
    }
    return fail("データAPIの応答のページ数が上限 (" + std::to_string(options_.maxPages) +
                ") を超えたため中止しました。");
}

}  // namespace tav
