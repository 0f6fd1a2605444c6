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

// A record with every text filled, changed in one field.
FILESTS_INFO record(std::u16string FILESTS_INFO::*field = nullptr, std::u16string value = {},
                    std::uint8_t state = kUnplayedOnMainUnit) {
    FILESTS_INFO r;
    r.flag = 1;
    r.downloadState = state;
    r.boxNumber = u"123";
    r.boxName = u"営業";
    r.partyNumber = u"0312345678";
    r.partyName = u"山田太郎";
    r.date = u"2013/05/01 23:59";
    r.title = u"見積";
    r.memo = u"折り返し";
    if (field) r.*field = value;
    return r;
}

TEST(SelectCriteria, BoxRecordsMatchEveryCriterionInUse) {
    using R = FILESTS_INFO;
    struct Row {
        const char* what;
        SelectCriteria criteria;
        FILESTS_INFO record;
        bool match;
    };
    const Row rows[] = {
        {"nothing in use", {}, record(), true},
        {"flag wanted, set", {.flag = 1}, record(), true},
        {"no flag wanted, set", {.flag = 0}, record(), false},
        {"played wanted", {.played = 1}, record(), false},
        {"not protected wanted", {.isProtected = 0}, record(), true},
        {"code 3, state 2", {.downloadCode = 3}, record(), true},
        {"code 3, state 1", {.downloadCode = 3}, record(nullptr, {}, kPlayedOnMainUnit), false},
        {"one day, late that day",
         {.dateFrom = u"2013/05/01", .dateTo = u"2013/05/01", .dateUsed = true},
         record(),
         true},
        {"one day, the next day",
         {.dateFrom = u"2013/05/01", .dateTo = u"2013/05/01", .dateUsed = true},
         record(&R::date, u"2013/05/02 00:00"),
         false},
        {"box number 12 selects 123", {.boxNumberUsed = true, .boxNumber = u"12"}, record(), true},
        {"box number 12 misses 012", {.boxNumberUsed = true, .boxNumber = u"12"}, record(&R::boxNumber, u"012"), false},
        {"empty box number wants an empty field", {.boxNumberUsed = true}, record(), false},
        {"empty box number, empty field", {.boxNumberUsed = true}, record(&R::boxNumber, u""), true},
        {"party number is a prefix, not a pattern",
         {.partyNumberUsed = true, .partyNumber = u"%5678"},
         record(),
         false},
        {"party name pattern", {.partyNameUsed = true, .partyName = u"%太"}, record(), true},
        {"title pattern", {.titleUsed = true, .title = u"見_"}, record(), true},
        {"box name pattern", {.boxNameUsed = true, .boxName = u"経%"}, record(), false},
        {"empty memo wanted", {.memoUsed = true}, record(), false},
    };
    for (const Row& r : rows) EXPECT_EQ(MatchesBoxRecord(r.criteria, r.record), r.match) << r.what;
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
    using C = CriteriaCheck;
    const std::u16string twenty(20, u'録'), wrongWay = u"2013/05/02", day = u"2013/05/01";
    struct Row {
        const char* what;
        BoxCriteriaInput input;
        CriteriaCheck result;
    };
    const Row rows[] = {
        {"nothing ticked", {}, C::NothingTicked},
        {"title of 20 double-byte characters", {.title = {true, twenty}}, C::Ok},
        {"title of 21 double-byte characters", {.title = {true, twenty + u"録"}}, C::InputError},
        {"an unticked text is not checked", {.memo = {false, std::u16string(50, u'x')}, .flag = {true}}, C::Ok},
        {"memo of 41 bytes", {.memo = {true, std::u16string(41, u'x')}}, C::InputError},
        {"box number of 5 bytes", {.boxNumber = {true, u"12345"}}, C::InputError},
        {"box number with a double-byte character", {.boxNumber = {true, u"1２"}}, C::InputError},
        {"box number in half-width kana", {.boxNumber = {true, u"ｱｲ"}}, C::Ok},
        {"box name of 6 double-byte characters", {.boxName = {true, u"営業部第一課"}}, C::InputError},
        {"party name of 16 double-byte characters", {.partyName = {true, std::u16string(16, u'山')}}, C::Ok},
        {"party number of 33 bytes", {.partyNumber = {true, std::u16string(33, u'0')}}, C::InputError},
        {"dates the wrong way round", {.dateTicked = true, .dateFrom = wrongWay, .dateTo = day}, C::DateRange},
        {"a text error comes before the dates",
         {.dateTicked = true, .dateFrom = wrongWay, .dateTo = day, .boxNumber = {true, u"12345"}},
         C::InputError},
        {"one day", {.dateTicked = true, .dateFrom = day, .dateTo = day}, C::Ok},
        {"download boxes alone", {.downloadTicked = true}, C::Ok},
    };
    for (const Row& r : rows) {
        SelectCriteria record{.flag = 1};  // the criteria of an earlier OK
        const SelectCriteria before = record;
        EXPECT_EQ(ApplyBoxCriteria(r.input, record), r.result) << r.what;
        // A refused OK leaves the stored criteria as they were.
        if (r.result != C::Ok) {
            EXPECT_EQ(record, before) << r.what;
        }
    }
    EXPECT_EQ(CriteriaCheckMessage(C::InputError), u"入力値エラーです。");
    EXPECT_EQ(CriteriaCheckMessage(C::DateRange), u"日付範囲指定に異常があります。");
    EXPECT_EQ(CriteriaCheckMessage(C::NothingTicked), u"選択されていません。");
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
