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
