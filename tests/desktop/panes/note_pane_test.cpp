#include "panes/note_pane.h"

#include <gtest/gtest.h>

#include "quotes/quote_page.h"

namespace tav::desktop {
namespace {

TEST(NotePane, CompanyFiguresInPageOrder) {
    QuoteRecord quote;
    quote.texts[0] = "1,234億円";
    quote.texts[12] = "2024年3月";
    const auto lines = companyLines(quote);
    ASSERT_EQ(lines.size(), kQuoteTextCount);
    EXPECT_EQ(lines[0], (std::pair<std::string, std::string>{"時価総額", "1,234億円"}));
    EXPECT_EQ(lines[12], (std::pair<std::string, std::string>{"決算年月", "2024年3月"}));
}

}  // namespace
}  // namespace tav::desktop
