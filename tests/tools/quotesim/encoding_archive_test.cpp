#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/text.h"
#include "euc_jp.h"
#include "lzh_writer.h"
#include "platform/linux/lhasa_lzh.h"
#include "support/temp_folder.h"

namespace tav::quotesim {
namespace {

TEST(EucJpOutput, EveryJisCharacterAndKanaComesBackThroughTheReadersConversion) {
    int pairs = 0;
    for (int lead = 0x81; lead <= 0xEF; ++lead) {
        if (lead >= 0xA0 && lead <= 0xDF) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            std::string sjis{static_cast<char>(lead), static_cast<char>(trail)};
            std::string euc = eucJpFromSjis(sjis);
            ASSERT_EQ(euc.size(), 2u);
            ASSERT_GE(static_cast<unsigned char>(euc[0]), 0xA1);
            ASSERT_GE(static_cast<unsigned char>(euc[1]), 0xA1);
            ASSERT_EQ(text::sjisFromEucJp(euc), sjis) << std::hex << lead << " " << trail;
            ++pairs;
        }
    }
    EXPECT_EQ(pairs, 94 * 94);  // rows 1-94 fill lead bytes 0x81-0xEF exactly
    for (int kana = 0xA1; kana <= 0xDF; ++kana) {
        std::string sjis(1, static_cast<char>(kana));
        EXPECT_EQ(eucJpFromSjis(sjis), "\x8E" + sjis);
        EXPECT_EQ(text::sjisFromEucJp(eucJpFromSjis(sjis)), sjis);
    }
    EXPECT_EQ(eucJpFromUtf8("A日本あ"), "A\xC6\xFC\xCB\xDC\xA4\xA2");
}

TEST(EucJpOutput, BytesWithoutAnEucFormBecomeQuestionMarks) {
    EXPECT_EQ(eucJpFromSjis("\xF0\x40"), "?");  // user-defined row
    EXPECT_EQ(eucJpFromSjis("\xFA\x40"), "?");  // IBM extension
    EXPECT_EQ(eucJpFromSjis("a\x80\xA0\xFD"), "a???");
    EXPECT_EQ(eucJpFromSjis("a\x88"), "a?");     // lead byte at the end
    EXPECT_EQ(eucJpFromSjis("\x88\x20"), "? ");  // lead byte without a trail byte
}

TEST(LzhWriter, CrcIsTheArcCheckValue) {
    EXPECT_EQ(lzhCrc16("123456789"), 0xBB3D);
}

TEST(LzhWriter, Level0HeaderFieldsAndSum) {
    std::string archive = writeLzhArchive({{"a.csv", "hello"}});
    ASSERT_EQ(archive.size(), 2u + 22 + 5 + 5 + 1);
    EXPECT_EQ(static_cast<unsigned char>(archive[0]), 22u + 5);  // header bytes after the first two
    unsigned sum = 0;
    for (std::size_t i = 2; i < 2u + 22 + 5; ++i)
        sum += static_cast<unsigned char>(archive[i]);
    EXPECT_EQ(static_cast<unsigned char>(archive[1]), sum & 0xFF);
    EXPECT_EQ(archive.substr(2, 5), "-lh0-");
    EXPECT_EQ(archive[7], 5);   // packed size
    EXPECT_EQ(archive[11], 5);  // original size
    EXPECT_EQ(archive.substr(22, 5), "a.csv");
    uint16_t crc = lzhCrc16("hello");
    EXPECT_EQ(static_cast<unsigned char>(archive[27]), crc & 0xFF);
    EXPECT_EQ(archive.substr(29, 5), "hello");
    EXPECT_EQ(archive.back(), '\0');
}

class LzhExtraction : public ::testing::TestWithParam<LzhHeaderLevel> {};

TEST_P(LzhExtraction, ArchivesExtractWithLiblhasaAndLha) {
    std::string binary;
    for (int i = 0; i < 3 * 256; ++i)
        binary += static_cast<char>(i);
    // A 222-byte name makes a level-2 header of 256 bytes, which needs its pad byte.
    std::string longName = std::string(218, 'n') + ".txt";
    std::vector<LzhEntry> entries = {{"20050315.csv", "2005/03/15,1001,x,1.00,2,3,4,5\n"},
                                     {"empty.txt", ""},
                                     {"binary.dat", binary},
                                     {longName, "long"}};
    test::TempFolder folder;
    auto archive = folder / "test.lzh";
    test::writeFile(archive, writeLzhArchive(entries, GetParam()));
    auto out = folder / "out";
    std::filesystem::create_directory(out);
    LhasaLzh lzh;
    auto result = lzh.extract(archive.string(), out.string());
    ASSERT_TRUE(result.ok) << result.error;
    ASSERT_EQ(result.files.size(), entries.size());
    for (const LzhEntry& entry : entries)
        EXPECT_EQ(test::readFile(out / entry.name), entry.data) << entry.name;

    if (std::system("command -v lha >/dev/null 2>&1") == 0) {
        std::string command = "lha t '" + archive.string() + "' >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0);
    }

    // A changed data byte fails the CRC check.
    std::string damaged = writeLzhArchive(entries, GetParam());
    damaged[damaged.find("2005/03/15")] = '3';
    test::writeFile(archive, damaged);
    EXPECT_FALSE(lzh.extract(archive.string(), out.string()).ok);
}

INSTANTIATE_TEST_SUITE_P(Levels, LzhExtraction,
                         ::testing::Values(LzhHeaderLevel::Level0, LzhHeaderLevel::Level2));

// The bomb must really be one, or the tests of the readers' caps prove nothing:
// sizes around the 256-byte copies and the 65535-copy blocks, from a few bytes.
TEST(LzhBomb, UnpacksToExactlyItsSizeOfZeroBytes) {
    test::TempFolder folder;
    auto archive = folder / "bomb.lzh";
    auto out = folder / "out";
    std::filesystem::create_directory(out);
    for (uint32_t size : {1u, 2u, 3u, 259u, 65535u * 256 + 1, 65535u * 256 + 3, (1u << 24) + 7}) {
        SCOPED_TRACE(size);
        std::string bomb = writeLzhBomb({"a.bin", "b.bin"}, size);
        EXPECT_LT(bomb.size(), 200u);
        test::writeFile(archive, bomb);
        auto result = LhasaLzh().extract(archive.string(), out.string());
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(result.files, (std::vector<std::string>{"a.bin", "b.bin"}));
        std::string bytes = test::readFile(out / "b.bin");
        EXPECT_EQ(bytes.size(), size);
        EXPECT_EQ(bytes.find_first_not_of('\0'), std::string::npos);
    }
}

}  // namespace
}  // namespace tav::quotesim
