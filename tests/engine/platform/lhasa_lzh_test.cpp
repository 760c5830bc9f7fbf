#include "platform/linux/lhasa_lzh.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_folder.h"

namespace tav {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// Archives are written by hand here, so that hostile and damaged ones can be
// made exactly.

std::uint16_t crc16(const std::string& data) {
    std::uint16_t crc = 0;
    for (unsigned char c : data) {
        crc ^= c;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return crc;
}

void put16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// A level-0 entry: the stored name is one field, any separators included.
std::string level0(const std::string& name, const std::string& data, int crcFlip = 0,
                   const std::string& method = "-lh0-") {
    std::string h = method;
    put32(h, static_cast<std::uint32_t>(data.size()));
    put32(h, static_cast<std::uint32_t>(data.size()));
    put32(h, 0x5A218000);  // 2025-01-01 16:00
    h += '\x20';           // attribute
    h += '\0';             // level
    h += static_cast<char>(name.size());
    h += name;
    put16(h, crc16(data) ^ crcFlip);
    unsigned sum = 0;
    for (unsigned char c : h)
        sum += c;
    return std::string(1, static_cast<char>(h.size())) + static_cast<char>(sum & 0xFF) + h + data;
}

// A level-2 entry with the given extended headers (type, data).
std::string level2(const std::vector<std::pair<int, std::string>>& extensions,
                   const std::string& data, const std::string& method = "-lh0-") {
    std::string h = "..";  // total size, filled in below
    h += method;
    put32(h, static_cast<std::uint32_t>(data.size()));
    put32(h, static_cast<std::uint32_t>(data.size()));
    put32(h, 1735689600);
    h += '\x20';
    h += '\x02';
    put16(h, crc16(data));
    h += 'U';
    for (const auto& [type, payload] : extensions) {
        put16(h, static_cast<unsigned>(3 + payload.size()));
        h += static_cast<char>(type);
        h += payload;
    }
    put16(h, 0);
    h[0] = static_cast<char>(h.size() & 0xFF);
    h[1] = static_cast<char>(h.size() >> 8);
    return h + data;
}

std::string level2(const std::string& name, const std::string& data) {
    return level2({{0x01, name}}, data);
}

std::set<std::string> names(const fs::path& folder) {
    std::set<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        found.insert(entry.path().filename().string());
    }
    return found;
}

// Every name in folder, with a failure for anything that is not a regular file.
std::set<std::string> listing(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(entry.path()))) << entry.path();
    }
    return names(folder);
}

// An archive in a folder of its own and an empty folder to extract into.
class LhasaLzhTest : public ::testing::Test {
  protected:
    LzhResult extractBytes(const std::string& bytes, LhasaLzh lzh = LhasaLzh()) {
        test::writeFile(archive(), bytes);
        return lzh.extract(archive().string(), out().string());
    }
    fs::path archive() const { return input_ / "archive.lzh"; }
    fs::path out() const { return output_ / "out"; }
    void resetOut() {
        fs::remove_all(out());
        fs::create_directory(out());
    }

    void SetUp() override { resetOut(); }

    test::TempFolder input_;
    test::TempFolder output_;
};

TEST_F(LhasaLzhTest, HostileNamesLandInsideTheFolder) {
    // A symlink in the way must be replaced, not written through.
    fs::create_symlink(output_ / "outside.txt", out() / "x2");
    std::string bytes =
        level0("../x1", "one") + level0("/etc/x2", "two") + level0("a/../../x3", "three") +
        level0("..\\..\\x4", "four") + level2("../x5", "five") +
        level2({{0x02, "..\xff..\xff"}, {0x01, "x6"}}, "six") + level0("..", "dot dot") +
        level0(".", "dot") + level0("dir/", "dir") + level2({{0x02, "sub\xff"}}, "", "-lhd-") +
        level2({{0x50, std::string("\xff\xa1", 2)}, {0x01, "link|/etc/passwd"}}, "", "-lhd-") +
        level0("b/x1", "one again") + std::string(1, '\0');

    LzhResult result = extractBytes(bytes);

    EXPECT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.files, (Names{"x1", "x2", "x3", "x4", "x5", "x6"}));
    EXPECT_EQ(listing(out()), (std::set<std::string>{"x1", "x2", "x3", "x4", "x5", "x6"}));
    EXPECT_EQ(test::readFile(out() / "x1"), "one again");
    EXPECT_EQ(test::readFile(out() / "x2"), "two");
    EXPECT_EQ(test::readFile(out() / "x6"), "six");
    EXPECT_EQ(names(output_.path()), std::set<std::string>{"out"});
    EXPECT_EQ(names(input_.path()), std::set<std::string>{"archive.lzh"});
}

