// The date text of the recording block and of mail and HTTP headers. A date
// that parses is a real calendar date, and written back in the header form
// it parses to the same fields.
#include <cstdint>
#include <cstdio>

#include "fuzz/FuzzSupport.h"
#include "platform/InternetTime.h"
#include "platform/Text.h"

using namespace plova;

namespace {

constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

bool leapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

void checkDate(const InternetTime& t) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    FUZZ_CHECK(t.month >= 1 && t.month <= 12);
    const int days = kDays[t.month - 1] + (t.month == 2 && leapYear(t.year) ? 1 : 0);
    FUZZ_CHECK(t.day >= 1 && t.day <= days);
    FUZZ_CHECK(t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59);
    FUZZ_CHECK(t.dayOfWeek >= 0 && t.dayOfWeek <= 6);

    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kWeekdays[t.dayOfWeek], t.day,
                  kMonths[t.month - 1], t.year, t.hour, t.minute, t.second);
    const auto again = ParseInternetTime(FromUtf8(text));
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(again->year == t.year && again->month == t.month && again->day == t.day && again->hour == t.hour &&
               again->minute == t.minute && again->second == t.second && again->dayOfWeek == t.dayOfWeek);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view in = fuzz::AsText(data, size);
    if (const auto t = ParseBlockDate(in)) checkDate(*t);
    if (const auto t = ParseInternetTime(FromCp932(in))) checkDate(*t);
    // Text that is not CP932 at all, taken as UTF-16 code units.
    std::u16string units(size / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    if (const auto t = ParseInternetTime(units)) checkDate(*t);
    return 0;
}
