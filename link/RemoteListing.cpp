#include "link/RemoteListing.h"

namespace plova::listing {
namespace {

constexpr std::size_t kDateChars = 12;  // "YYYYMMDDhhmm"
constexpr std::size_t kFieldSeparators[] = {12, 16, 21};
constexpr std::size_t kMessageNumberAt = 22;
constexpr std::u16string_view kVmdatWord = u"vmdat";
constexpr std::u16string_view kVminfWord = u"vminf";
constexpr std::u16string_view kVmdat = u".vmdat";
constexpr std::u16string_view kVminf = u".vminf";

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool allDigits(std::u16string_view s) {
    for (char16_t c : s)
        if (!isDigit(c)) return false;
    return !s.empty();
}

void replaceAll(std::u16string& s, std::u16string_view from, std::u16string_view to) {
    for (std::size_t at = s.find(from); at != std::u16string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
}

}  // namespace

std::size_t NameLength(NameForm form) {
    return form == NameForm::BoxMessage ? kBoxMessageNameLength : kResponseMessageNameLength;
}

std::vector<std::u16string> CleanLines(std::u16string_view listing) {
    std::vector<std::u16string> lines;
    std::u16string line;
    auto finish = [&] {
        if (line.empty()) return;
        if (line.find(kVmdatWord) != std::u16string::npos) replaceAll(line, kVmdatWord, kVmdat);
        if (line.find(kVminfWord) != std::u16string::npos) replaceAll(line, kVminfWord, kVminf);
        lines.push_back(std::move(line));
        line.clear();
    };
    for (char16_t c : listing) {
        if (c == u'*' || c == u'.') continue;
        // CR LF ends a line; a bare CR or LF does too, so that no line ever
        // holds a control character of the line structure.
        if (c == u'\r' || c == u'\n') {
            finish();
            continue;
        }
        line.push_back(c);
    }
    finish();
    return lines;
}

bool IsSafeName(std::u16string_view name) {
    if (name.empty() || name == u"." || name.find(u"..") != std::u16string_view::npos) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        if (c == u'/' || c == u'\\' || c == u':') return false;
        if (c < 0x20 || c == 0x7F) return false;
        // Half a surrogate pair is no character and names no file.
        if (c >= 0xDC00 && c <= 0xDFFF) return false;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 == name.size() || name[i + 1] < 0xDC00 || name[i + 1] > 0xDFFF) return false;
            ++i;
        }
    }
    return true;
}

bool IsMessageName(std::u16string_view name, NameForm form) {
    const std::size_t length = NameLength(form);
    if (name.size() != length || !IsSafeName(name)) return false;
    if (!allDigits(name.substr(0, kDateChars))) return false;
    for (std::size_t at : kFieldSeparators)
        if (name[at] != u'_') return false;
    const std::size_t extensionAt = length - kVmdat.size();
    if (!allDigits(name.substr(kMessageNumberAt, extensionAt - kMessageNumberAt))) return false;
    const std::u16string_view extension = name.substr(extensionAt);
    return extension == kVmdat || extension == kVminf;
}

std::optional<std::u16string> NameFromLine(std::u16string_view line, NameForm form) {
    if (!IsMessageName(line, form)) return std::nullopt;
    return std::u16string(line);
}

std::optional<Entry> EntryFromLongLine(std::u16string_view line, NameForm form) {
    const std::size_t length = NameLength(form);
    // The name must stand alone: "x/2024…" must not yield "2024…".
    if (line.size() <= length || line[line.size() - length - 1] != u' ') return std::nullopt;
    const std::u16string_view name = line.substr(line.size() - length);
    if (!IsMessageName(name, form) || line.size() <= kSizeFieldAt) return std::nullopt;

    std::u16string_view field = line.substr(kSizeFieldAt, kSizeFieldChars);
    while (!field.empty() && field.front() == u' ') field.remove_prefix(1);
    std::int64_t size = 0;
    std::size_t digits = 0;
    while (digits < field.size() && isDigit(field[digits])) size = size * 10 + (field[digits++] - u'0');
    if (digits == 0) return std::nullopt;
    return Entry{std::u16string(name), size};
}

std::vector<std::u16string> MessageNames(std::u16string_view listing, NameForm form) {
    std::vector<std::u16string> names;
    for (const auto& line : CleanLines(listing))
        if (auto name = NameFromLine(line, form)) names.push_back(std::move(*name));
    return names;
}

std::vector<Entry> MessageEntries(std::u16string_view listing, NameForm form) {
    std::vector<Entry> entries;
    for (const auto& line : CleanLines(listing))
        if (auto entry = EntryFromLongLine(line, form)) entries.push_back(std::move(*entry));
    return entries;
}

std::vector<std::u16string> BoxNames(std::u16string_view listing) {
    std::vector<std::u16string> names;
    for (auto& line : CleanLines(listing))
        if (IsSafeName(line)) names.push_back(std::move(line));
    return names;
}

bool NamesTooManyBoxes(std::u16string_view listing) {
    return BoxNames(listing).size() > kMaxBoxesPerKind;
}

}  // namespace plova::listing
