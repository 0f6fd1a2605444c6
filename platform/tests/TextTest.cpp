#include <gtest/gtest.h>

#include <climits>

#include "platform/Text.h"

using namespace plova;

TEST(Text, Cp932RoundTripsJapanese) {
    const std::u16string s = u"ﾀﾞｳﾝﾛｰﾄﾞ 営業部　ＡＢ① ～";
    EXPECT_EQ(fromCp932(toCp932(s)), s);
    EXPECT_EQ(toCp932(u"あ"), "\x82\xa0");
    EXPECT_EQ(toCp932(u"\u3000"), "\x81\x40");
    EXPECT_EQ(cp932Length(u"aｱあ"), 4u);
}

TEST(Text, UnmappableAndInvalidAreReplacedNotLost) {
    EXPECT_EQ(toCp932(u"a\u00e9b"), "a?b");
    EXPECT_EQ(toCp932(u"x\U0001F600y"), "x?y");  // one character, one "?"
    // Invalid bytes in the middle do not swallow the text around them.
    EXPECT_EQ(fromCp932("a\x85\x40"
                        "b"),
              u"a\u30FBb");
    EXPECT_EQ(fromCp932("a\x82"), u"a\u30FB");  // a lead byte at the end
    EXPECT_EQ(fromCp932("\x80"), u"\u0080");
    EXPECT_EQ(toCp932(u"\u0080"), "\x80");
    std::string big(100000, 'z');
    big[50000] = '\x85';
    big[50001] = '\x40';
    EXPECT_EQ(fromCp932(big).size(), big.size() - 1);
}

TEST(Text, Utf8BothWays) {
    const std::u16string s = u"PLOVA 音声 \U0001F600";
    EXPECT_EQ(fromUtf8(toUtf8(s)), s);
    EXPECT_EQ(fromUtf8("a\xff"
                       "b"),
              u"a\uFFFDb");
    EXPECT_EQ(fromUtf8("\xe3\x81"), u"\uFFFD\uFFFD");
    EXPECT_TRUE(equalsIgnoreCase(u"NaIsEn", u"naisen"));
    EXPECT_FALSE(equalsIgnoreCase(u"naisen", u"naise"));
}

// Any name on the disk comes back byte for byte from its text; a UTF-8 name's
// text is its plain text, and bytes that are not UTF-8 read as CP932 for people.
TEST(Text, PathTextLosesNoByte) {
    const std::string cp932 = toCp932(u"総務");
    const std::string names[] = {
        "box/0001",
        toUtf8(u"本社/音声 \U0001F600"),
        cp932 + "/rusuroku",
        "\xff\xfe\x80",
        "\xc0\x80 \xed\xb2\x80 \xf4\x90\x80\x80 \xe3\x81",  // overlong, a half surrogate, beyond U+10FFFF, cut short
        toUtf8(u"\U00010080") + "\x80",                     // a pair whose low half looks like a byte, then a byte
    };
    for (const std::string& name : names) EXPECT_EQ(pathBytes(pathText(name)), name) << name;
    EXPECT_EQ(pathText("box/0001"), u"box/0001");
    EXPECT_EQ(pathText(toUtf8(u"本社")), u"本社");
    EXPECT_EQ(readablePathText(pathText(cp932 + "/rusuroku")), u"総務/rusuroku");
    EXPECT_EQ(readablePathText(u"本社/0001"), u"本社/0001");
}

TEST(Text, WholeNumbersWithinARange) {
    EXPECT_EQ(parseWholeNumber("-128", -128, 127), -128);
    EXPECT_EQ(parseWholeNumber("127", -128, 127), 127);
    for (const char* bad : {"", "128", "-129", "12a", "1.5", " ", "99999999999999999999999"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(parseWholeNumber(bad, -128, 127), std::nullopt);
    }
    // Beyond what a long holds is refused, not taken for the largest long.
    EXPECT_EQ(parseWholeNumber("99999999999999999999999", LONG_MIN, LONG_MAX), std::nullopt);
}
