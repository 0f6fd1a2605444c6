#include "lists/SelectCriteria.h"

#include <array>

#include "platform/Text.h"

namespace plova {
namespace {

constexpr char16_t kRun = u'%';
constexpr char16_t kAnyOne = u'_';

bool isWildcard(char16_t c) {
    return c == kRun || c == kAnyOne;
}

// Without "%": position by position from the start, "_" standing for any
// one character that must be there; the field may go on after the pattern.
bool matchFromStart(std::u16string_view pattern, std::u16string_view field) {
    if (field.size() < pattern.size()) return false;
    for (std::size_t i = 0; i < pattern.size(); ++i)
        if (pattern[i] != kAnyOne && pattern[i] != field[i]) return false;
    return true;
}

// The forward scan for patterns with "%". It never goes back: a run of
// literals that breaks off starts again after the last character it matched.
bool scanPattern(std::u16string_view pattern, std::u16string_view field) {
    std::size_t p = 0, f = 0;
    bool anyRun = false;  // a "%" has been seen
    bool result = false;
    while (p < pattern.size()) {
        const char16_t c = pattern[p];
        if (c == kRun) {
            anyRun = true;
            ++p;
            continue;
        }
        if (c == kAnyOne) {
            if (p + 1 == pattern.size()) result = f < field.size();
            ++p;
            ++f;
            continue;
        }
        if (f >= field.size()) return false;
        if (field[f] != c) {
            if (!anyRun) return false;
            ++f;
            continue;
        }
        result = true;
        // The literals that follow this one, against the following characters.
        std::size_t k = 1;
        while (p + k < pattern.size() && !isWildcard(pattern[p + k]) && f + k < field.size() &&
               field[f + k] == pattern[p + k])
            ++k;
        if (p + k == pattern.size()) return true;
        if (isWildcard(pattern[p + k])) {
            p += k;
            f += k;
            continue;
        }
        // The run broke off: its first literal again, after the last character that matched.
        f += k;
    }
    return result;
}

bool matchText(bool used, std::u16string_view text, std::u16string_view field, bool prefix) {
    if (!used) return true;
    if (text.empty()) return field.empty();
    return prefix ? field.starts_with(text) : MatchPattern(text, field);
}

bool matchByte(std::uint8_t criterion, std::uint8_t value) {
    return criterion == findset::kUnused || criterion == value;
}

bool fitsBytes(const TextInput& t, std::size_t limit) {
    return !t.ticked || Cp932Length(t.text) <= limit;
}

bool hasLeadByte(std::u16string_view text) {
    for (unsigned char b : ToCp932(text))
        if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) return true;
    return false;
}

// A text as the record keeps it: through the ANSI code page and back.
void storeText(const TextInput& t, bool& used, std::u16string& text) {
    if (!t.ticked) return;
    used = true;
    text = FromCp932(ToCp932(t.text));
}

std::uint8_t choiceByte(const ChoiceInput& c) {
    return c.ticked ? (c.first ? 1 : 0) : findset::kUnused;
}

}  // namespace

std::uint8_t DownloadCodeOf(bool played, bool unplayed, bool deleted) {
    // Indexed by played * 4 + unplayed * 2 + deleted.
    constexpr std::array<std::uint8_t, 8> kCodes = {7, 6, 5, 3, 4, 2, 1, 0};
    return kCodes[(played ? 4 : 0) + (unplayed ? 2 : 0) + (deleted ? 1 : 0)];
}

bool DownloadCodeMatches(std::uint8_t code, std::uint8_t state) {
    // Bit s set: download state s is selected.
    constexpr std::array<std::uint8_t, 8> kStates = {0b1110, 0b0110, 0b1010, 0b1100, 0b0010, 0b0100, 0b1000, 0b0001};
    if (code >= kStates.size()) return true;
    return state < 8 && (kStates[code] >> state & 1) != 0;
}

bool MatchPattern(std::u16string_view pattern, std::u16string_view field) {
    if (pattern.find(kRun) == pattern.npos) return matchFromStart(pattern, field);
    if (pattern == u"%") return true;
    return scanPattern(pattern, field);
}

