#include "platform/InternetTime.h"

#include <array>
#include <string>
#include <vector>

#include "platform/Text.h"

namespace plova {
namespace {

constexpr std::array<std::u16string_view, 12> kMonths = {u"jan", u"feb", u"mar", u"apr", u"may", u"jun",
                                                         u"jul", u"aug", u"sep", u"oct", u"nov", u"dec"};
constexpr std::array<std::u16string_view, 7> kDays = {u"sun", u"mon", u"tue", u"wed", u"thu", u"fri", u"sat"};

char16_t lower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
}

bool isAlpha(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

int monthOf(std::u16string_view word) {
    if (word.size() < 3) return 0;
    std::u16string w;
    for (std::size_t i = 0; i < 3; ++i) w += lower(word[i]);
    for (std::size_t m = 0; m < kMonths.size(); ++m)
        if (w == kMonths[m]) return static_cast<int>(m) + 1;
    return 0;
}

bool isWeekday(std::u16string_view word) {
    if (word.size() < 3) return false;
    std::u16string w;
    for (std::size_t i = 0; i < 3; ++i) w += lower(word[i]);
    for (auto d : kDays)
        if (w == d) return true;
    return false;
}

int daysInMonth(int year, int month) {
    static constexpr int kLen[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kLen[month - 1];
}

int weekday(int y, int m, int d) {  // Sakamoto
    static constexpr int t[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (m < 3) y -= 1;
    return (y + y / 4 - y / 100 + y / 400 + t[m - 1] + d) % 7;
}

struct Token {
    enum Kind { Word, Number, Time, Zone } kind;
    std::u16string text;
    int value = 0;
    int h = 0, mi = 0, s = 0;
};

std::vector<Token> tokenize(std::u16string_view t) {
    std::vector<Token> out;
    std::size_t i = 0;
    while (i < t.size()) {
        const char16_t c = t[i];
        if (isAlpha(c)) {
            std::size_t j = i;
            while (j < t.size() && isAlpha(t[j])) ++j;
            out.push_back({Token::Word, std::u16string(t.substr(i, j - i))});
            i = j;
        } else if ((c == u'+' || c == u'-') && i + 1 < t.size() && isDigit(t[i + 1]) && !out.empty() &&
                   (out.back().kind == Token::Time)) {
            std::size_t j = i + 1;
            while (j < t.size() && isDigit(t[j])) ++j;
            out.push_back({Token::Zone, std::u16string(t.substr(i, j - i))});
            i = j;
        } else if (isDigit(c)) {
            std::size_t j = i;
            long v = 0;
            while (j < t.size() && isDigit(t[j]) && j - i < 9) v = v * 10 + (t[j++] - u'0');
            while (j < t.size() && isDigit(t[j])) ++j;  // absurdly long numbers are not dates
            if (j < t.size() && t[j] == u':') {
                // hh:mm or hh:mm:ss
                Token tk{Token::Time, {}};
                tk.h = static_cast<int>(v);
                std::size_t k = j + 1;
                int part = 0, n = 0, digits = 0;
                int fields[2] = {0, 0};
                while (k < t.size() && part < 2) {
                    if (isDigit(t[k]) && digits < 4) {
                        n = n * 10 + (t[k] - u'0');
                        ++digits;
                        ++k;
                    } else if (t[k] == u':' && digits > 0 && part == 0) {
                        fields[part++] = n;
                        n = 0;
                        digits = 0;
                        ++k;
                    } else
                        break;
                }
                if (digits == 0) return {};
                fields[part] = n;
                tk.mi = fields[0];
                tk.s = part == 1 ? fields[1] : 0;
                out.push_back(tk);
                i = k;
            } else {
                Token tk{Token::Number, std::u16string(t.substr(i, j - i))};
                tk.value = static_cast<int>(v);
                out.push_back(tk);
                i = j;
            }
        } else {
            ++i;  // spaces, commas, dashes and other separators
        }
    }
    return out;
}

}  // namespace

std::optional<InternetTime> ParseInternetTime(std::u16string_view text) {
    const auto tokens = tokenize(text);
    InternetTime r;
    bool haveTime = false, haveDay = false, haveYear = false;
    for (const auto& tk : tokens) {
        switch (tk.kind) {
        case Token::Word:
            // Weekday names, zone names ("GMT", "JST") and other words are ignored.
            if (int m = monthOf(tk.text); m != 0 && r.month == 0 && !isWeekday(tk.text)) r.month = m;
            break;
        case Token::Time:
            if (haveTime) return std::nullopt;
            haveTime = true;
            r.hour = tk.h, r.minute = tk.mi, r.second = tk.s;
            break;
        case Token::Zone: break;
        case Token::Number:
            // The first one- or two-digit number is the day; the year is the
            // four-digit one (or a two-digit one after the day).
            if (!haveDay && tk.text.size() <= 2) {
                r.day = tk.value;
                haveDay = true;
                break;
            }
            if (!haveYear && (tk.text.size() == 4 || tk.text.size() == 2)) {
                r.year = tk.value;
                if (tk.text.size() == 2) r.year += r.year < 50 ? 2000 : 1900;
                haveYear = true;
                break;
            }
            return std::nullopt;
        }
    }
    if (!haveDay || !haveYear || r.month == 0) return std::nullopt;
    if (r.year < 1601 || r.year > 30827) return std::nullopt;
    if (r.day < 1 || r.day > daysInMonth(r.year, r.month)) return std::nullopt;
    if (r.hour > 23 || r.minute > 59 || r.second > 59) return std::nullopt;
    r.dayOfWeek = weekday(r.year, r.month, r.day);
    return r;
}

std::optional<InternetTime> ParseBlockDate(std::string_view field32) {
    std::string bytes(field32.substr(0, 32));
    for (char& c : bytes)
        if (c == '\0') c = ' ';
    bytes.resize(std::min<std::size_t>(bytes.size(), 27));
    return ParseInternetTime(FromCp932(bytes));
}

}  // namespace plova
