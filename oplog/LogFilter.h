// Choosing and showing entries of the operations log: the filters of
// "plova-cli log" and of the window's list are these.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "oplog/OperationLog.h"

namespace plova::oplog {

struct LogFilter {
    std::string since;      // "YYYY-MM-DD": entries of that day and later (empty: no bound)
    std::string until;      // "YYYY-MM-DD": entries of that day and earlier
    std::string operation;  // one of kOperations (empty: any)
    std::string message;    // a piece of a message name, in any case (empty: any)
};

// Whether `text` is a day "YYYY-MM-DD" of the calendar.
bool IsDay(std::string_view text);

// Why the filter cannot be used (a day that is none, an unknown operation,
// a range that ends before it starts); nothing when it can.
std::optional<std::string> ProblemOf(const LogFilter& filter);

// Whether the entry passes. Days are those of the entry's own time as it was
// written, in the zone it was written in.
bool Matches(const Entry& entry, const LogFilter& filter);

// The entries that pass, in their order.
std::vector<Entry> Select(const std::vector<Entry>& entries, const LogFilter& filter);

// The time of an entry for people: "2026-12-11 13:05:09 +09:00".
std::string TimeText(const Entry& entry);
// Who did it: "alice (window)" ...
std::string WhoText(const Entry& entry);
// The main unit: "admin@192.168.1.10", or "" when none was involved.
std::string MainUnitText(const Entry& entry);
// The messages and what became of them: "a.vmdat done, b.vmdat failed (in use)".
std::string MessagesText(const Entry& entry);
// The whole entry on one line, for a terminal.
std::string EntryLine(const Entry& entry);

}  // namespace plova::oplog
