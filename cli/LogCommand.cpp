// plova-cli log: the operations log, oldest first, one line an entry, chosen
// by day, operation and message name; --json gives each entry as its line of
// JSON. The exit status is 0 only when every file of the log could be read
// and every line was an entry.
#include <ostream>

#include "cli/Command.h"
#include "oplog/LogFilter.h"
#include "oplog/OperationLog.h"

namespace plova::cli {
namespace {

constexpr const char* kName = "log";

struct Options {
    oplog::LogFilter filter;
    bool json = false;
};

std::optional<std::string> parse(const Args& args, Options& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--json") {
            o.json = true;
            continue;
        }
        std::string* value = a == "--since"       ? &o.filter.since
                             : a == "--until"     ? &o.filter.until
                             : a == "--operation" ? &o.filter.operation
                             : a == "--message"   ? &o.filter.message
                                                  : nullptr;
        if (value == nullptr || i + 1 >= args.size()) return "unknown option or missing value: " + a;
        *value = args[++i];
        if (value->empty()) return a + " takes a value";
    }
    return oplog::ProblemOf(o.filter);
}

int runLog(const Args& args, std::ostream& out, std::ostream& err) {
    Options o;
    if (auto problem = parse(args, o)) return Fail(err, kName, *problem, kUsage);
    std::vector<std::string> problems;
    const std::vector<oplog::Entry> entries = oplog::ProcessJournal().ReadAll(problems);
    for (const oplog::Entry& e : oplog::Select(entries, o.filter))
        out << (o.json ? oplog::ToJson(e) : Printable(oplog::EntryLine(e))) << '\n';
    for (const std::string& p : problems) Fail(err, kName, p);
    return problems.empty() ? kOk : kFailed;
}

}  // namespace

extern const Command logCommand;
const Command logCommand{
    kName, "[--since YYYY-MM-DD] [--until YYYY-MM-DD] [--operation NAME] [--message TEXT] [--json]",
    "print the operations log (every download, deletion, move, copy, upload, edit, backup, export … of the window "
    "and of plova-cli, with its time, users, main unit, box folder and each message's outcome), oldest first, one "
    "line an entry: of the days from --since to --until (the entry's own date), of one operation (download, "
    "delete, move, copy, upload, response-add, record-edit, rename, box-name, box-folder, wav-delete, "
    "csv-import, export, convert, adopt, backup, verify), with a message whose name contains "
    "TEXT (in any case); --json prints each entry as its JSON line. The log is operations.log in "
    "$XDG_STATE_HOME/plova (~/.local/state/plova; %LOCALAPPDATA%\\PLOVA on Windows). Exit status 0 only when the "
    "whole log was read",
    runLog};

}  // namespace plova::cli
