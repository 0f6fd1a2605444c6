#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string_view>

#include "platform/Text.h"

using namespace plova;

TEST(Text, Cp932RoundTripsJapanese) {
    const std::u16string s = u"ﾀﾞｳﾝﾛｰﾄﾞ 営業部　ＡＢ① ～";
    EXPECT_EQ(FromCp932(ToCp932(s)), s);
    EXPECT_EQ(ToCp932(u"あ"), "\x82\xa0");
    EXPECT_EQ(ToCp932(u"\u3000"), "\x81\x40");
    EXPECT_EQ(Cp932Length(u"aｱあ"), 4u);
}

TEST(Text, UnmappableAndInvalidAreReplacedNotLost) {
    EXPECT_EQ(ToCp932(u"a\u00e9b"), "a?b");
    EXPECT_EQ(ToCp932(u"x\U0001F600y"), "x?y");  // one character, one "?"
    // A half of a pair on its own is one "?", and takes nothing after it along.
    EXPECT_EQ(ToCp932(u"x\xD83Dy\xDE00z"), "x?y?z");
    EXPECT_EQ(ToCp932(u"x\xD83D"), "x?");
    // Invalid bytes in the middle do not swallow the text around them.
    EXPECT_EQ(FromCp932("a\x85\x40"
                        "b"),
              u"a\u30FBb");
    EXPECT_EQ(FromCp932("a\x82"), u"a\u30FB");  // a lead byte at the end
    EXPECT_EQ(FromCp932("\x80"), u"\u0080");
    EXPECT_EQ(ToCp932(u"\u0080"), "\x80");
    std::string big(100000, 'z');
    big[50000] = '\x85';
    big[50001] = '\x40';
    EXPECT_EQ(FromCp932(big).size(), big.size() - 1);
}

TEST(Text, Utf8BothWays) {
    const std::u16string s = u"PLOVA 音声 \U0001F600";
    EXPECT_EQ(FromUtf8(ToUtf8(s)), s);
    EXPECT_EQ(FromUtf8("a\xff"
                       "b"),
              u"a\uFFFDb");
    EXPECT_EQ(FromUtf8("\xe3\x81"), u"\uFFFD\uFFFD");
    EXPECT_TRUE(EqualsIgnoreCase(u"NaIsEn", u"naisen"));
    EXPECT_FALSE(EqualsIgnoreCase(u"naisen", u"naise"));
}

// Any name on the disk comes back byte for byte from its text; a UTF-8 name's
// text is its plain text, and bytes that are not UTF-8 read as CP932 for people.
TEST(Text, PathTextLosesNoByte) {
    const std::string cp932 = ToCp932(u"総務");
    const std::string names[] = {
        "box/0001",
        ToUtf8(u"本社/音声 \U0001F600"),
        cp932 + "/rusuroku",
        "\xff\xfe\x80",
        "\xc0\x80 \xed\xb2\x80 \xf4\x90\x80\x80 \xe3\x81",  // overlong, a half surrogate, beyond U+10FFFF, cut short
        ToUtf8(u"\U00010080") + "\x80",                     // a pair whose low half looks like a byte, then a byte
    };
    for (const std::string& name : names) EXPECT_EQ(PathBytes(PathText(name)), name) << name;
    EXPECT_EQ(PathText("box/0001"), u"box/0001");
    EXPECT_EQ(PathText(ToUtf8(u"本社")), u"本社");
    EXPECT_EQ(ReadablePathText(PathText(cp932 + "/rusuroku")), u"総務/rusuroku");
    EXPECT_EQ(ReadablePathText(u"本社/0001"), u"本社/0001");
}

