#include "sim/Listing.h"

#include <cstdio>

namespace plova::sim {

namespace {
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::time_t kHalfYear = 183 * 24 * 3600;
}  // namespace

std::string nameLine(const std::string& name) {
    return name + "\r\n";
}

std::string longLine(const MainUnitDisk::Entry& entry, std::time_t now) {
    std::tm tm{};
    localtime_r(&entry.modified, &tm);
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

}  // namespace plova::sim
