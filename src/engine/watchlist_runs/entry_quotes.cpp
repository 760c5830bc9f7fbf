#include "watchlist_runs/entry_quotes.h"

#include "quotes/quote_page.h"

namespace tav {

namespace {

// A page too large for the buffer is one more failed entry here, not a
// message box from a worker thread.
class SilentPrompter : public Prompter {
  public:
    void message(const std::string&, MessageIcon) override {}
    using Prompter::askYesNo;
    using Prompter::askYesNoCancel;
    bool askYesNo(const std::string&, QuestionKind) override { return false; }
    Answer askYesNoCancel(const std::string&, QuestionKind) override { return Answer::Cancel; }
    std::optional<std::string> askText(const std::string&, const std::string&,
                                       const std::string&) override {
        return std::nullopt;
    }
    void progress(int) override {}
    void status(const std::string&) override {}
};

}  // namespace

std::optional<std::map<StockCode, IntradayQuote>> fetchEntryQuotes(
    const std::vector<RunEntry>& entries, Http& http, const QuoteSourceSetting& source,
    RunControl& control) {
    SilentPrompter silent;
    QuoteContext context{http, silent, source.endpoints, source.useInfoseek};
    std::map<StockCode, IntradayQuote> quotes;
    const int total = static_cast<int>(entries.size());
    for (int index = 0; index < total; ++index) {
        if (control.cancelled()) return std::nullopt;
        const RunEntry& entry = entries[static_cast<std::size_t>(index)];
        if (auto quote = fetchQuote(context, entry.code, entry.security, true);
            quote && quote->price > 0)
            quotes[entry.code] =
                IntradayQuote{quote->open, quote->high, quote->low, quote->price, quote->volume};
        if (control.progress) control.progress(index + 1, total);
    }
    if (control.cancelled()) return std::nullopt;
    return quotes;
}

}  // namespace tav
