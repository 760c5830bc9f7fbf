#include "core/text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

namespace tav::text {
namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

std::string utf8Of(char32_t cp) {
    if (cp < 0x80) return bytes({static_cast<int>(cp)});
    if (cp < 0x800) return bytes({0xC0 | int(cp >> 6), 0x80 | int(cp & 0x3F)});
    if (cp < 0x10000)
        return bytes({0xE0 | int(cp >> 12), 0x80 | int(cp >> 6 & 0x3F), 0x80 | int(cp & 0x3F)});
    return bytes({0xF0 | int(cp >> 18), 0x80 | int(cp >> 12 & 0x3F), 0x80 | int(cp >> 6 & 0x3F),
                  0x80 | int(cp & 0x3F)});
}

TEST(SjisText, DecodesAndEncodesKnownText) {
    const std::string sjis = bytes({0x92, 0x8D, 0x96, 0xDA, 0x96, 0xC1, 0x95, 0xBF, 0x82, 0x50});
    EXPECT_EQ(utf8FromSjis(sjis), "注目銘柄１");
    EXPECT_EQ(sjisFromUtf8("注目銘柄１"), sjis);
    EXPECT_EQ(sjisLength("注目銘柄１"), 10u);
    // 0x5C and 0x7E stay ASCII: paths and numbers in files depend on it.
    EXPECT_EQ(utf8FromSjis("C:\\a~b"), "C:\\a~b");
    EXPECT_EQ(utf8FromSjis(bytes({0xB1, 0xDF})), "ｱﾟ");
    EXPECT_EQ(sjisFromUtf8("ｱﾟ"), bytes({0xB1, 0xDF}));
    // The user-defined area is private use.
    EXPECT_EQ(utf8FromSjis(bytes({0xF0, 0x40, 0xF9, 0xFC})), "\uE000\uE757");
    EXPECT_EQ(sjisFromUtf8Strict("\uE000\uE757"), bytes({0xF0, 0x40, 0xF9, 0xFC}));
}

TEST(SjisText, EscapesBytesThatAreNoCharacter) {
    EXPECT_EQ(utf8FromSjis(bytes({0x80, 0xA0, 0xFD, 0xFE, 0xFF})),
              "\U0010FF80\U0010FFA0\U0010FFFD\U0010FFFE\U0010FFFF");
    EXPECT_EQ(utf8FromSjis(bytes({'A', 0x82})), "A\U0010FF82");      // lead byte at the end
    EXPECT_EQ(utf8FromSjis(bytes({0x85, 0x40})), "\U0010FF85@");     // unassigned pair
    EXPECT_EQ(utf8FromSjis(bytes({0x81, 0x7F})), "\U0010FF81\x7F");  // 0x7F is no trail byte
    EXPECT_EQ(utf8FromSjis(bytes({0x81, 0x81, 'A'})), "＝A");        // trail byte in lead range
}

TEST(SjisText, DuplicateCodesKeepTheirBytes) {
    // Windows writes the IBM extension code: company names with 髙 must read back.
    EXPECT_EQ(utf8FromSjis(bytes({0xFB, 0xFC})), "髙");
    EXPECT_EQ(sjisFromUtf8("髙"), bytes({0xFB, 0xFC}));
    EXPECT_EQ(sjisFromUtf8("纊"), bytes({0xFA, 0x5C}));
    EXPECT_EQ(sjisFromUtf8("Ⅰ∵￢"), bytes({0x87, 0x54, 0x81, 0xE6, 0x81, 0xCA}));
    const std::string copies = bytes({0xEE, 0xE0, 0xFA, 0x4A, 0x87, 0x9A, 0xFA, 0x5B, 0xEE, 0xF9});
    EXPECT_EQ(utf8FromSjis(copies), "\U0010EEE0\U0010FA4A\U0010879A\U0010FA5B\U0010EEF9");
    EXPECT_EQ(sjisFromUtf8Strict(utf8FromSjis(copies)), copies);
}

TEST(SjisText, EveryDoubleByteCodeRoundTrips) {
    int characters = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!isSjisLeadByte(static_cast<unsigned char>(lead))) continue;
        for (int trail = 0; trail <= 0xFF; ++trail) {
            const std::string sjis = bytes({lead, trail});
            const std::string utf8 = utf8FromSjis(sjis);
            ASSERT_EQ(sjisFromUtf8(utf8), sjis) << std::hex << lead << ' ' << trail;
            // A real character: one BMP code point that encodes back to this code.
            if (utf8.size() <= 3) {
                ++characters;
                EXPECT_EQ(sjisFromUtf8Strict(utf8), sjis);
            }
        }
    }
    EXPECT_EQ(characters, 9604 - 398);  // cp932 characters less the duplicate codes
}

