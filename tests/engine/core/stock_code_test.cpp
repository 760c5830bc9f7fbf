#include "core/stock_code.h"

#include <gtest/gtest.h>

namespace tav::test {
namespace {

// All-letter words ("ABCD") are no codes: listed codes start with a digit, and
// a word in a list must not be read as a security.
TEST(StockCodeText, WholeTextCodesReadBackAsTheirText) {
    const std::pair<const char*, const char*> cases[] = {
        {"7203", "7203"}, {"10001", "10001"}, {"130A", "130A"}, {"130a", "130A"}, {"9ZZZ", "9ZZZ"},
        {"0", nullptr},   {"", nullptr},      {"13 0A", nullptr}, {"130AA", nullptr},
        {"ABCD", nullptr}, {"13A", nullptr},  {"+7203", nullptr}, {"1000000000", nullptr},
    };
    for (const auto& [text, shown] : cases) {
        auto code = parseCode(text);
        ASSERT_EQ(code.has_value(), shown != nullptr) << text;
        if (code) {
            EXPECT_EQ(codeText(*code), shown) << text;
        }
    }
    EXPECT_EQ(parseCode("7203"), 7203);
    EXPECT_LT(*parseCode("999999999"), *parseCode("0A00"));  // after every numeric code
    EXPECT_LT(*parseCode("130Z"), *parseCode("13A0"));        // in text order
    EXPECT_EQ(securityKind(*parseCode("130A")), SecurityKind::JapaneseStock);
}

// The first word of a stored line: numeric lines read exactly as before.
TEST(StockCodeText, LeadingCodeOfStoredFields) {
    const std::pair<const char*, StockCode> cases[] = {
        {"7203", 7203}, {"7203abc", 7203}, {" 7203", 7203},  {"name", 0},
        {"130AB", 130}, {"1000000001", 0}, {"130a", *parseCode("130A")}, {"130A.t", *parseCode("130A")},
    };
    for (const auto& [field, code] : cases) EXPECT_EQ(parseLeadingCode(field), code) << field;
}

}  // namespace
}  // namespace tav::test
