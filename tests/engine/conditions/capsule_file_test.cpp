#include "conditions/capsule_file.h"

#include <gtest/gtest.h>

#include <string>

#include "core/text.h"
#include "support/temp_folder.h"

namespace tav {
namespace {

TEST(CapsuleFile, EmptyCapsuleWritesEmptyDataLineAndLosesItsLogic) {
    ConditionCapsule capsule;
    capsule.logic = kLogicAnd;
    EXPECT_EQ(formatCapsuleFile(capsule), "[RESERVE]\n0 0 0 0 0 0 0 0 0 0\n[CAPSEL]\n\n");
    const ConditionCapsule read = parseCapsuleFile(formatCapsuleFile(capsule));
    EXPECT_EQ(read.rowCount, 0);
    EXPECT_EQ(read.logic, kLogicOr);
}

TEST(CapsuleFile, RoundTripKeepsEveryFieldButTicks) {
    ConditionCapsule capsule;
    capsule.logic = kLogicAnd;
    capsule.rowCount = 2;
    capsule.rows[0] = Condition{0, 1, 2, 3, 23, 5, -3, -12, 3, 0};
    capsule.rows[1] = Condition{4, 2, 0, 34, 7, 0, 0, 0, -1, 0};
    const std::string bytes = formatCapsuleFile(capsule);
    EXPECT_EQ(bytes,
              "[RESERVE]\n0 0 0 0 0 0 0 0 0 0\n[CAPSEL]\n"
              "1 0 0 0 0 0 0 0 0 0,0 1 2 3 23 5 -3 -12 0 0,4 2 0 34 7 0 0 0 0 0\n");

    test::TempFolder temp;
    const std::string path = (temp / "Capsel1.pat").string();
    ASSERT_TRUE(writeCapsuleFile(path, capsule));
    const ConditionCapsule read = readCapsuleFile(path);
    ConditionCapsule expected = capsule;
    expected.rows[0].ticks = 0;
    expected.rows[1].ticks = 0;
    EXPECT_EQ(read, expected);
}

TEST(CapsuleFile, ReaderToleratesDamage) {
    // No reserve section, CRLF, blank and junk lines, an unknown section.
    ConditionCapsule read = parseCapsuleFile(
        "junk before\r\n[CAPSEL]\r\n\r\n1 9 9,3 0 1 x 7,4 0 0 2 1\r\n[OTHER]\r\n1 0,3 3 3\n");
    EXPECT_EQ(read.logic, 1);
    ASSERT_EQ(read.rowCount, 2);
    EXPECT_EQ(read.rows[0], (Condition{3, 0, 1, 0, 7, 0, 0, 0, 0, 0}));
    EXPECT_EQ(read.rows[1], (Condition{4, 0, 0, 2, 1, 0, 0, 0, 0, 0}));

    // Numbers are cut to 16 bits; more than ten numbers are ignored; empty groups are no rows.
    read = parseCapsuleFile("[CAPSEL]\n0,70000 -32769 1 2 3 4 5 6 7 8 9 10,, \n");
    ASSERT_EQ(read.rowCount, 1);
    EXPECT_EQ(read.rows[0].category, static_cast<int16_t>(70000));
    EXPECT_EQ(read.rows[0].role, 32767);
    EXPECT_EQ(read.rows[0].spare, 8);

    // Missing file, missing data section.
    EXPECT_EQ(readCapsuleFile("/nonexistent/Capsel1.pat"), ConditionCapsule{});
    EXPECT_EQ(parseCapsuleFile("[RESERVE]\n1 0,3 0\n").rowCount, 0);
}

TEST(CapsuleFile, LongLinesAreReadWholeAndRowsStopAtTwenty) {
    // Thirty groups padded with blanks: well past a 1023-byte buffer.
    std::string line = "1";
    for (int i = 0; i < 30; ++i)
        line += ",3 0 0 " + std::to_string(i) + std::string(60, ' ') + " 4";
    ASSERT_GT(line.size(), 1023u);
    const ConditionCapsule read = parseCapsuleFile("[CAPSEL]\n" + line + "\n");
    EXPECT_EQ(read.logic, 1);
    ASSERT_EQ(read.rowCount, kMaxCapsuleRows);
    for (int i = 0; i < kMaxCapsuleRows; ++i) {
        EXPECT_EQ(read.rows[static_cast<std::size_t>(i)].item, i);
        EXPECT_EQ(read.rows[static_cast<std::size_t>(i)].p1, 4);
    }
}

TEST(CapsuleFile, TitlesAreLinesCutNotSplit) {
    const std::string longTitle(300, 'a');
    const auto titles =
        parseCapsuleTitles(text::sjisFromUtf8("押し目\r\n\n" + longTitle + "\n最後"));
    ASSERT_EQ(titles.size(), 4u);
    EXPECT_EQ(titles[0], "押し目");
    EXPECT_EQ(titles[1], "");
    EXPECT_EQ(titles[2], std::string(kMaxCapsuleTitleBytes, 'a'));
    EXPECT_EQ(titles[3], "最後");
    // A cut never splits a double-byte character.
    std::string wide = "a";
    for (int i = 0; i < 130; ++i)
        wide += "あ";
    const auto cut = parseCapsuleTitles(text::sjisFromUtf8(wide));
    ASSERT_EQ(cut.size(), 1u);
    EXPECT_EQ(text::sjisFromUtf8(cut[0]).size(), 259u);

    EXPECT_EQ(capsuleFileName(0), "Capsel1.pat");
    test::TempFolder temp;
    EXPECT_TRUE(readCapsuleTitles(temp.str()).empty());
    ASSERT_TRUE(writeCapsuleTitles(temp.str(), {"一", "", "三"}));
    EXPECT_EQ(test::readFile(temp / "Capsel.inf"), text::sjisFromUtf8("一\n\n三\n"));
    EXPECT_EQ(readCapsuleTitles(temp.str()).size(), 3u);
}

}  // namespace
}  // namespace tav
