#include "watchlists/security_search.h"

#include <gtest/gtest.h>

#include "core/text.h"
#include "support/temp_folder.h"

namespace tav {
namespace {

TEST(SecuritySearch, NameSubstringInShiftJis) {
    const std::string list = text::sjisFromUtf8(
        "1010,日経平均,東証1部,1,-\n7203,トヨタ自動車,東証1部,100,-\n7267,本田技研工業,東証1部,100,"
        "-\r\n"
        "7270,ＳＵＢＡＲＵ,東証1部,100,-\n");
    EXPECT_EQ(searchMaster(list, "自動車"), (std::vector<SearchHit>{{7203, "7203 トヨタ自動車"}}));
    EXPECT_EQ(searchMaster(list, "工業").size(), 1u);
    EXPECT_TRUE(searchMaster(list, "").empty());
    EXPECT_TRUE(searchMaster(list, "東証").empty());  // the market is not searched
    // Matches start on a character: "c" is the second byte of "田" (0x93 0x63).
    EXPECT_TRUE(searchMaster(list, "c").empty());

    // From the file; one that cannot be read finds nothing.
    test::TempFolder temp;
    test::writeFile(temp / "Stock.lst", list);
    EXPECT_EQ(searchMasterFile((temp / "Stock.lst").string(), "自動車"),
              searchMaster(list, "自動車"));
    EXPECT_TRUE(searchMasterFile((temp / "none.lst").string(), "自動車").empty());
}

}  // namespace
}  // namespace tav
