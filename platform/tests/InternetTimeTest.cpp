#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>

#include "platform/InternetTime.h"

using namespace plova;

namespace {
void expectTime(const std::optional<InternetTime>& t, int y, int mo, int d, int h, int mi, int s, int dow) {
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(t->year, y);
    EXPECT_EQ(t->month, mo);
    EXPECT_EQ(t->day, d);
    EXPECT_EQ(t->hour, h);
    EXPECT_EQ(t->minute, mi);
    EXPECT_EQ(t->second, s);
    EXPECT_EQ(t->dayOfWeek, dow);
}
}  // namespace

TEST(InternetTime, AcceptsTheCommonForms) {
    expectTime(ParseInternetTime(u"Sun, 06 Nov 1994 08:49:37 GMT"), 1994, 11, 6, 8, 49, 37, 0);
    expectTime(ParseInternetTime(u"Sunday, 06-Nov-94 08:49:37 GMT"), 1994, 11, 6, 8, 49, 37, 0);
    expectTime(ParseInternetTime(u"Sun Nov  6 08:49:37 1994"), 1994, 11, 6, 8, 49, 37, 0);
    expectTime(ParseInternetTime(u"Mon, 7 Dec 2026 14:05 +0900"), 2026, 12, 7, 14, 5, 0, 1);
}

TEST(InternetTime, BlockFieldAsWrittenByTheMainUnitAndByUs) {
    // Our own writer: weekday at 0, day at 5, month at 8, year at 12, time at 17, zone at 23.
    char field[32] = {};
    const auto put = [&](std::size_t at, std::string_view text) { std::copy(text.begin(), text.end(), field + at); };
    put(0, "Mon,");
    put(5, "7");
    put(8, "Dec");
    put(12, "2026");
    put(17, "09:03");
    put(23, "+0900");
    expectTime(ParseBlockDate(std::string_view(field, 32)), 2026, 12, 7, 9, 3, 0, 1);
    // Only the first 27 bytes count: a second time after them is never seen.
    std::string longer = "Tue, 01 Sep 2026 23:59:58 X 12:00";
    longer.resize(32, '\0');
    expectTime(ParseBlockDate(longer), 2026, 9, 1, 23, 59, 58, 2);
}

TEST(InternetTime, RefusesNonsense) {
    EXPECT_FALSE(ParseInternetTime(u"").has_value());
    EXPECT_FALSE(ParseInternetTime(u"garbage").has_value());
    EXPECT_FALSE(ParseInternetTime(u"Mon, 31 Feb 2026 10:00").has_value());
    EXPECT_FALSE(ParseInternetTime(u"Mon, 01 Feb 2026 25:00").has_value());
    EXPECT_FALSE(ParseInternetTime(u"01 2026 10:00").has_value());  // no month
    EXPECT_FALSE(ParseBlockDate(std::string(32, '\xff')).has_value());
    EXPECT_FALSE(ParseBlockDate(std::string(32, '\0')).has_value());
}
