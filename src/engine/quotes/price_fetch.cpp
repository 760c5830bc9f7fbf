#include "quotes/price_fetch.h"

#include <algorithm>
#include <string>

#include "quotes/history_parsers.h"

namespace tav {

PageRequest historyPageRequest(const QuoteContext& context, const HistoryRequest& request) {
    PageRequest page;
    page.site = quoteSiteFor(request.code, context.useInfoseek);
    page.host = context.endpoints.address(endpointName(page.site));
    page.span = request.span;
    page.period = request.period;
    const std::string& market = request.security.market;
    switch (page.site) {
        case QuoteSite::YahooJapan:
            page.symbol = yahooJapanSymbol(request.code, market);
            page.number = yahooJapanNumber(request.code);
            break;
        case QuoteSite::InfoseekStock:
            page.symbol = infoseekSymbol(request.code, market);
            break;
        case QuoteSite::InfoseekForex:
            page.number = forexNumber(request.code);
            break;
        case QuoteSite::YahooUs:
            page.symbol = request.security.symbol;
            break;
    }
    return page;
}

std::vector<DailyBar> fetchHistory(QuoteContext& context, const HistoryRequest& request,
                                   bool* walkComplete, BarRejections* rejected) {
    const PageRequest pageRequest = historyPageRequest(context, request);
    const LocalDate today = request.today.value_or(request.span.end);
    BarRejections refused;
    std::vector<DailyBar> collected;
    if (walkComplete) *walkComplete = false;
    for (int n = 0; n < kMaxHistoryPages; ++n) {
        if (request.showProgress) {
            int divisor = std::max(request.requestedBars, 1);
            context.prompter.progress(
                static_cast<int>(std::min<int64_t>(int64_t{n} * 5000 / divisor, 100)));
        }
        auto pageText = fetchPage(context, historyPageAddress(pageRequest, n));
        if (!pageText) break;
        PageParse parsed =
            parseHistoryPage(pageRequest.site, *pageText, request.code, request.period);
        if (parsed.errorText) context.failure = *parsed.errorText;
        for (int row = 0; row < parsed.unreadRows; ++row)
            refused.add(BarFault::BadDate);
        // An impossible bar neither enters the batch nor steers the walk.
        bool pageHadBars = !parsed.bars.empty();
        std::erase_if(parsed.bars, [&](const DailyBar& bar) {
            BarFault fault = checkBar(bar, today);
            refused.add(fault);
            return fault != BarFault::None;
        });
        if (pageHadBars && parsed.bars.empty() && parsed.furtherPage) continue;
        if (parsed.bars.empty()) {
            // A later page where the site says it has no data ends the span
            // as surely as a last page does.
            if (walkComplete && n > 0 && parsed.errorText) *walkComplete = true;
            break;
        }

        // A page that repeats bars already collected adds only its older
        // ones; one with nothing older ends the walk.
        std::size_t before = collected.size();
        std::string oldest =
            collected.empty() ? std::string() : std::string(collected.back().dateText());
        for (const DailyBar& bar : parsed.bars) {
            if (before == 0 || bar.dateText() < std::string_view(oldest)) collected.push_back(bar);
        }
        if (collected.size() == before || !parsed.furtherPage) {
            if (walkComplete) *walkComplete = true;
            break;
        }
    }
    if (rejected) rejected->add(refused);
    return collected;
}

}  // namespace tav
