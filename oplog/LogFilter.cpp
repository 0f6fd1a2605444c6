#include "oplog/LogFilter.h"

#include <algorithm>
#include <cctype>

namespace plova::oplog {
namespace {

constexpr std::size_t kDayChars = 10;      // "YYYY-MM-DD"
constexpr std::size_t kSecondsChars = 19;  // "YYYY-MM-DDThh:mm:ss"

bool digits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int number(std::string_view text) {
    int n = 0;
    for (const char c : text) n = n * 10 + (c - '0');
    return n;
}

bool leapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : kDays[month - 1];
}

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool containsIgnoringCase(std::string_view text, std::string_view piece) {
    return std::search(text.begin(), text.end(), piece.begin(), piece.end(),
                       [](char a, char b) { return lower(a) == lower(b); }) != text.end();
}

}  // namespace

bool IsDay(std::string_view text) {
    if (text.size() != kDayChars || text[4] != '-' || text[7] != '-') return false;
    const std::string_view y = text.substr(0, 4), m = text.substr(5, 2), d = text.substr(8, 2);
    if (!digits(y) || !digits(m) || !digits(d)) return false;
    const int year = number(y), month = number(m), day = number(d);
    return month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month);
}

std::optional<std::string> ProblemOf(const LogFilter& f) {
    if (!f.since.empty() && !IsDay(f.since)) return "--since takes a day as YYYY-MM-DD: " + f.since;
    if (!f.until.empty() && !IsDay(f.until)) return "--until takes a day as YYYY-MM-DD: " + f.until;
    if (!f.since.empty() && !f.until.empty() && f.until < f.since)
        return "--until " + f.until + " is before --since " + f.since;
    if (!f.operation.empty() && !IsOperation(f.operation)) {
        std::string known;
        for (const std::string_view name : kOperations) known += (known.empty() ? "" : ", ") + std::string(name);
        return "unknown operation \"" + f.operation + "\" (one of " + known + ")";
    }
    return std::nullopt;
}

bool Matches(const Entry& e, const LogFilter& f) {
    // The day is the first ten characters of the written time, which sort as the days do.
    const std::string_view day = std::string_view(e.time).substr(0, kDayChars);
    if (!f.since.empty() && day < f.since) return false;
    if (!f.until.empty() && day > f.until) return false;
    if (!f.operation.empty() && e.operation != f.operation) return false;
    if (!f.message.empty() && std::none_of(e.messages.begin(), e.messages.end(), [&](const MessageResult& m) {
            return containsIgnoringCase(m.name, f.message);
        }))
        return false;
    return true;
}

std::vector<Entry> Select(const std::vector<Entry>& entries, const LogFilter& filter) {
    std::vector<Entry> out;
    std::copy_if(entries.begin(), entries.end(), std::back_inserter(out),
                 [&](const Entry& e) { return Matches(e, filter); });
    return out;
}

std::string TimeText(const Entry& e) {
    if (e.time.size() <= kSecondsChars || e.time[kDayChars] != 'T') return e.time;
    return e.time.substr(0, kDayChars) + ' ' + e.time.substr(kDayChars + 1, kSecondsChars - kDayChars - 1) + ' ' +
           e.time.substr(kSecondsChars);
}

std::string WhoText(const Entry& e) {
    const std::string user = e.pcUser.empty() ? std::string("?") : e.pcUser;
    return user + " (" + std::string(NameOf(e.by)) + ")";
}

std::string MainUnitText(const Entry& e) {
    if (e.unitAddress.empty()) return {};
    return e.unitUser.empty() ? e.unitAddress : e.unitUser + "@" + e.unitAddress;
}

std::string MessagesText(const Entry& e) {
    std::string out;
    for (const MessageResult& m : e.messages) {
        if (!out.empty()) out += ", ";
        out += m.name + ' ' + std::string(NameOf(m.outcome));
        if (!m.note.empty()) out += " (" + m.note + ')';
    }
    return out;
}

std::string EntryLine(const Entry& e) {
    std::string line = TimeText(e) + "  " + e.operation + "  " + std::string(NameOf(e.result)) + "  " + WhoText(e);
    if (const std::string unit = MainUnitText(e); !unit.empty()) line += "  main unit " + unit;
    if (!e.boxFolder.empty()) line += "  " + e.boxFolder;
    if (!e.detail.empty()) line += "  " + e.detail;
    if (!e.messages.empty())
        line += "  " + std::to_string(e.messages.size()) + (e.messages.size() == 1 ? " message: " : " messages: ") +
                MessagesText(e);
    return line;
}

}  // namespace plova::oplog