TEST(Text, WholeNumbersWithinARange) {
    EXPECT_EQ(ParseWholeNumber("-128", -128, 127), -128);
    EXPECT_EQ(ParseWholeNumber("127", -128, 127), 127);
    for (const char* bad : {"", "128", "-129", "12a", "1.5", " ", "99999999999999999999999"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(ParseWholeNumber(bad, -128, 127), std::nullopt);
    }
    // Beyond 64 bits is refused, not taken for the largest number.
    EXPECT_EQ(ParseWholeNumber("99999999999999999999999", LLONG_MIN, LLONG_MAX), std::nullopt);
    // 64 bits everywhere, also where a long has 32 (Windows).
    EXPECT_EQ(ParseWholeNumber("4294967296", 0, LLONG_MAX), 4294967296LL);
    EXPECT_EQ(ParseWholeNumber("9223372036854775807", 0, LLONG_MAX), LLONG_MAX);
    EXPECT_EQ(ParseWholeNumber("4294967296", 0, 0xFFFFFFFFLL), std::nullopt);
}

// The one table both systems' CP932 conversions are held to. Linux converts
// through glibc's iconv, Windows through code page 932 (and Wine's copy of
// it); where they differ, the program decides, and the rows below say what.

namespace {

// Every double-byte code from `first` to `last` with a valid trail byte.
std::string codesOf(unsigned first, unsigned last) {
    std::string out;
    for (unsigned code = first; code <= last; ++code) {
        const unsigned trail = code & 0xFF;
        if (trail < 0x40 || trail > 0xFC || trail == 0x7F) continue;
        out += static_cast<char>(code >> 8);
        out += static_cast<char>(trail);
    }
    return out;
}

std::string bytesOf(unsigned code) {
    return code > 0xFF ? std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)}
                       : std::string(1, static_cast<char>(code));
}

// NEC row 13 (0x8740–0x879C) as Windows reads it; "・" for the codes it leaves unassigned.
constexpr std::u16string_view kNecRow13 =
    u"①②③④⑤⑥⑦⑧⑨⑩⑪⑫⑬⑭⑮⑯⑰⑱⑲⑳ⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩ・㍉㌔㌢㍍㌘㌧㌃㌶㍑㍗㌍㌦㌣㌫㍊㌻㎜㎝㎞㎎㎏㏄㎡・・・・・・・・"
    u"㍻〝〟№㏍℡㊤㊥㊦㊧㊨㈱㈲㈹㍾㍽㍼≒≡∫∮∑√⊥∠∟⊿∵∩∪";

// The IBM extensions (0xFA40–0xFC4B). The compatibility ideographs among
// them are written as escapes: an editor may turn them into the unified ones.
constexpr std::u16string_view kIbmRows =
    u"ⅰⅱⅲⅳⅴⅵⅶⅷⅸⅹⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩ￢￤＇＂㈱№℡∵纊褜"
    u"鍈銈蓜俉炻昱棈鋹曻彅丨仡仼伀伃伹佖侒侊侚侔俍偀倢俿倞偆偰偂傔"
    u"僴僘兊兤冝冾凬刕劜劦勀勛匀匇匤卲厓厲叝\uFA0E咜咊咩哿喆坙坥垬埈埇"
    u"\uFA0F\uFA10增墲夋奓奛奝奣妤妺孖寀甯寘寬尞岦岺峵崧嵓\uFA11嵂嵭嶸嶹巐弡弴"
    u"彧德忞恝悅悊惞惕愠惲愑愷愰憘戓抦揵摠撝擎敎昀昕昻昉昮昞昤晥晗"
    u"晙\uFA12晳暙暠暲暿曺朎\uF929杦枻桒柀栁桄棏\uFA13楨\uFA14榘槢樰橫橆橳橾櫢櫤毖"
    u"氿汜沆汯泚洄涇浯涖涬淏淸淲淼渹湜渧渼溿澈澵濵瀅瀇瀨炅炫焏焄煜"
    u"煆煇\uFA15燁燾犱犾猤\uFA16獷玽珉珖珣珒琇珵琦琪琩琮瑢璉璟甁畯皂皜皞皛"
    u"皦\uFA17睆劯砡硎硤硺礰\uFA18\uFA19\uFA1A禔\uFA1B禛竑竧\uFA1C竫箞\uFA1D絈絜綷綠緖繒罇羡\uFA1E"
    u"茁荢荿菇菶葈蒴蕓蕙蕫\uFA1F薰\uFA20\uFA21蠇裵訒訷詹誧誾諟\uFA22諶譓譿賰賴贒赶"
    u"\uFA23軏\uFA24\uFA25遧郞\uFA26鄕鄧釚釗釞釭釮釤釥鈆鈐鈊鈺鉀鈼鉎鉙鉑鈹鉧銧鉷鉸"
    u"鋧鋗鋙鋐\uFA27鋕鋠鋓錥錡鋻\uFA28錞鋿錝錂鍰鍗鎤鏆鏞鏸鐱鑅鑈閒\uF9DC\uFA29隝隯"
    u"霳霻靃靍靏靑靕顗顥\uFA2A\uFA2B餧\uFA2C馞驎髙髜魵魲鮏鮱鮻鰀鵰鵫\uFA2D鸙黑";
