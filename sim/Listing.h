// Listing lines as the main unit sends them. A long line carries the file
// size right-aligned in characters 24 to 32 and the name at its end; the
// client removes every "*" and "." before it reads those columns, so the
// 24 characters in front of the size hold neither.
#pragma once

#include "sim/MainUnitDisk.h"

#include <ctime>
#include <string>
#include <string_view>

namespace plova::sim {

// "name\r\n".
std::string NameLine(const std::string& name);
// "-rw-r--r--  1 kwtx kwtx    12345 Jan 15 10:30 name\r\n"; the date shows
// the year instead of the time when it is more than half a year from `now`.
std::string LongLine(const MainUnitDisk::Entry& entry, std::time_t now);

// Whether `name` matches the shell pattern of a listing's argument, byte by
// byte: "*" any run of bytes, "?" any one byte, "[a-z]" and "[!0-9]" (or
// "[^0-9]") one byte of a set or outside it, a backslash the byte after it as
// it is. A "[" that no "]" closes is itself.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

}  // namespace plova::sim