TEST(SjisText, EveryEncodableCodePointDecodesBack) {
    int encodable = 0;
    for (char32_t cp = 0x80; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp < 0xE000) continue;
        const std::string utf8 = utf8Of(cp);
        const auto sjis = sjisFromUtf8Strict(utf8);
        if (!sjis) continue;
        ++encodable;
        ASSERT_EQ(utf8FromSjis(*sjis), utf8) << std::hex << static_cast<std::uint32_t>(cp);
    }
    EXPECT_EQ(encodable, 9206 + 63);  // double-byte characters and half-width katakana
}

TEST(SjisText, StrictRefusesWhatSjisCannotHold) {
    for (const std::string bad : {"😀", "é", "\u0080", "\uF8F0", "\xC0\xAF", "\xED\xA0\x80",
                                  "\xE3\x81", "\x80", "\xFE", "\xF4\x90\x80\x80",
                                  // escapes the decoder never produces
                                  "\U0010FF41", "\U0010FFB1", "\U00108140", "\U00108540"}) {
        EXPECT_FALSE(sjisFromUtf8Strict("ok" + bad)) << bad;
    }
    EXPECT_EQ(sjisFromUtf8Strict("\U0010FF82"), bytes({0x82}));
    // Lenient encoding: one '?' per unencodable character or broken sequence.
    EXPECT_EQ(sjisFromUtf8("a😀b\xE3\x81z\xC0\xAF"), "a?b?z??");
    EXPECT_EQ(sjisLength("a😀b\xE3\x81z\xC0\xAF"), 7u);
}

TEST(SjisText, CutLengthNeverSplitsACharacter) {
    const std::string text = sjisFromUtf8("注目");
    EXPECT_EQ(sjisCutLength(text, 0), 0u);
    EXPECT_EQ(sjisCutLength(text, 3), 2u);
    EXPECT_EQ(sjisCutLength(text, 99), 4u);
    EXPECT_EQ(sjisCutLength(bytes({0x81, 0x81, 'A'}), 2), 2u);  // ＝ then A
    EXPECT_EQ(sjisCutLength(bytes({0xB1, 0x92, 0x8D}), 2), 1u);
    EXPECT_EQ(sjisCutLength(bytes({0x85, 0x40}), 1), 1u);  // not a character
}

TEST(SjisText, RandomBytesRoundTripAndCutCleanly) {
    std::mt19937 random(20240601);
    // Weighted towards the bytes that make Shift-JIS hard: leads, trails, gaps.
    const std::string palette =
        bytes({0x00, 'A',  0x5C, 0x7E, 0x7F, 0x40, 0x80, 0x81, 0x82, 0x87, 0x9F, 0xA0, 0xA1, 0xDF,
               0xE0, 0xED, 0xEE, 0xF0, 0xFA, 0xFB, 0xFC, 0xFD, 0xFF, 0x85, 0x89, 0x9A, 0xC0});
    for (int round = 0; round < 20000; ++round) {
        std::string sjis(random() % 40, '\0');
        for (char& c : sjis) {
            c = random() % 2 ? palette[random() % palette.size()] : static_cast<char>(random());
        }
        const std::string utf8 = utf8FromSjis(sjis);
        ASSERT_EQ(sjisFromUtf8(utf8), sjis);
        ASSERT_EQ(sjisFromUtf8Strict(utf8), sjis);
        ASSERT_EQ(sjisLength(utf8), sjis.size());
        const std::size_t max = random() % (sjis.size() + 1);
        const std::size_t cut = sjisCutLength(sjis, max);
        ASSERT_TRUE(cut <= max && cut + 1 >= max);
        ASSERT_TRUE(utf8.starts_with(utf8FromSjis(sjis.substr(0, cut))));
        ASSERT_LE(sjisFromEucJp(sjis).size(), sjis.size());
    }
}

