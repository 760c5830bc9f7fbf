// The data-file reader against its plain formulation: every text must give
// the same bars, byte for byte, whichever way the reader takes its lines.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

#include "core/file_io.h"
#include "data/price_store.h"
#include "support/reference/reference_series.h"
#include "support/temp_folder.h"

namespace tav {
namespace {

// Empty when both readers agree, else where they part.
std::string compareReaders(std::string_view text) {
    const std::vector<DailyBar> bars = parseSeries(text);
    const std::vector<DailyBar> plain = parseSeriesPlain(text);
    if (bars.size() != plain.size())
        return std::to_string(bars.size()) + " bars, plain " + std::to_string(plain.size());
    for (std::size_t i = 0; i < bars.size(); ++i) {
        if (std::memcmp(&bars[i], &plain[i], sizeof(DailyBar)) != 0)
            return "bar " + std::to_string(i) + " (" + std::string(plain[i].dateText()) + ") differs";
    }
    return {};
}

TEST(SeriesReader, HostileLinesReadAsThePlainReaderReadsThem) {
    using namespace std::string_literals;
    const std::string longVolume = "20240104,5,5,5,5," + std::string(600, '9');
    const struct {
        const char* what;
        std::string text;
        std::size_t bars;  // guards against both readers refusing everything
    } cases[] = {
        {"plain lines, CRLF and no final line end",
         "20240101,1,2,3,4,5\n20240102,6,7,8,9,10\r\n20240103,1,1,1,1,1", 3},
        {"nine- and ten-digit prices", "20240101,999999999,1,1,1,1\n20240102,1000000000,1,1,1,1\n", 2},
        {"prices past 32 bits saturate",
         "20240101,2147483648,99999999999999999999,1,1,1\n20240102,4294967297,1,1,1,1\n", 2},
        {"eighteen and nineteen digits of volume",
         "20240101,1,1,1,1,999999999999999999\n20240102,1,1,1,1,9223372036854775807\n"
         "20240103,1,1,1,1,9223372036854775808\n20240104,1,1,1,1,99999999999999999999999\n", 4},
        {"signs and blanks", "20240101,-5,+7, 8,\t9,-12\n20240102,-0,-0,-0,-0,5\n", 1},
        {"all four prices zero", "20240101,0,0,0,0,500\n20240102,00,000,0,0,1\n", 0},
        {"leading zeros", "20240101,0000000001,000,0,0,0000000000000000000007\n", 1},
        {"empty fields end the scan", "20240101,100,,90,105,1000\n20240102,,1,1,1,1\n,1,1,1,1,1\n", 1},
        {"missing fields", "20240101,1\n20240102,1,2,3\n20240103,1,2,3,4\n20240104,1,2,3,4,\n", 4},
        {"blank lines and lone CRs", "\n\r\n\n20240101,1,1,1,1,1\n\r\r\n", 1},
        {"CRs inside and after the fields", "20240101,1\r,2,3,4,5\n20240102,1,2,3,4,5\r\r\n", 2},
        {"date of eleven and twelve characters", "20240101000,1,1,1,1,1\n202401010000,1,1,1,1,1\n", 1},
        {"date with letters or blanks", "2024-01-01,1,1,1,1,1\n 20240101,1,1,1,1,1\nabc,1,1,1,1,1\n", 3},
        {"trailing text after the volume", "20240101,1,1,1,1,5abc\n20240102,1,1,1,1,5,6,7\n", 2},
        {"lead byte swallows the comma", "2024\x82,1,2,3,4,5\n20240101,1\x82,2,3,4,5\n", 2},
        {"lead byte at the line end", "20240101,1,2,3,4,5\x82\n20240102,1,2,3,4\xe0\n", 2},
        {"double-byte text in the date", "\x93\xfa\x95\x74,1,1,1,1,1\n", 1},
        {"NUL inside and before the prices", "20240101,1,2\0,3,4,5\n2024\0,1,1,1,1,1\n"s, 1},
        {"overlong line and the one after", longVolume + "\n20240105,7,7,7,7,7\n", 1},
        {"line of exactly 511 characters",
         "20240101,1,1,1,1," + std::string(511 - 17, '7') + "\n", 1},
        {"line of 512 characters", "20240101,1,1,1,1," + std::string(512 - 17, '7') + "\n", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(compareReaders(c.text), "") << c.what;
        EXPECT_EQ(parseSeries(c.text).size(), c.bars) << c.what;
    }
}

// Lines drawn from the pieces that steer the reader one way or the other.
std::string randomText(std::mt19937& random) {
    static const char* const kPieces[] = {",",    ",",    ",",    "\n",       "\r",   "\r\n", "-",
                                          "+",    " ",    "\t",   "/",         ":",    "\x7f", "\xb9",
                                          "\xba", "\x82", "\xe0", "\x82\xa0", "\xfc", "\x80", "a",
                                          "\0"};
    auto digits = [&](int most) {
        std::string run(random() % static_cast<unsigned>(most + 1), '0');
        for (char& c : run) c = static_cast<char>('0' + random() % 10);
        return run;
    };
    std::string text;
    const int lines = static_cast<int>(random() % 40);
    for (int line = 0; line < lines; ++line) {
        if (random() % 4 != 0) {
            // Mostly well formed, so the hostile piece lands inside a real line.
            text += "2024" + digits(6);
            for (int field = 0; field < 5; ++field) text += "," + digits(field == 4 ? 21 : 11);
            if (random() % 3 == 0) {
                const std::size_t at = random() % (text.size() + 1);
                const char* piece = kPieces[random() % std::size(kPieces)];
                text.insert(at, piece, std::max<std::size_t>(std::strlen(piece), 1));
            }
        } else {
            const int pieces = static_cast<int>(random() % 12);
            for (int i = 0; i < pieces; ++i) {
                if (random() % 2) {
                    text += digits(25);
                } else {
                    const char* piece = kPieces[random() % std::size(kPieces)];
                    text.append(piece, std::max<std::size_t>(std::strlen(piece), 1));
                }
            }
        }
        if (random() % 8 != 0) text += random() % 3 ? "\n" : "\r\n";
    }
    return text;
}

TEST(SeriesReader, RandomTextsReadAsThePlainReaderReadsThem) {
    std::mt19937 random(1332);
    std::size_t bars = 0;
    for (int round = 0; round < 20000; ++round) {
        const std::string text = randomText(random);
        ASSERT_EQ(compareReaders(text), "") << "round " << round;
        bars += parseSeries(text).size();
    }
    EXPECT_GT(bars, 100000u);
}

TEST(SeriesReader, HoldsExactlyTheRoomOfItsLinesOrLittleMore) {
    // Clean files fill their reservation exactly: no regrowth, no slack.
    for (int lines : {1, 15, 16, 17, 4081, 70000}) {
        std::string text;
        for (int i = 0; i < lines; ++i) text += "20240101," + std::to_string(i + 1) + ",2,3,4,100\n";
        for (const std::string& variant : {text, text.substr(0, text.size() - 1)}) {
            const auto bars = parseSeries(variant);
            ASSERT_EQ(bars.size(), static_cast<std::size_t>(lines));
            EXPECT_EQ(bars.capacity(), bars.size()) << lines;
            EXPECT_EQ(bars.back().open, lines);
        }
    }
    // Blank lines never keep a large unused reservation alive.
    const auto few = parseSeries(std::string(100000, '\n') + "20240101,1,1,1,1,1\n");
    EXPECT_EQ(few.size(), 1u);
    EXPECT_LE(few.capacity(), 64u);
    // Lines too short to hold a bar may reserve less than they end up needing.
    std::string tiny;
    for (int i = 0; i < 5000; ++i) tiny += "1,1\n";
    EXPECT_EQ(parseSeries(tiny).size(), 5000u);
}

TEST(SeriesReader, RealFilesReadAsThePlainReaderReadsThem) {
    const std::filesystem::path folder = test::realDataFolder();
    if (folder.empty()) GTEST_SKIP() << "no real data beside the checkout";
    for (const auto& entry : std::filesystem::directory_iterator(folder / "Data")) {
        const auto bytes = fileio::readFile(entry.path().string());
        ASSERT_TRUE(bytes) << entry.path();
        ASSERT_EQ(compareReaders(*bytes), "") << entry.path();
    }
}

TEST(ReadFile, ReadsWholeFilesOfAnySizeAndRefusesFolders) {
    test::TempFolder temp;
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{4095}, std::size_t{4096},
                             std::size_t{65537}, std::size_t{1} << 20}) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
        const std::string path = (temp.path() / ("f" + std::to_string(size))).string();
        test::writeFile(path, bytes);
        EXPECT_EQ(fileio::readFile(path), bytes) << size;
    }
    EXPECT_FALSE(fileio::readFile(temp.str()));
    EXPECT_FALSE(fileio::readFile((temp.path() / "missing").string()));
    // A file that reports no size is read to its end all the same.
    const auto status = fileio::readFile("/proc/self/status");
    ASSERT_TRUE(status);
    EXPECT_NE(status->find("Name:"), std::string::npos);
}

}  // namespace
}  // namespace tav