constexpr std::size_t kIbmKanji = 28;  // where the kanji start, at 0xFA5C

// Characters of those rows that Windows writes with another code: the JIS
// X 0208 code where there is one, else the code in NEC row 13.
const std::map<unsigned, unsigned> kWrittenElsewhere = {
    {0x8790, 0x81E0}, {0x8791, 0x81DF}, {0x8792, 0x81E7}, {0x8795, 0x81E3}, {0x8796, 0x81DB}, {0x8797, 0x81DA},
    {0x879A, 0x81E6}, {0x879B, 0x81BF}, {0x879C, 0x81BE}, {0xFA4A, 0x8754}, {0xFA4B, 0x8755}, {0xFA4C, 0x8756},
    {0xFA4D, 0x8757}, {0xFA4E, 0x8758}, {0xFA4F, 0x8759}, {0xFA50, 0x875A}, {0xFA51, 0x875B}, {0xFA52, 0x875C},
    {0xFA53, 0x875D}, {0xFA54, 0x81CA}, {0xFA58, 0x878A}, {0xFA59, 0x8782}, {0xFA5A, 0x8784}, {0xFA5B, 0x81E6},
};

}  // namespace

TEST(Cp932Table, TheSingleByteExtrasBothWays) {
    const struct {
        unsigned char byte;
        char16_t unit;
    } rows[] = {{0x80, u'\u0080'}, {0xA0, u'\uF8F0'}, {0xFD, u'\uF8F1'}, {0xFE, u'\uF8F2'}, {0xFF, u'\uF8F3'}};
    for (const auto& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.byte));
        const std::string byte(1, static_cast<char>(r.byte));
        EXPECT_EQ(FromCp932(byte), std::u16string(1, r.unit));
        EXPECT_EQ(ToCp932(std::u16string(1, r.unit)), byte);
        EXPECT_EQ(FromCp932("a" + byte + "\x82\xa0"), u"a" + std::u16string(1, r.unit) + u"あ");
    }
}

// Characters Windows has no exact code for. Those that text from elsewhere
// holds for a CP932 character (the wave dash of Linux input methods, the yen
// sign) are written with that code, as iconv writes them; any other is "?",
// never a look-alike Windows would pick ("|" for "¦").
TEST(Cp932Table, CharactersWithoutACodeOfTheirOwn) {
    const struct {
        char16_t unit;
        std::string_view bytes;
    } rows[] = {
        {u'\u00A5', "\x5C"},     {u'\u203E', "\x7E"},     {u'\u301C', "\x81\x60"}, {u'\u2016', "\x81\x61"},
        {u'\u2212', "\x81\x7C"}, {u'\u00A2', "\x81\x91"}, {u'\u00A3', "\x81\x92"}, {u'\u00AC', "\x81\xCA"},
        {u'\u2014', "\x81\x5C"}, {u'\u00A6', "?"},        {u'\u00C0', "?"},        {u'\u00B7', "?"},
        {u'\u00AD', "?"},        {u'\u2226', "?"},        {u'\uFFFD', "?"},        {u'\u3000', "\x81\x40"},
        {u'\uFF5E', "\x81\x60"}, {u'\u2225', "\x81\x61"}, {u'\uFF0D', "\x81\x7C"}, {u'\uFFE0', "\x81\x91"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.unit));
        EXPECT_EQ(ToCp932(std::u16string(1, r.unit)), r.bytes);
    }
    // Read back, a code is always Windows' own character.
    EXPECT_EQ(FromCp932("\x5C\x7E\x81\x5C\x81\x60\x81\x61\x81\x7C\x81\x91\x81\x92\x81\xCA"), u"\\~―～∥－￠￡￢");
}