TEST_F(LhasaLzhTest, NamesKeepTheirStoredShiftJisBytes) {
    const std::string table = "\x95\x5c.txt";                 // second byte is a backslash
    const std::string katakana = "\x83\x41\x83\x5c.csv";      // second bytes 'A' and backslash
    const std::string inFolder = "\x83\x5c\x83\x74\x83\x67";  // after a DOS folder name
    std::string bytes = level0(table, "1") + level0("DATA.TXT", "2") + level2(katakana, "3") +
                        level0("dir\\" + inFolder, "4") + std::string(1, '\0');

    LzhResult result = extractBytes(bytes);

    EXPECT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.files, (Names{table, "DATA.TXT", katakana, inFolder}));
    EXPECT_EQ(test::readFile(out() / table), "1");
    EXPECT_EQ(test::readFile(out() / inFolder), "4");
    EXPECT_EQ(listing(out()).size(), 4u);
}

TEST_F(LhasaLzhTest, DamagedEntryLeavesNothingUnderItsName) {
    LzhResult result = extractBytes(level0("good.txt", "fine") + level0("bad.txt", "broken", 1) +
                                    level0("later.txt", "never reached") + std::string(1, '\0'));
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(result.files, Names{"good.txt"});
    EXPECT_EQ(listing(out()), std::set<std::string>{"good.txt"});
}

TEST_F(LhasaLzhTest, CutAnywhereButAfterAnEntryFails) {
    std::string first = level0("one.txt", "first file");
    std::string second = level2("two.txt", "second file");
    std::string whole = first + second + std::string(1, '\0');
    for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
        SCOPED_TRACE(cut);
        resetOut();
        LzhResult result = extractBytes(whole.substr(0, cut));
        bool boundary = cut == first.size() || cut >= first.size() + second.size();
        EXPECT_EQ(result.ok, boundary) << result.error;
        EXPECT_EQ(result.ok, result.error.empty());
        std::set<std::string> listed(result.files.begin(), result.files.end());
        EXPECT_EQ(listing(out()), listed);
    }

    // A zero byte ends the archive unless it starts a header.
    EXPECT_TRUE(extractBytes(first + std::string("\0\x1a\x1a\x1a", 4)).ok);

    std::string longName = level2(std::string(227, 'n'), "data");
    ASSERT_EQ(longName[0], '\0');  // its size is 256
    for (std::size_t cut : {std::size_t{8}, std::size_t{30}, longName.size() - 1}) {
        SCOPED_TRACE(cut);
        EXPECT_FALSE(extractBytes(first + longName.substr(0, cut)).ok);
    }
    LzhResult complete = extractBytes(first + longName);
    EXPECT_TRUE(complete.ok) << complete.error;
    EXPECT_EQ(complete.files, (Names{"one.txt", std::string(227, 'n')}));
}

TEST_F(LhasaLzhTest, InputThatIsNoArchiveFails) {
    std::mt19937 random(7);
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk += static_cast<char>(random() & 0xFF);
    for (const std::string& bytes :
         {std::string(), std::string(1, '\0'), std::string("Date,Open,High,Low,Close\n"), junk}) {
        LzhResult result = extractBytes(bytes);
        EXPECT_FALSE(result.ok);
        EXPECT_FALSE(result.error.empty());
        EXPECT_TRUE(result.files.empty());
    }
    EXPECT_FALSE(LhasaLzh().extract((input_ / "missing.lzh").string(), out().string()).ok);
    EXPECT_FALSE(LhasaLzh().extract(input_.str(), out().string()).ok);
    EXPECT_TRUE(listing(out()).empty());
}

TEST_F(LhasaLzhTest, RefusesOversizedAndUnknownEntries) {
    std::string sixteen(16, 'x');
    EXPECT_TRUE(extractBytes(level0("fits.txt", sixteen), LhasaLzh(16)).ok);
    LzhResult tooBig =
        extractBytes(level0("fits.txt", sixteen) + level0("big.txt", sixteen + "y"), LhasaLzh(16));
    EXPECT_FALSE(tooBig.ok);
    EXPECT_EQ(tooBig.files, Names{"fits.txt"});

    resetOut();
    LzhResult unknown = extractBytes(level0("odd.txt", "data", 0, "-lh9-"));
    EXPECT_FALSE(unknown.ok);
    EXPECT_TRUE(listing(out()).empty());

    test::writeFile(archive(), level0("fine.txt", "fine"));
    EXPECT_FALSE(LhasaLzh().extract(archive().string(), (out() / "no-such-folder").string()).ok);
}

