// The select display: the criteria a user sets for the rows a list keeps,
// the checks of the two criteria dialogs, and the matching of a record.
//
// Text criteria are either prefixes (box number, party number) or patterns
// (title, box name, party name, memo). A pattern without "%" is compared
// from the field's first character, "_" standing for any one character; a
// pattern with "%" runs through the forward scan of MatchPattern, which is
// not ordinary wildcard matching: it does not go back to try other splits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "store/FILESTS_INFO.h"

namespace plova {

namespace findset {
constexpr std::uint8_t kUnused = 2;            // flag, played, protected
constexpr std::uint8_t kDownloadUnused = 8;    // download-state code
constexpr std::uint8_t kDownloadInfoOnly = 7;  // "録音情報のみ"

// Longest texts the record keeps, in ANSI (CP932) bytes.
constexpr std::size_t kTitleBytes = 40;
constexpr std::size_t kBoxNumberBytes = 4;
constexpr std::size_t kBoxNameBytes = 10;
constexpr std::size_t kPartyNumberBytes = 32;
constexpr std::size_t kPartyNameBytes = 32;
constexpr std::size_t kMemoBytes = 40;
constexpr std::size_t kResponseNameBytes = 20;

constexpr std::size_t kDateChars = 10;  // "YYYY/MM/DD"

constexpr std::u16string_view kErrorCaption = u"エラー";
constexpr std::u16string_view kInputError = u"入力値エラーです。";
constexpr std::u16string_view kDateRangeError = u"日付範囲指定に異常があります。";
constexpr std::u16string_view kNothingTicked = u"選択されていません。";
}  // namespace findset

// One criteria record; as constructed, every criterion is off. Box lists and the system response message list each
// have one for the run; a list view keeps a copy of the record it applied.
// For the response list `played` is the uploaded criterion and `partyName`
// the message name.
struct SelectCriteria {
    std::uint8_t flag = findset::kUnused;                  // 1 flagged, 0 not
    std::uint8_t played = findset::kUnused;                // 1 played (uploaded), 0 not
    std::uint8_t downloadCode = findset::kDownloadUnused;  // 0..7, see DownloadCodeMatches
    std::uint8_t isProtected = findset::kUnused;           // 1 protected, 0 not
    std::u16string dateFrom{}, dateTo{};                   // "YYYY/MM/DD"
    bool dateUsed = false, titleUsed = false, boxNumberUsed = false, boxNameUsed = false;
    bool partyNumberUsed = false, partyNameUsed = false, memoUsed = false;
    std::u16string title{}, boxNumber{}, boxName{}, partyNumber{}, partyName{}, memo{};
    bool operator==(const SelectCriteria&) const = default;
};

// The "取込" check boxes as one code: 0 to 6 for the combinations of
// "再生済", "未再生" and "消去済", 7 for "録音情報のみ" or none of the three.
std::uint8_t DownloadCodeOf(bool played, bool unplayed, bool deleted);

// Whether download state `state` is one that code `code` selects; code 8
// selects every state.
bool DownloadCodeMatches(std::uint8_t code, std::uint8_t state);

// A title, box name, party name or memo pattern against a field (see above).
bool MatchPattern(std::u16string_view pattern, std::u16string_view field);

bool MatchesBoxRecord(const SelectCriteria& criteria, const FILESTS_INFO& record);
bool MatchesResponseRecord(const SelectCriteria& criteria, const FILESTS_INFO& record);

// --------------------------------------------------------------- dialogs

// A text criterion as the dialog holds it.
struct TextInput {
    bool ticked = false;
    std::u16string text{};
};

// A two-way choice ("再生済"/"未再生", "保護"/"非保護", "あり"/"なし"):
// `first` is the first radio.
struct ChoiceInput {
    bool ticked = false;
    bool first = true;
};

// What the box-list criteria dialog holds when OK is pressed.
struct BoxCriteriaInput {
    bool dateTicked = false;
    std::u16string dateFrom{}, dateTo{};  // "YYYY/MM/DD"
    TextInput title{}, boxNumber{}, boxName{}, partyNumber{}, partyName{}, memo{};
    ChoiceInput played{}, isProtected{}, flag{};
    bool downloadTicked = false;
    bool downloadPlayed = false, downloadUnplayed = false, downloadDeleted = false, downloadInfoOnly = false;
};

struct ResponseCriteriaInput {
    TextInput name{};
    ChoiceInput uploaded{}, flag{};
};

enum class [[nodiscard]] CriteriaCheck{Ok, InputError, DateRange, NothingTicked};

// The message a failed check shows (caption findset::kErrorCaption).
std::u16string_view CriteriaCheckMessage(CriteriaCheck check);

// OK of the box-list dialog: the texts are checked against their limits and
// the dates against each other, then `record` is cleared and filled. On a
// failure the dialog stays open and `record` is left as it was, so that a
// refused OK followed by "キャンセル" keeps the criteria of the last OK.
CriteriaCheck ApplyBoxCriteria(const BoxCriteriaInput& input, SelectCriteria& record);

// OK of the response-list dialog.
CriteriaCheck ApplyResponseCriteria(const ResponseCriteriaInput& input, SelectCriteria& record);

}  // namespace plova
