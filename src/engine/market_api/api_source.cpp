#include "market_api/api_source.h"

#include "market_api/api_rows.h"

namespace tav {

namespace {

std::optional<ApiClient> clientFor(ApiAccess& access) {
    ApiKeyLookup key = access.findKey();
    if (key.key.empty()) {
        access.prompter.message(key.message, MessageIcon::Stop);
        return std::nullopt;
    }
    return ApiClient(access.http, access.base, std::move(key.key), access.options);
}

std::optional<nlohmann::json> rowsOrMessage(ApiAccess& access, ApiClient& client,
                                            std::string_view path, const ApiQuery& query) {
    ApiRows rows = client.fetchAll(path, query);
    if (!rows.ok) {
        access.prompter.message(rows.message, MessageIcon::Stop);
        return std::nullopt;
    }
    return std::move(rows.rows);
}

}  // namespace

DayFetcher apiDayFetcher(ApiAccess access) {
    return [access = std::move(access)](std::string_view day) mutable {
        FetchedDay fetched;
        auto client = clientFor(access);
        if (!client) return fetched;
        access.prompter.status("接続");
        const ApiQuery query{{"date", std::string(day)}};
        auto equities = rowsOrMessage(access, *client, "/equities/bars/daily", query);
        if (!equities) return fetched;
        if (equities->empty()) {
            fetched.outcome = DayOutcome::Skipped;
            return fetched;
        }
        // Index bars come with some plans only: a refusal leaves them out.
        nlohmann::json indices = nlohmann::json::array();
        ApiRows indexRows = client->fetchAll("/indices/bars/daily", query);
        if (indexRows.ok) {
            indices = std::move(indexRows.rows);
        } else if (indexRows.message.find("HTTP 403") == std::string::npos) {
            access.prompter.message(indexRows.message, MessageIcon::Stop);
            return fetched;
        }
        ApiDay converted = apiDay(*equities, indices, day);
        if (!converted.message.empty()) {
            access.prompter.message(converted.message, MessageIcon::Stop);
            return fetched;
        }
        fetched.outcome = DayOutcome::Imported;
        fetched.csv = std::move(converted.csv);
        return fetched;
    };
}

std::optional<std::vector<DailyBar>> fetchApiSeries(ApiAccess& access, StockCode code,
                                                    std::string_view from, std::string_view to) {
    auto client = clientFor(access);
    if (!client) return std::nullopt;
    ApiQuery query;
    bool index = code == 1001;
    query.emplace_back("code", index ? std::string("0000") : codeText(code));
    if (!from.empty()) query.emplace_back("from", std::string(from));
    if (!to.empty()) query.emplace_back("to", std::string(to));
    auto rows = rowsOrMessage(access, *client,
                              index ? "/indices/bars/daily" : "/equities/bars/daily", query);
    if (!rows) return std::nullopt;
    if (index) {
        // Index levels need no adjustment: they are their own adjusted values.
        for (auto& row : *rows) {
            if (!row.is_object()) continue;
            for (const char* field : {"O", "H", "L", "C"})
                if (row.contains(field)) row[std::string("Adj") + field] = row[field];
            row["AdjVo"] = 100000;
        }
    }
    int rejected = 0;
    return apiSeries(*rows, rejected);
}

std::optional<std::string> fetchApiMasterList(ApiAccess& access, std::string_view currentList) {
    auto client = clientFor(access);
    if (!client) return std::nullopt;
    auto rows = rowsOrMessage(access, *client, "/equities/master", {});
    if (!rows) return std::nullopt;
    int rejected = 0;
    std::string list = apiMasterList(*rows, currentList, rejected);
    if (rows->empty()) {
        access.prompter.message("データAPIの銘柄一覧が空でした。", MessageIcon::Stop);
        return std::nullopt;
    }
    return list;
}

}  // namespace tav
