// Names that Windows can hold, and names Windows takes for one: the same
// answers on every system, since box folders travel between them.
#include <gtest/gtest.h>

#include <string>

#include "platform/PortableNames.h"
#include "platform/Text.h"

namespace plova {
namespace {

TEST(PortableNames, WindowsHoldsOnlyNamesWithoutItsSpecialCharactersAndDevices) {
    struct Case {
        std::u16string name;
        bool portable;
    } const cases[] = {
        {u"0001", true},
        {u"営業部", true},
        {u"ﾀﾞｳﾝﾛｰﾄﾞ 1", true},
        {u".plova-folder.lock", true},
        {u"a.b.c", true},
        {u"CONSOLE", true},  // a device's name only when it is all of the base name
        {u"COM0", true},
        {u"COM10", true},
        {u"LPT", true},
        {u"nul-box", true},
        {u"AUX_1.wav", true},
        {std::u16string(255, u'あ'), true},
        {u"", false},
        {u".", false},
        {u"..", false},
        {std::u16string(256, u'a'), false},
        {u"a<b", false},
        {u"a>b", false},
        {u"a:b", false},  // a stream of "a" on NTFS
        {u"a\"b", false},
        {u"a/b", false},
        {u"a\\b", false},
        {u"a|b", false},
        {u"a?b", false},
        {u"a*b", false},
        {u"a\tb", false},
        {u"a\nb", false},
        {std::u16string(u"a\0b", 3), false},
        {u"\x1f", false},
        {u"name.", false},  // Windows would open "name"
        {u"name ", false},
        {u"...", false},
        {u"CON", false},
        {u"con", false},
        {u"Prn.txt", false},
        {u"aux.tar.gz", false},
        {u"NUL .wav", false},
        {u"COM1", false},
        {u"com9.ini", false},
        {u"LPT5", false},
        {u"COM\u00B9", false},
        {u"lpt\u00B3.txt", false},
        {u"CONIN$", false},
        {u"conout$.log", false},
        {u"ＣＯＮ", true},  // full-width letters are other letters
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsPortableName(c.name), c.portable) << ToUtf8(c.name) << " (" << c.name.size() << " units)";
}

TEST(PortableNames, NamesDifferingOnlyInCaseAreOneName) {
    struct Case {
        std::u16string a;
        std::u16string b;
        bool same;
    } const cases[] = {
        {u"A1", u"a1", true},
        {u"20240101_001.WAV", u"20240101_001.wav", true},
        {u"rusuroku", u"RuSuRoKu", true},
        {u"ＡＢＣ", u"ａｂｃ", true},  // full-width Latin
        {u"Ⅻ", u"ⅻ", true},            // Roman numerals of CP932's rows
        {u"ÀÉÎ", u"àéî", true},
        {u"Ÿ", u"ÿ", true},
        {u"ĀĹŽ", u"āĺž", true},
        {u"ΑΒΓ", u"αβγ", true},
        {u"Ά", u"ά", true},
        {u"ДЁЖ", u"дёж", true},
        {u"Ⓐ", u"ⓐ", true},
        {u"a1", u"a2", false},
        {u"A1", u"A1 ", false},
        {u"カ", u"ｶ", false},  // the half-width form is another character
        {u"か", u"カ", false},
        {u"A", u"Ａ", false},
        {u"×", u"÷", false},
        {u"ß", u"SS", false},  // one unit is never two
        {u"ς", u"Σ", false},
        {u"", u"", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsSamePortableName(c.a, c.b), c.same) << ToUtf8(c.a) << " / " << ToUtf8(c.b);
        EXPECT_EQ(IsSamePortableName(c.b, c.a), c.same) << ToUtf8(c.b) << " / " << ToUtf8(c.a);
    }
}

}  // namespace
}  // namespace plova
