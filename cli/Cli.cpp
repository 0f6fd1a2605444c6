#include <cstring>

#include "cli/Command.h"
#include "platform/Text.h"

namespace plova::cli {

#define PLOVA_COMMAND(name) extern const Command name##Command;
#include "cli/CommandList.h"
#undef PLOVA_COMMAND

const std::vector<const Command*>& commands() {
    static const std::vector<const Command*> table = {
#define PLOVA_COMMAND(name) &name##Command,
#include "cli/CommandList.h"
#undef PLOVA_COMMAND
    };
    return table;
}

int fail(std::ostream& err, const char* command, const std::string& message, int code) {
    err << "plova-cli: ";
    if (command && *command) err << command << ": ";
    // One line, whatever the message carries.
    for (char c : message) err << (c == '\n' || c == '\r' ? ' ' : c);
    err << '\n';
    return code;
}

std::optional<int> parseLevel(const std::string& text) {
    constexpr long kMinLevel = -128;
    constexpr long kMaxLevel = 127;
    const auto value = parseWholeNumber(text, kMinLevel, kMaxLevel);
    if (!value) return std::nullopt;
    return static_cast<int>(*value);
}

namespace {

bool isHelp(const std::string& a) { return a == "--help" || a == "-h"; }

void printUsage(std::ostream& out) {
    out << "Usage: plova-cli COMMAND [ARGS…]\n"
           "Works on the local copy of the main unit's messages without a window.\n\n"
           "Commands:\n";
    for (const Command* c : commands()) out << "  " << c->name << ' ' << c->synopsis << "\n      " << c->summary << '\n';
    out << "\n\"plova-cli COMMAND --help\" describes one command.\n";
}

}  // namespace

int runCli(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        printUsage(err);
        return kUsage;
    }
    if (isHelp(args[0])) {
        printUsage(out);
        return kOk;
    }
    for (const Command* c : commands()) {
        if (args[0] != c->name) continue;
        const Args rest(args.begin() + 1, args.end());
        if (!rest.empty() && isHelp(rest[0])) {
            out << "Usage: plova-cli " << c->name << ' ' << c->synopsis << '\n' << c->summary << '\n';
            return kOk;
        }
        return c->run(rest, out, err);
    }
    return fail(err, nullptr, "unknown command \"" + args[0] + "\" (see plova-cli --help)", kUsage);
}

}  // namespace plova::cli
