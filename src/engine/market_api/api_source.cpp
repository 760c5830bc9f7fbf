#include "market_api/api_source.h"

#include <cstdio>

namespace tav {

namespace {

constexpr const char* kTopixPath = "/indices/bars/daily/topix";

std::unique_ptr<ApiClient> clientFor(ApiAccess& access) {
    ApiKeyLookup key = access.findKey();
    if (key.key.empty()) {
        access.prompter.message(key.message, MessageIcon::Stop);
        return nullptr;
    }
    ApiClientOptions options = access.options;
    if (!options.status)
        options.status = [&prompter = access.prompter](const std::string& text) {
            prompter.status(text);
        };
    return std::make_unique<ApiClient>(access.http, access.base, std::move(key.key), options);
}

std::string dashed(std::string_view day) {
    if (day.size() != 8) return std::string(day);
    return std::string(day.substr(0, 4)) + "-" + std::string(day.substr(4, 2)) + "-" +
           std::string(day.substr(6, 2));
}

// The refusal of a date outside the plan's window says which dates it covers.
std::string refusalText(const ApiRows& rows, std::string_view day) {
    if (rows.httpCode != 400) return rows.message;
    auto window = planWindow(rows.apiMessage);
    if (!window) return rows.message;
    std::string text = "ご契約のプランで取得できるのは " + window->first + " から " +
                       window->second + " までの株価です。";
    if (!day.empty()) text += "\n\n" + dashed(day) + " はその範囲外のため、更新はここで止めます。";
    return text + "\n\n" + rows.apiMessage;
}

std::optional<nlohmann::json> rowsOrMessage(ApiAccess& access, ApiClient& client,
                                            std::string_view path, const ApiQuery& query) {
    ApiRows rows = client.fetchAll(path, query);
    if (!rows.ok) {
        access.prompter.message(refusalText(rows, {}), MessageIcon::Stop);
        return std::nullopt;
    }
    return std::move(rows.rows);
}

void noteTraffic(ApiAccess& access, const ApiClient& client) {
    access.report->traffic.requests += client.traffic().requests;
    access.report->traffic.retries += client.traffic().retries;
    access.report->traffic.waited += client.traffic().waited;
}

}  // namespace

std::string ApiRunReport::describe() const {
    std::string text = counts.describe();
    if (indicesRefused)
        text += std::string(text.empty() ? "" : "\n") +
                "ご契約のプランでは TOPIX (1001) を取得できないため、指数は更新していません。";
    for (const ApiSplit& split : splits) {
        char factor[32];
        std::snprintf(factor, sizeof factor, "%g", split.factor);
        text += std::string(text.empty() ? "" : "\n") + codeText(split.code) + " は " +
                dashed(split.date) + " に株式分割・併合がありました (調整係数 " + factor +
                ")。保存した株価はその前後で基準が異なります。分割調整済みの株価で取り直すには: "
                "tavrento-cli refetch " +
                codeText(split.code) + " --source api";
    }
    return text;
}

DayFetcher apiDayFetcher(ApiAccess access, std::function<bool(StockCode)> stored) {
    struct RunState {
        ApiAccess access;
        std::function<bool(StockCode)> stored;
        std::unique_ptr<ApiClient> client;  // one for the run, so its pacing holds across days
        bool topixRefused = false;
    };
    auto state =
        std::make_shared<RunState>(RunState{std::move(access), std::move(stored), {}, false});
    state->topixRefused = !apiPlanHasTopix(state->access.options.plan);
    state->access.report->indicesRefused = state->topixRefused;
    return [state](std::string_view day) {
        ApiAccess& access = state->access;
        FetchedDay fetched;
        if (!state->client) state->client = clientFor(access);
        if (!state->client) return fetched;
        ApiClient& client = *state->client;
        ApiTraffic before = client.traffic();
        auto finish = [&](FetchedDay result) {
            ApiTraffic after = client.traffic();
            access.report->traffic.requests += after.requests - before.requests;
            access.report->traffic.retries += after.retries - before.retries;
            access.report->traffic.waited += after.waited - before.waited;
            return result;
        };
        access.prompter.status("接続");
        const ApiQuery query{{"date", std::string(day)}};
        ApiRows equities = client.fetchAll("/equities/bars/daily", query);
        // A wait the user ended stops the run without a failure to show.
        if (!equities.ok) {
            if (!equities.cancelled)
                access.prompter.message(refusalText(equities, day), MessageIcon::Stop);
            return finish(fetched);
        }
        if (equities.rows.empty()) {
            fetched.outcome = DayOutcome::Skipped;
            return finish(fetched);
        }
        nlohmann::json topix = nlohmann::json::array();
        if (!state->topixRefused) {
            ApiRows topixRows = client.fetchAll(kTopixPath, query);
            if (topixRows.ok) {
                topix = std::move(topixRows.rows);
            } else if (topixRows.httpCode == 403) {
                // The plan has no index data: said once, not asked again this run.
                state->topixRefused = true;
                access.report->indicesRefused = true;
                access.prompter.message(
                    "ご契約のプランでは TOPIX (1001) "
                    "を取得できません。この更新では指数を取得しません。",
                    MessageIcon::Warning);
            } else {
                if (!topixRows.cancelled)
                    access.prompter.message(refusalText(topixRows, day), MessageIcon::Stop);
                return finish(fetched);
            }
        }
        ApiDay converted = apiDay(equities.rows, topix, day, access.today, state->stored);
        if (!converted.message.empty()) {
            access.prompter.message(converted.message, MessageIcon::Stop);
            return finish(fetched);
        }
        if (converted.refusedStored > 0) {
            access.prompter.message("[" + std::string(day) +
                                        "]　の株価に取り込めない行がありました。\n\n" +
                                        converted.counts.describe() +
                                        "\n\nこの日は追加していません。次の更新で再び取得します。",
                                    MessageIcon::Stop);
            return finish(fetched);
        }
        access.report->counts.add(converted.counts);
        for (auto& split : converted.splits)
            access.report->splits.push_back(std::move(split));
        fetched.outcome = DayOutcome::Imported;
        fetched.csv = std::move(converted.csv);
        return finish(fetched);
    };
}

std::optional<std::vector<DailyBar>> fetchApiSeries(ApiAccess& access, StockCode code,
                                                    std::string_view from, std::string_view to) {
    auto client = clientFor(access);
    if (!client) return std::nullopt;
    ApiQuery query;
    const bool topix = code == 1001;
    if (!topix) query.emplace_back("code", apiCodeOf(code));
    if (!from.empty()) query.emplace_back("from", std::string(from));
    if (!to.empty()) query.emplace_back("to", std::string(to));
    auto rows = rowsOrMessage(access, *client, topix ? kTopixPath : "/equities/bars/daily", query);
    noteTraffic(access, *client);
    if (!rows) return std::nullopt;
    if (topix) {
        // Index levels need no adjustment: they are their own adjusted values.
        for (auto& row : *rows) {
            if (!row.is_object()) continue;
            for (const char* field : {"O", "H", "L", "C"})
                if (row.contains(field)) row[std::string("Adj") + field] = row[field];
            row["AdjVo"] = 100000;
            row.erase("Code");
        }
    }
    ApiRowCounts counts;
    auto bars = apiSeries(*rows, topix ? std::string() : apiCodeOf(code), access.today, counts);
    access.report->counts.add(counts);
    return bars;
}

std::optional<std::string> fetchApiMasterList(ApiAccess& access, std::string_view currentList) {
    auto client = clientFor(access);
    if (!client) return std::nullopt;
    auto rows = rowsOrMessage(access, *client, "/equities/master", {});
    noteTraffic(access, *client);
    if (!rows) return std::nullopt;
    // A list that lost half its issues at once is a broken answer, not the market.
    int currentIssues = 0;
    std::string_view rest = currentList;
    while (!rest.empty()) {
        std::string_view line = rest.substr(0, rest.find('\n'));
        rest.remove_prefix(std::min(rest.size(), line.size() + 1));
        auto code = parseCode(line.substr(0, line.find(',')));
        if (code && securityKind(*code) == SecurityKind::JapaneseStock) ++currentIssues;
    }
    ApiMasterList master = apiMasterList(*rows, currentList, currentIssues / 2);
    access.report->counts.add(master.counts);
    if (!master.list) {
        access.prompter.message(master.message, MessageIcon::Stop);
        return std::nullopt;
    }
    return master.list;
}

ApiConnectionTest testApiConnection(ApiAccess& access) {
    ApiConnectionTest result;
    ApiKeyLookup key = access.findKey();
    if (key.key.empty()) {
        result.text = key.message;
        return result;
    }
    ApiClient client(access.http, access.base, std::move(key.key), access.options);
    ApiRows rows = client.fetchAll("/equities/master", {{"code", "72030"}});
    if (!rows.ok) {
        result.text = refusalText(rows, {});
        return result;
    }
    result.ok = true;
    result.text = "データAPIに接続できました。APIキーは有効です。";
    return result;
}

}  // namespace tav
