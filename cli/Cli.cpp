#include <cstring>
#include <exception>

#include "cli/Command.h"
#include "oplog/OperationLog.h"
#include "platform/Text.h"

namespace plova::cli {

#define PLOVA_COMMAND(name) extern const Command name##Command;
#include "cli/CommandList.h"
#undef PLOVA_COMMAND

const std::vector<const Command*>& Commands() {
    static const std::vector<const Command*> table = {
#define PLOVA_COMMAND(name) &name##Command,
#include "cli/CommandList.h"
#undef PLOVA_COMMAND
    };
    return table;
}

std::string Printable(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u != 0x7F) {
            out += c;
        } else {
            out += "\\x";
            out += kHex[u >> 4];
            out += kHex[u & 0xF];
        }
    }
    return out;
}

std::string PrintablePath(const std::filesystem::path& path) {
    return Printable(Utf8Of(path));
}

int Fail(std::ostream& err, const char* command, const std::string& message, int code) {
    err << "plova-cli: ";
    if (command && *command) err << command << ": ";
    // One line, whatever the message carries.
    err << Printable(message);
    err << '\n';
    return code;
}

std::optional<int> ParseLevel(const std::string& text) {
    constexpr long kMinLevel = -128;
    constexpr long kMaxLevel = 127;
    const auto value = ParseWholeNumber(text, kMinLevel, kMaxLevel);
    if (!value) return std::nullopt;
    return static_cast<int>(*value);
}

namespace {

bool isHelp(const std::string& a) {
    return a == "--help" || a == "-h";
}

void printUsage(std::ostream& out) {
    out << "Usage: plova-cli COMMAND [ARGS…]\n"
           "Works on the local copy of the main unit's messages without a window.\n\n"
           "Commands:\n";
    for (const Command* c : Commands())
        out << "  " << c->name << ' ' << c->synopsis << "\n      " << c->summary << '\n';
    out << "\n\"plova-cli COMMAND --help\" describes one command.\n";
}

}  // namespace

int RunCli(const Args& args, std::ostream& out, std::ostream& err) {
    oplog::SetFrontEnd(oplog::FrontEnd::Cli);
    if (args.empty()) {
        printUsage(err);
        return kUsage;
    }
    if (isHelp(args[0])) {
        printUsage(out);
        return kOk;
    }
    for (const Command* c : Commands()) {
        if (args[0] != c->name) continue;
        const Args rest(args.begin() + 1, args.end());
        if (!rest.empty() && isHelp(rest[0])) {
            out << "Usage: plova-cli " << c->name << ' ' << c->synopsis << '\n' << c->summary << '\n';
            return kOk;
        }
        // Whatever escapes a command (memory running out, say) is one line
        // and a failure, never an abort with a core dump.
        try {
            return c->run(rest, out, err);
        } catch (const std::exception& e) {
            return Fail(err, c->name, std::string("stopped: ") + e.what());
        } catch (...) {
            return Fail(err, c->name, "stopped by an unexpected error");
        }
    }
    return Fail(err, nullptr, "unknown command \"" + args[0] + "\" (see plova-cli --help)", kUsage);
}

}  // namespace plova::cli
