#include "quotes/ranking.h"

#include <algorithm>

#include "core/text.h"
#include "quotes/page_text.h"
#include "watchlists/watchlist_files.h"

namespace tav {

namespace {

constexpr std::array<std::string_view, 12> kMarketKinds = {
    "値上がり率",     "値下がり率", "出来高", "時価総額上位", "時価総額下位", "単元株価格上位",
    "単元株価格下位", "配当利回り", "高PER",  "低PER",        "高PBR",        "低PBR"};
constexpr std::array<std::string_view, 6> kMarginKinds = {
    "信用買残増加", "信用買残減少", "信用売残増加", "信用売残減少", "信用倍率上位", "信用倍率下位"};
constexpr std::array<std::string_view, 8> kTechnicalKinds = {
    "高乖離率（25日＋）", "高乖離率（25日－）", "高乖離率（75日＋）", "高乖離率（75日－）",
    "低乖離率（25日＋）", "低乖離率（25日－）", "低乖離率（75日＋）", "低乖離率（75日－）"};
// First kd value of each category.
constexpr int kKindBase[] = {1, 13, 19};
constexpr std::string_view kPeriodQuery[] = {"day", "week", "month"};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

const std::array<RankingMarket, 14> kRankingMarkets = {{
    {"全市場",
     "11&mk=12&mk=21&mk=22&mk=31&mk=32&mk=43&mk=47&mk=83&mk=87&mk=94&mk=17&mk=A1&mk=A7&mk=37"},
    {"東証1部", "11"},
    {"東証2部", "12"},
    {"大証1部", "21"},
    {"大証2部", "22"},
    {"名証1部", "31"},
    {"名証2部", "32"},
    {"札証", "43&mk=47"},
    {"福証", "83&mk=87"},
    {"JASDAQ", "94"},
    {"マザーズ", "17"},
    {"ヘラクレス・スタンダード", "A1"},
    {"ヘラクレス・グロース", "A7"},
    {"セントレックス", "37"},
}};

std::span<const std::string_view> rankingKinds(int category) {
    switch (category) {
        case 0:
            return kMarketKinds;
        case 1:
            return kMarginKinds;
        case 2:
            return kTechnicalKinds;
        default:
            return {};
    }
}

bool validRankingChoices(const RankingChoices& choices) {
    auto within = [](int index, std::size_t size) {
        return index >= 0 && static_cast<std::size_t>(index) < size;
    };
    return within(choices.category, kRankingCategories.size()) &&
           within(choices.kind, rankingKinds(choices.category).size()) &&
           within(choices.market, kRankingMarkets.size()) &&
           within(choices.period, kRankingPeriods.size()) && choices.output >= 0;
}

std::string rankingQuery(const RankingChoices& choices) {
    int kd = kKindBase[choices.category] + choices.kind;
    // Margin rankings exist weekly only.
    std::string_view tm = choices.category == 1 ? "week" : kPeriodQuery[choices.period];
    return "b=1&kd=" + std::to_string(kd) +
           "&mk=" + std::string(kRankingMarkets[choices.market].query) +
           "&ca=1&tm=" + std::string(tm) + "&";
}

std::string rankingAddress(std::string_view host, const RankingChoices& choices) {
    return std::string(host) + "/ranking/search?" + rankingQuery(choices);
}

std::vector<std::string> parseRankingPage(std::string_view pageText) {
    static const std::string kStart = page::sjis("関連情報");
    std::vector<std::string> codes;
    page::Lines lines(pageText);
    std::optional<std::string_view> line;
    while ((line = lines.next()) && !page::contains(*line, kStart)) {
    }
    if (!line) return codes;
    while (codes.size() < kMaxRankingEntries && (line = lines.next())) {
        if (!page::contains(*line, "<tr>")) continue;
        if (!lines.skip(1)) break;
        auto row = lines.next();
        if (!row) break;
        std::size_t anchorEnd = row->find("</a>");
        if (anchorEnd == std::string_view::npos || anchorEnd == 0) break;  // no code: the end
        // A listing without a four-character code of ours is passed over.
        if (anchorEnd < 4) continue;
        std::string_view code = row->substr(anchorEnd - 4, 4);
        const bool digits = std::all_of(code.begin(), code.end(), isDigit);
        auto parsed = digits ? std::nullopt : parseCode(code);
        if (!digits && !parsed) continue;
        codes.push_back(digits ? std::string(code) : codeText(*parsed));
    }
    return codes;
}

std::optional<std::vector<std::string>> fetchRanking(Http& http, Prompter& prompter,
                                                     const Endpoints& endpoints,
                                                     const StockMaster& master,
                                                     const RankingChoices& choices) {
    if (!validRankingChoices(choices)) return std::nullopt;
    HttpResponse response = http.get(
        rankingAddress(endpoints.address(Endpoints::kRanking), choices), kRankingPageBytes);
    if (response.status == HttpStatus::CannotConnect) {
        prompter.message("インターネットに接続できません。", MessageIcon::Stop);
        return std::nullopt;
    }
    // A page cut at the buffer keeps its first bytes; any other failure,
    // an error page included, gives nothing.
    if (response.status != HttpStatus::Ok && response.status != HttpStatus::TooLarge) {
        prompter.message("ネット上のファイルが見つかりません。", MessageIcon::Stop);
        return std::nullopt;
    }
    std::vector<std::string> lines;
    for (const std::string& code : parseRankingPage(text::sjisFromEucJp(response.body))) {
        SecurityInfo info;
        master.lookupSecurity(lineCode(code), info);
        lines.push_back(code + " " + info.name);
    }
    return lines;
}

}  // namespace tav
