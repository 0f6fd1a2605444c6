#include "sim/Listing.h"

#include "platform/CalendarTime.h"

#include <cstdio>

namespace plova::sim {

namespace {
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::time_t kHalfYear = std::time_t{183} * 24 * 3600;
}  // namespace

std::string NameLine(const std::string& name) {
    return name + "\r\n";
}

std::string LongLine(const MainUnitDisk::Entry& entry, std::time_t now) {
    const std::tm tm = LocalCalendarTime(entry.modified);
    char date[32];
    const std::time_t age = now - entry.modified;
    if (age > kHalfYear || age < -kHalfYear) {
        std::snprintf(date, sizeof date, "%s %2d  %4d", kMonths[tm.tm_mon % 12], tm.tm_mday, tm.tm_year + 1900);
    } else {
        std::snprintf(date, sizeof date, "%s %2d %02d:%02d", kMonths[tm.tm_mon % 12], tm.tm_mday, tm.tm_hour,
                      tm.tm_min);
    }
    // 10 + 2 + 5 + 5 + 2 = 24 characters in front of the size.
    char head[96];
    std::snprintf(head, sizeof head, "%s 1 kwtx kwtx  %9llu %s ", entry.directory ? "drwxr-xr-x" : "-rw-r--r--",
                  static_cast<unsigned long long>(entry.size), date);
    return head + entry.name + "\r\n";
}

namespace {

// The set "[...]" at the start of `pattern` against `c`: how many bytes of the
// pattern it takes, or 0 when nothing closes it (the "[" is then a byte of its own).
std::size_t matchSet(std::string_view pattern, unsigned char c, bool& matched) {
    std::size_t i = 1;
    const bool negated = i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^');
    if (negated) ++i;
    bool found = false;
    bool first = true;
    while (i < pattern.size() && (pattern[i] != ']' || first)) {
        first = false;
        unsigned char low = static_cast<unsigned char>(pattern[i]);
        if (low == '\\' && i + 1 < pattern.size()) low = static_cast<unsigned char>(pattern[++i]);
        unsigned char high = low;
        if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
            high = static_cast<unsigned char>(pattern[i + 2]);
            if (high == '\\' && i + 3 < pattern.size()) {
                high = static_cast<unsigned char>(pattern[i + 3]);
                ++i;
            }
            i += 2;
        }
        if (low <= c && c <= high) found = true;
        ++i;
    }
    if (i >= pattern.size()) return 0;
    matched = found != negated;
    return i + 1;
}

}  // namespace

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
    // Where the last "*" stood, and the first byte of the name it has not yet taken.
    std::size_t p = 0, n = 0;
    std::size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        bool step = false;
        std::size_t taken = 1;
        if (p < pattern.size()) {
            const char c = pattern[p];
            if (c == '*') {
                starP = p++;
                starN = n;
                continue;
            }
            if (c == '?') {
                step = true;
            } else if (c == '[') {
                bool matched = false;
                const std::size_t set = matchSet(pattern.substr(p), static_cast<unsigned char>(name[n]), matched);
                if (set > 0) {
                    step = matched;
                    taken = set;
                } else {
                    step = name[n] == '[';
                }
            } else if (c == '\\' && p + 1 < pattern.size()) {
                step = name[n] == pattern[p + 1];
                taken = 2;
            } else {
                step = name[n] == c;
            }
        }
        if (step) {
            p += taken;
            ++n;
        } else if (starP != std::string_view::npos) {
            // The last "*" takes one byte more.
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace plova::sim