TEST(EucJpText, ConvertsByJisArithmetic) {
    EXPECT_EQ(sjisFromEucJp(bytes({0xC6, 0xFC, 0xCB, 0xDC})), bytes({0x93, 0xFA, 0x96, 0x7B}));
    // Row and cell edges: odd/even rows, the 0x7F gap, the 0x9F/0xE0 lead jump.
    EXPECT_EQ(utf8FromSjis(sjisFromEucJp(
                  bytes({0xA1, 0xA1, 0xA1, 0xDF, 0xA1, 0xE0, 0xA5, 0xA2, 0xB0, 0xA1,
                         0xCF, 0xD3, 0xDE, 0xA1, 0xDF, 0xA1, 0xF4, 0xA1, 0xF4, 0xA6}))),
              "　×÷ア亜腕沺漾堯熙");
    EXPECT_EQ(sjisFromEucJp(bytes({0x8E, 0xB1, 'a', 0x8E, 0xDF})), bytes({0xB1, 'a', 0xDF}));
    EXPECT_EQ(sjisFromEucJp(bytes({'x', 0x8E})), bytes({'x', 0x8E}));  // 0x8E at the end
    EXPECT_EQ(sjisFromEucJp(bytes({0xC6, 0xFC, 0xC6})), bytes({0x93, 0xFA, 0xC6}));  // lone lead
    EXPECT_EQ(sjisFromEucJp(bytes({0xA1, 'A', 0x8F, 0xB0, 0xA1})),
              bytes({0xA1, 'A', 0x8F, 0x88, 0x9F}));
    // The lead byte at the end of a view never pairs with the byte after it.
    const std::string longer = bytes({'x', 0xC6, 0xFC});
    EXPECT_EQ(sjisFromEucJp(std::string_view(longer).substr(0, 2)), bytes({'x', 0xC6}));
}

TEST(EucJpText, WholeJisRangeMapsToDistinctSjisPairs) {
    for (int j1 = 0x21; j1 <= 0x7E; ++j1) {
        for (int j2 = 0x21; j2 <= 0x7E; ++j2) {
            const std::string sjis = sjisFromEucJp(bytes({j1 + 0x80, j2 + 0x80}));
            ASSERT_EQ(sjis.size(), 2u);
            const int s1 = static_cast<unsigned char>(sjis[0]);
            const int s2 = static_cast<unsigned char>(sjis[1]);
            ASSERT_TRUE(s1 >= 0x81 && (s1 <= 0x9F || s1 >= 0xE0));
            ASSERT_TRUE(s2 >= 0x40 && s2 <= 0xFC && s2 != 0x7F);
            // Shift-JIS back to JIS, the other way round.
            const int back1 = (s1 - (s1 <= 0x9F ? 0x70 : 0xB0)) * 2 - (s2 < 0x9F ? 1 : 0);
            const int back2 = s2 < 0x9F ? s2 - (s2 >= 0x80 ? 0x20 : 0x1F) : s2 - 0x7E;
            ASSERT_EQ(back1, j1);
            ASSERT_EQ(back2, j2);
        }
    }
}

}  // namespace
}  // namespace tav::text