TEST(Cp932Table, NecAndIbmRowsReadAsWindowsReadsThem) {
    EXPECT_EQ(FromCp932(codesOf(0x8740, 0x879C)), kNecRow13);
    EXPECT_EQ(FromCp932(codesOf(0xFA40, 0xFC4B)), kIbmRows);
    // NEC's selection of the IBM extensions holds the same characters, in
    // another order, with two codes unassigned.
    std::u16string necSelection(kIbmRows.substr(kIbmKanji));
    necSelection += u"・・";
    necSelection += kIbmRows.substr(0, 10);
    necSelection += kIbmRows.substr(20, 4);
    EXPECT_EQ(FromCp932(codesOf(0xED40, 0xEEFC)), necSelection);
    // The user-defined area reads as the private use area.
    EXPECT_EQ(FromCp932("\xF0\x40\xF9\xFC"), u"\uE000\uE757");
}

TEST(Cp932Table, NecAndIbmCharactersAreWrittenWithTheCodeWindowsGives) {
    std::map<char16_t, unsigned> written;  // each character and the code it must get
    const auto expect = [&](unsigned first, unsigned last, std::u16string_view read) {
        const std::string codes = codesOf(first, last);
        ASSERT_EQ(codes.size(), read.size() * 2);
        for (std::size_t i = 0; i < read.size(); ++i) {
            if (read[i] == u'・') continue;
            const unsigned code =
                static_cast<unsigned char>(codes[2 * i]) << 8 | static_cast<unsigned char>(codes[2 * i + 1]);
            const auto elsewhere = kWrittenElsewhere.find(code);
            written.emplace(read[i], elsewhere == kWrittenElsewhere.end() ? code : elsewhere->second);
        }
    };
    expect(0x8740, 0x879C, kNecRow13);
    expect(0xFA40, 0xFC4B, kIbmRows);
    ASSERT_EQ(written.size(), 457u);  // Ⅰ…Ⅹ, ∵, ㈱, №, ℡ are in both rows
    std::u16string all;
    std::string expected;
    for (const auto& [unit, code] : written) {
        EXPECT_EQ(ToCp932(std::u16string(1, unit)), bytesOf(code)) << std::hex << static_cast<int>(unit);
        all += unit;
        expected += bytesOf(code);
    }
    // The same in one run, as a file is converted.
    EXPECT_EQ(ToCp932(all), expected);
    EXPECT_EQ(FromCp932(expected), all);
}

namespace {

std::uint64_t fnv1a(std::uint64_t hash, std::string_view bytes) {
    for (const char b : bytes) {
        hash ^= static_cast<unsigned char>(b);
        hash *= 0x100000001b3ull;
    }
    return hash;
}

}  // namespace

// Every character of the Basic Multilingual Plane written, and every one- and
// two-byte code read, give the same on every system: their digests are the
// ones glibc's table with the program's own rows above gives.
TEST(Cp932Table, EveryCharacterAndCodeConvertsAlike) {
    std::uint64_t written = 0xcbf29ce484222325ull;
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c < 0xE000) continue;
        written = fnv1a(written, ToCp932(std::u16string(1, static_cast<char16_t>(c))) + '|');
    }
    std::uint64_t read = 0xcbf29ce484222325ull;
    for (unsigned code = 0; code < 0x10000; ++code) {
        read = fnv1a(read, ToUtf8(FromCp932(bytesOf(code))) + '|');
    }
    EXPECT_EQ(written, 17310897920207566860ull);
    EXPECT_EQ(read, 1553676664587840049ull);
}
