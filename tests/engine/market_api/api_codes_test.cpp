// Alphanumeric codes in daily archive lines and data API rows.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "core/text.h"
#include "market_api/api_rows.h"
#include "support/temp_folder.h"
#include "updates/day_csv.h"
#include "updates/day_import.h"

namespace tav {
namespace {

TEST(ApiCodes, ArchiveLinesApiRowsAndListedIssuesTakeAlphanumericCodes) {
    const StockCode alpha = *parseCode("130A");
    const std::pair<const char*, std::optional<StockCode>> apiCodes[] = {
        {"72030", 7203},         {"130A0", alpha},      {"12990", std::nullopt},
        {"ABCD0", std::nullopt}, {"130", std::nullopt}, {"7203", std::nullopt},
        {"25935", std::nullopt}};
    for (const auto& [text, code] : apiCodes)
        EXPECT_EQ(stockCodeOfApiCode(text), code) << text;
    auto archive = parseDayLine("2024/06/13,130A,新規,500,520,490,510,12000");
    ASSERT_TRUE(archive);
    EXPECT_EQ(archive->code, alpha);
    EXPECT_FALSE(parseDayLine("2024/06/13,ABCD,n,1,2,3,4,5"));

    const auto rows = nlohmann::json::parse(R"([{"Date": "2024-06-14", "Code": "130A0", "O": 501.5,
        "H": 530, "L": 500, "C": 525, "Vo": 8000, "CoName": "新規上場", "MktNm": "プライム"}])");
    ApiDay day = apiDay(rows, nlohmann::json::array(), "20240614", LocalDate{2024, 6, 14});
    ASSERT_EQ(day.csv.lines.size(), 1u);
    EXPECT_EQ(day.csv.lines[0].code, alpha);
    test::TempFolder temp;
    std::filesystem::create_directories(temp / "Data");
    ASSERT_TRUE(
        appendDayLines(ProgramFolder(temp.str()), std::vector{*archive, day.csv.lines[0]}).ok);
    EXPECT_EQ(test::readFile(temp / "Data/130A.txt"),
              "20240613,500,520,490,510,12000\n20240614,501,530,500,525,8000\n");
    auto master = apiMasterList(rows, "1010,N225,-,0,-\n130A,old,-,1,-\n");
    ASSERT_TRUE(master.list);
    EXPECT_EQ(text::utf8FromSjis(*master.list), "1010,N225,-,0,-\n130A,新規上場,プライム,100,-\n");
}

}  // namespace
}  // namespace tav