bool MatchesBoxRecord(const SelectCriteria& c, const FILESTS_INFO& r) {
    if (!matchByte(c.flag, r.flag) || !matchByte(c.played, r.played) || !matchByte(c.isProtected, r.isProtected))
        return false;
    if (!DownloadCodeMatches(c.downloadCode, r.downloadState)) return false;
    if (c.dateUsed) {
        const std::u16string_view day = std::u16string_view(r.date).substr(0, findset::kDateChars);
        if (day < c.dateFrom || day > c.dateTo) return false;
    }
    return matchText(c.boxNumberUsed, c.boxNumber, r.boxNumber, true) &&
           matchText(c.partyNumberUsed, c.partyNumber, r.partyNumber, true) &&
           matchText(c.titleUsed, c.title, r.title, false) && matchText(c.boxNameUsed, c.boxName, r.boxName, false) &&
           matchText(c.partyNameUsed, c.partyName, r.partyName, false) && matchText(c.memoUsed, c.memo, r.memo, false);
}

bool MatchesResponseRecord(const SelectCriteria& c, const FILESTS_INFO& r) {
    return matchByte(c.flag, r.flag) && matchByte(c.played, r.played) &&
           matchText(c.partyNameUsed, c.partyName, r.partyName, false);
}

std::u16string_view CriteriaCheckMessage(CriteriaCheck check) {
    switch (check) {
    case CriteriaCheck::InputError: return findset::kInputError;
    case CriteriaCheck::DateRange: return findset::kDateRangeError;
    case CriteriaCheck::NothingTicked: return findset::kNothingTicked;
    case CriteriaCheck::Ok: break;
    }
    return {};
}

CriteriaCheck ApplyBoxCriteria(const BoxCriteriaInput& in, SelectCriteria& record) {
    if (!fitsBytes(in.title, findset::kTitleBytes) || !fitsBytes(in.boxNumber, findset::kBoxNumberBytes) ||
        (in.boxNumber.ticked && hasLeadByte(in.boxNumber.text)) || !fitsBytes(in.boxName, findset::kBoxNameBytes) ||
        !fitsBytes(in.partyNumber, findset::kPartyNumberBytes) || !fitsBytes(in.partyName, findset::kPartyNameBytes) ||
        !fitsBytes(in.memo, findset::kMemoBytes))
        return CriteriaCheck::InputError;
    if (in.dateTicked && in.dateFrom > in.dateTo) return CriteriaCheck::DateRange;
    const bool anyTicked = in.dateTicked || in.title.ticked || in.boxNumber.ticked || in.boxName.ticked ||
                           in.partyNumber.ticked || in.partyName.ticked || in.memo.ticked || in.played.ticked ||
                           in.isProtected.ticked || in.flag.ticked || in.downloadTicked;
    if (!anyTicked) return CriteriaCheck::NothingTicked;

    SelectCriteria c;
    if (in.dateTicked) {
        c.dateUsed = true;
        c.dateFrom = in.dateFrom;
        c.dateTo = in.dateTo;
    }
    storeText(in.title, c.titleUsed, c.title);
    storeText(in.boxNumber, c.boxNumberUsed, c.boxNumber);
    storeText(in.boxName, c.boxNameUsed, c.boxName);
    storeText(in.partyNumber, c.partyNumberUsed, c.partyNumber);
    storeText(in.partyName, c.partyNameUsed, c.partyName);
    storeText(in.memo, c.memoUsed, c.memo);
    c.played = choiceByte(in.played);
    c.isProtected = choiceByte(in.isProtected);
    c.flag = choiceByte(in.flag);
    if (in.downloadTicked)
        c.downloadCode = in.downloadInfoOnly
                             ? findset::kDownloadInfoOnly
                             : DownloadCodeOf(in.downloadPlayed, in.downloadUnplayed, in.downloadDeleted);
    record = c;
    return CriteriaCheck::Ok;
}

CriteriaCheck ApplyResponseCriteria(const ResponseCriteriaInput& in, SelectCriteria& record) {
    if (!fitsBytes(in.name, findset::kResponseNameBytes)) return CriteriaCheck::InputError;
    if (!in.name.ticked && !in.uploaded.ticked && !in.flag.ticked) return CriteriaCheck::NothingTicked;
    SelectCriteria c;
    storeText(in.name, c.partyNameUsed, c.partyName);
    c.played = choiceByte(in.uploaded);
    c.flag = choiceByte(in.flag);
    record = c;
    return CriteriaCheck::Ok;
}

}  // namespace plova
