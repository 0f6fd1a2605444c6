// The select display's criteria: the pattern scan, the matching of a record,
// the download-state codes and the checks of the two criteria dialogs.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "lists/SelectCriteria.h"

namespace plova {
namespace {

std::string show(std::u16string_view s) {
    std::string out;
    for (char16_t c : s) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

TEST(SelectCriteria, PatternsMatchAsTheForwardScanDoes) {
    struct Row {
        std::u16string_view pattern, field;
        bool match;
    };
    const Row rows[] = {
        // Without "%": from the first character, the field may go on.
        {u"田", u"田中", true},
        {u"田", u"山田", false},
        {u"田中", u"田", false},
        {u"abc", u"ABC", false},  // case counts
        {u"a_c", u"abc", true},
        {u"a_c", u"ab", false},
        {u"a_", u"a", false},  // a "_" at the end needs a character there
        {u"a_", u"ab", true},
        {u"_", u"", false},
        // "%" alone: every field, the empty one too.
        {u"%", u"", true},
        {u"%", u"山田", true},
        // "%" and one character: the character anywhere.
        {u"%田", u"山田太郎", true},
        {u"%田", u"田中", true},
        {u"%田", u"佐藤", false},
        {u"%田", u"", false},
        // The character and "%": names that begin with it.
        {u"田%", u"田中", true},
        {u"田%", u"山田", false},
        {u"%a%c", u"xaybc", true},
        {u"%a%c", u"xab", false},
        {u"a%c", u"abcd", true},  // the scan ends where the pattern ends
        {u"%ab_", u"xabz", true},
        {u"%ab_", u"xab", false},
        {u"%a_", u"ba", false},
        // A run that breaks off starts again after what it matched, also
        // before any "%": a field that merely contains the run can match.
        {u"ab%", u"aab", true},
        {u"ab%", u"bab", false},
        // It never goes back, so a run that overlaps its own false start is missed.
        {u"%aab", u"aaab", false},
        {u"%aab", u"xaab", true},
    };
    for (const Row& r : rows)
        EXPECT_EQ(MatchPattern(r.pattern, r.field), r.match) << show(r.pattern) << " / " << show(r.field);
}

TEST(SelectCriteria, DownloadCodesSelectTheStatesOfTheirTable) {
    using States = std::set<int>;
    const States selects[] = {{1, 2, 3}, {1, 2}, {1, 3}, {2, 3}, {1}, {2}, {3}, {0}, {0, 1, 2, 3}};
    for (int code = 0; code <= 8; ++code)
        for (int state = 0; state <= 3; ++state)
            EXPECT_EQ(DownloadCodeMatches(code, state), selects[code].count(state) == 1)
                << "code " << code << " state " << state;

    struct Boxes {
        bool played, unplayed, deleted;
        int code;
    };
    const Boxes boxes[] = {{true, true, true, 0},   {true, true, false, 1},  {true, false, true, 2},
                           {false, true, true, 3},  {true, false, false, 4}, {false, true, false, 5},
                           {false, false, true, 6}, {false, false, false, 7}};
    for (const Boxes& b : boxes) EXPECT_EQ(DownloadCodeOf(b.played, b.unplayed, b.deleted), b.code);
}

FILESTS_INFO record() {
    FILESTS_INFO r;
    r.flag = 1;
    r.played = 0;
    r.downloadState = kUnplayedOnMainUnit;
    r.boxNumber = u"123";
    r.boxName = u"営業";
    r.partyNumber = u"0312345678";
    r.partyName = u"山田太郎";
    r.date = u"2013/05/01 23:59";
    r.title = u"見積";
    r.memo = u"折り返し";
    return r;
}

TEST(SelectCriteria, BoxRecordsMatchEveryCriterionInUse) {
    struct Row {
        const char* what;
        void (*set)(SelectCriteria&, FILESTS_INFO&);
        bool match;
    };
    const Row rows[] = {
        {"nothing in use", [](SelectCriteria&, FILESTS_INFO&) {}, true},
        {"flag wanted, set", [](SelectCriteria& c, FILESTS_INFO&) { c.flag = 1; }, true},
        {"no flag wanted, set", [](SelectCriteria& c, FILESTS_INFO&) { c.flag = 0; }, false},
        {"played wanted", [](SelectCriteria& c, FILESTS_INFO&) { c.played = 1; }, false},
        {"not protected wanted", [](SelectCriteria& c, FILESTS_INFO&) { c.isProtected = 0; }, true},
        {"code 3, state 2", [](SelectCriteria& c, FILESTS_INFO&) { c.downloadCode = 3; }, true},
        {"code 3, state 1",
         [](SelectCriteria& c, FILESTS_INFO& r) {
             c.downloadCode = 3;
             r.downloadState = kPlayedOnMainUnit;
         },
         false},
        {"one day, late that day",
         [](SelectCriteria& c, FILESTS_INFO&) {
             c.dateUsed = true;
             c.dateFrom = c.dateTo = u"2013/05/01";
         },
         true},
        {"one day, the next day",
         [](SelectCriteria& c, FILESTS_INFO& r) {
             c.dateUsed = true;
             c.dateFrom = c.dateTo = u"2013/05/01";
             r.date = u"2013/05/02 00:00";
         },
         false},
        {"box number 12 selects 123",
         [](SelectCriteria& c, FILESTS_INFO&) {
             c.boxNumberUsed = true;
             c.boxNumber = u"12";
         },
         true},
        {"box number 12 misses 012",
         [](SelectCriteria& c, FILESTS_INFO& r) {
             c.boxNumberUsed = true;
             c.boxNumber = u"12";
             r.boxNumber = u"012";
         },
         false},
        {"empty box number wants an empty field", [](SelectCriteria& c, FILESTS_INFO&) { c.boxNumberUsed = true; },
         false},
        {"empty box number, empty field",
         [](SelectCriteria& c, FILESTS_INFO& r) {
             c.boxNumberUsed = true;
             r.boxNumber.clear();
         },
         true},
        {"party number is a prefix, not a pattern",
         [](SelectCriteria& c, FILESTS_INFO&) {
             c.partyNumberUsed = true;
             c.partyNumber = u"%5678";
         },
         false},
        {"party name pattern",
         [](SelectCriteria& c, FILESTS_INFO&) {
             c.partyNameUsed = true;
             c.partyName = u"%太";
         },
         true},
        {"title pattern",
         [](SelectCriteria& c, FILESTS_INFO&) {
             c.titleUsed = true;
             c.title = u"見_";
         },
         true},
        {"box name pattern",
         [](SelectCriteria& c, FILESTS_INFO&) {
             c.boxNameUsed = true;
             c.boxName = u"経%";
         },
         false},
        {"empty memo wanted", [](SelectCriteria& c, FILESTS_INFO&) { c.memoUsed = true; }, false},
    };
    for (const Row& r : rows) {
        SelectCriteria c;
        FILESTS_INFO rec = record();
        r.set(c, rec);
        EXPECT_EQ(MatchesBoxRecord(c, rec), r.match) << r.what;
    }
}

TEST(SelectCriteria, ResponseRowsAbsentOnesIncluded) {
    FILESTS_INFO absent;  // a number without a message: flag and upload 0, no name
    absent.boxNumber = u"007";
    FILESTS_INFO present = absent;
    present.played = 1;
    present.partyName = u"営業時間外";

    SelectCriteria notUploaded;
    notUploaded.played = 0;
    EXPECT_TRUE(MatchesResponseRecord(notUploaded, absent));
    EXPECT_FALSE(MatchesResponseRecord(notUploaded, present));

    SelectCriteria name;
    name.partyNameUsed = true;
    name.partyName = u"%時間";
    EXPECT_FALSE(MatchesResponseRecord(name, absent));
    EXPECT_TRUE(MatchesResponseRecord(name, present));
}

TEST(SelectCriteria, BoxDialogChecksTextsDatesAndThatSomethingIsTicked) {
    struct Row {
        const char* what;
        void (*set)(BoxCriteriaInput&);
        CriteriaCheck result;
    };
    const Row rows[] = {
        {"nothing ticked", [](BoxCriteriaInput&) {}, CriteriaCheck::NothingTicked},
        {"title of 20 double-byte characters",
         [](BoxCriteriaInput& in) {
             in.title = {true, std::u16string(20, u'録')};
         },
         CriteriaCheck::Ok},
        {"title of 21 double-byte characters",
         [](BoxCriteriaInput& in) {
             in.title = {true, std::u16string(21, u'録')};
         },
         CriteriaCheck::InputError},
        {"an unticked text is not checked",
         [](BoxCriteriaInput& in) {
             in.memo = {false, std::u16string(50, u'x')};
             in.flag.ticked = true;
         },
         CriteriaCheck::Ok},
        {"memo of 41 bytes",
         [](BoxCriteriaInput& in) {
             in.memo = {true, std::u16string(41, u'x')};
         },
         CriteriaCheck::InputError},
        {"box number of 5 bytes",
         [](BoxCriteriaInput& in) {
             in.boxNumber = {true, u"12345"};
         },
         CriteriaCheck::InputError},
        {"box number with a double-byte character",
         [](BoxCriteriaInput& in) {
             in.boxNumber = {true, u"1２"};
         },
         CriteriaCheck::InputError},
        {"box number in half-width kana",
         [](BoxCriteriaInput& in) {
             in.boxNumber = {true, u"ｱｲ"};
         },
         CriteriaCheck::Ok},
        {"box name of 6 double-byte characters",
         [](BoxCriteriaInput& in) {
             in.boxName = {true, u"営業部第一課"};
         },
         CriteriaCheck::InputError},
        {"party name of 16 double-byte characters",
         [](BoxCriteriaInput& in) {
             in.partyName = {true, std::u16string(16, u'山')};
         },
         CriteriaCheck::Ok},
        {"party number of 33 bytes",
         [](BoxCriteriaInput& in) {
             in.partyNumber = {true, std::u16string(33, u'0')};
         },
         CriteriaCheck::InputError},
        {"dates the wrong way round",
         [](BoxCriteriaInput& in) {
             in.dateTicked = true;
             in.dateFrom = u"2013/05/02";
             in.dateTo = u"2013/05/01";
         },
         CriteriaCheck::DateRange},
        {"a text error comes before the dates",
         [](BoxCriteriaInput& in) {
             in.dateTicked = true;
             in.dateFrom = u"2013/05/02";
             in.dateTo = u"2013/05/01";
             in.boxNumber = {true, u"12345"};
         },
         CriteriaCheck::InputError},
        {"one day",
         [](BoxCriteriaInput& in) {
             in.dateTicked = true;
             in.dateFrom = in.dateTo = u"2013/05/01";
         },
         CriteriaCheck::Ok},
        {"download boxes alone", [](BoxCriteriaInput& in) { in.downloadTicked = true; }, CriteriaCheck::Ok},
    };
    for (const Row& r : rows) {
        BoxCriteriaInput in;
        r.set(in);
        SelectCriteria record;
        record.flag = 1;  // the criteria of an earlier OK
        const SelectCriteria before = record;
        EXPECT_EQ(ApplyBoxCriteria(in, record), r.result) << r.what;
        // A refused OK leaves the stored criteria as they were.
        if (r.result != CriteriaCheck::Ok) {
            EXPECT_EQ(record, before) << r.what;
        }
    }
    EXPECT_EQ(CriteriaCheckMessage(CriteriaCheck::InputError), u"入力値エラーです。");
    EXPECT_EQ(CriteriaCheckMessage(CriteriaCheck::DateRange), u"日付範囲指定に異常があります。");
    EXPECT_EQ(CriteriaCheckMessage(CriteriaCheck::NothingTicked), u"選択されていません。");
}

TEST(SelectCriteria, BoxDialogStoresWhatIsTickedAndClearsTheRest) {
    SelectCriteria record;
    record.memoUsed = true;
    record.memo = u"old";
    BoxCriteriaInput in;
    in.title = {true, u"caf\u00e9"};  // no such character in the ANSI code page
    in.boxNumber = {true, u""};
    in.played = {true, false};
    in.isProtected = {true, true};
    in.downloadTicked = true;
    in.downloadPlayed = in.downloadDeleted = true;
    ASSERT_EQ(ApplyBoxCriteria(in, record), CriteriaCheck::Ok);
    EXPECT_TRUE(record.titleUsed);
    EXPECT_EQ(record.title, u"caf?");
    EXPECT_TRUE(record.boxNumberUsed);
    EXPECT_FALSE(record.memoUsed);
    EXPECT_EQ(record.memo, u"");
    EXPECT_EQ(record.played, 0);
    EXPECT_EQ(record.isProtected, 1);
    EXPECT_EQ(record.flag, findset::kUnused);
    EXPECT_EQ(record.downloadCode, 2);
    EXPECT_FALSE(record.dateUsed);

    // "録音情報のみ" wins over the other three.
    in.downloadInfoOnly = true;
    ASSERT_EQ(ApplyBoxCriteria(in, record), CriteriaCheck::Ok);
    EXPECT_EQ(record.downloadCode, findset::kDownloadInfoOnly);
}

TEST(SelectCriteria, ResponseDialogChecksTheNameAndStoresItsChoices) {
    SelectCriteria record;
    ResponseCriteriaInput in;
    EXPECT_EQ(ApplyResponseCriteria(in, record), CriteriaCheck::NothingTicked);
    in.name = {true, std::u16string(11, u'応')};  // 22 bytes
    EXPECT_EQ(ApplyResponseCriteria(in, record), CriteriaCheck::InputError);
    EXPECT_EQ(record, SelectCriteria{});
    in.name = {true, std::u16string(10, u'応')};
    in.uploaded = {true, false};
    ASSERT_EQ(ApplyResponseCriteria(in, record), CriteriaCheck::Ok);
    EXPECT_TRUE(record.partyNameUsed);
    EXPECT_EQ(record.partyName, std::u16string(10, u'応'));
    EXPECT_EQ(record.played, 0);
    EXPECT_EQ(record.flag, findset::kUnused);
}

}  // namespace
}  // namespace plova