TEST_F(LhasaLzhTest, OneEntryByNameUnderATotalCap) {
    const std::string csv = "2026/02/10,7203,x,1,2,3,4,5\n";  // 28 bytes
    const std::string others =
        level0("readme.txt", "hello") + level0("bomb.dat", std::string(500, '0'));
    struct Case {
        std::string archive;
        std::string entry;
        std::uint64_t maxBytes;
        bool ok;
        bool tooLarge;
        Names files;
    } cases[] = {
        // Any case and any folder in the archive; written under the name asked for.
        {others + level0("dir/20260210.CSV", csv),
         "20260210.csv",
         100,
         true,
         false,
         {"20260210.csv"}},
        {level0("Stock.lst", csv) + others, "STOCK.LST", 28, true, false, {"STOCK.LST"}},
        {others, "20260210.csv", 100, true, false, {}},
        {level0("20260210.csv", csv), "20260210.csv", 27, false, true, {}},
        // The cap counts every copy of the name.
        {level0("a.csv", csv) + level0("A.CSV", csv), "a.csv", 50, false, true, {"a.csv"}},
        {level0("a.csv", csv, 1), "a.csv", 100, false, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry + " " + std::to_string(c.maxBytes));
        resetOut();
        test::writeFile(archive(), c.archive);
        LzhResult result =
            LhasaLzh().extractEntry(archive().string(), out().string(), c.entry, c.maxBytes);
        EXPECT_EQ(result.ok, c.ok) << result.error;
        EXPECT_EQ(result.tooLarge, c.tooLarge);
        EXPECT_EQ(result.files, c.files);
        EXPECT_EQ(listing(out()), std::set<std::string>(c.files.begin(), c.files.end()));
        for (const std::string& name : c.files)
            EXPECT_EQ(test::readFile(out() / name), csv);
    }
}

// Archives from the lha command, compressed with its usual methods.
class LhaCommandTest : public LhasaLzhTest {
  protected:
    void SetUp() override {
        LhasaLzhTest::SetUp();
        if (std::system("command -v lha >/dev/null 2>&1") != 0) GTEST_SKIP() << "lha not installed";
        std::string csv;
        for (int day = 1; day <= 400; ++day) {
            csv += "2024/01/" + std::to_string(day) + ",1301,1520,1535,1510,1530,120000\r\n";
        }
        std::mt19937 random(11);
        std::string noise;
        for (int i = 0; i < 3000; ++i)
            noise += static_cast<char>(random() & 0xFF);
        files_ = {{"prices.csv", csv}, {"note.txt", "hello\n"}, {"noise.bin", noise}};
        for (const auto& [name, data] : files_)
            test::writeFile(sources_ / name, data);
    }

    // Runs lha with the given command letters on the source files.
    std::string makeArchive(const std::string& command, const Names& names) {
        std::string line =
            "cd '" + sources_.str() + "' && lha " + command + " '" + archive().string() + "'";
        for (const auto& name : names)
            line += " " + name;
        fs::remove(archive());
        EXPECT_EQ(std::system((line + " >/dev/null 2>&1").c_str()), 0) << line;
        return test::readFile(archive());
    }

    std::vector<std::pair<std::string, std::string>> files_;
    test::TempFolder sources_;
};

TEST_F(LhaCommandTest, ExtractsEveryHeaderLevelByteExact) {
    for (const std::string command : {"a0", "a1", "a2"}) {
        SCOPED_TRACE(command);
        resetOut();
        std::string bytes = makeArchive(command, {"prices.csv", "note.txt", "noise.bin"});
        ASSERT_NE(bytes.find("-lh5-"), std::string::npos);
        LzhResult result = LhasaLzh().extract(archive().string(), out().string());
        EXPECT_TRUE(result.ok) << result.error;
        EXPECT_EQ(result.files, (Names{"prices.csv", "note.txt", "noise.bin"}));
        for (const auto& [name, data] : files_)
            EXPECT_EQ(test::readFile(out() / name), data);
        EXPECT_EQ(listing(out()).size(), 3u);
    }
}

TEST_F(LhaCommandTest, DamagedOrCutCompressedDataFails) {
    std::string bytes = makeArchive("a", {"prices.csv"});
    ASSERT_NE(bytes.find("-lh5-"), std::string::npos);
    std::string damaged = bytes;
    damaged[damaged.size() / 2] ^= 0x10;
    for (const std::string& broken :
         {damaged, bytes.substr(0, bytes.size() / 2), bytes.substr(0, bytes.size() - 2)}) {
        LzhResult result = extractBytes(broken);
        EXPECT_FALSE(result.ok);
        EXPECT_TRUE(listing(out()).empty());
    }
}

}  // namespace
}  // namespace tav
