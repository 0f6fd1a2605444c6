// The shell patterns of a listing's argument ("LIST *.vmdat"), held to what
// the C library's fnmatch does with them on Linux, byte by byte, so the
// simulator answers alike on every system.
#include <gtest/gtest.h>

#include <string_view>

#include "sim/Listing.h"

namespace plova::sim {
namespace {

TEST(Wildcard, MatchesAsTheShellPatternsOfAListing) {
    struct Row {
        std::string_view pattern;
        std::string_view name;
        bool matches;
    };
    const Row rows[] = {
        {"*.vmdat", "0001.vmdat", true},
        {"*.vmdat", "0001.vminf", false},
        {"*", "", true},
        {"*", ".hidden", true},
        {"", "", true},
        {"", "a", false},
        {"a*", "a", true},
        {"*a", "ba", true},
        {"*a", "ab", false},
        {"a*b*c", "axxbyyc", true},
        {"a*b*c", "axxbyyd", false},
        {"a*b", "abab", true},
        {"??.vminf", "01.vminf", true},
        {"??.vminf", "001.vminf", false},
        {"[0-9]*", "7abc", true},
        {"[0-9]*", "x7", false},
        {"[!0-9]*", "x7", true},
        {"[^0-9]*", "7x", false},
        {"[]a]", "]", true},
        {"[]a]", "a", true},
        {"[]a]", "b", false},
        {"[a-]", "-", true},
        {"[!]]", "]", false},
        {"[!]]", "x", true},
        {"[abc", "[abc", true},
        {"[abc", "a", false},
        {"\\*", "*", true},
        {"\\*", "a", false},
        {"a\\?", "a?", true},
        {"a\\?", "ab", false},
        {"[\\]]", "]", true},
        {"*/b", "a/b", true},
        {"a?b", "a/b", true},
        {"\x82\xa0*", "\x82\xa0\x82\xa2.vmdat", true},
        {"*\xa2*", "\x82\xa0\x82\xa2", true},
        {"**x", "abx", true},
        {"*[xy]", "aay", true},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(MatchesWildcard(row.pattern, row.name), row.matches) << row.pattern << " against " << row.name;
    }
}

}  // namespace
}  // namespace plova::sim
