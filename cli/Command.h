// One command of plova-cli. Each command lives in its own source file and
// defines one `const Command <name>Command`; CommandList.h names them all.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace plova::cli {

using Args = std::vector<std::string>;

struct Command {
    const char* name;      // "records"
    const char* synopsis;  // "FOLDER"
    const char* summary;   // one line for --help
    // Runs with the arguments after the command name. Results go to `out`;
    // a failure is one line on `err` (see fail()) and a non-zero result.
    int (*run)(const Args& args, std::ostream& out, std::ostream& err);
};

// Exit codes.
constexpr int kOk = 0;
constexpr int kFailed = 1;  // the command ran and something could not be done
constexpr int kUsage = 2;   // wrong arguments
// Another run is working on the same folder or settings file; nothing was
// done, and a later try may succeed (EX_TEMPFAIL).
constexpr int kBusy = 75;

// The text with every control character (a line feed in a file name, say)
// written as \xNN, so that one result stays one line.
std::string Printable(std::string_view text);

// A path as the user gave or is to read it: its UTF-8 text on every system,
// made printable. (A path's narrow form is the ANSI code page on Windows, in
// which a Japanese name may not even exist.)
std::string PrintablePath(const std::filesystem::path& path);

// Writes "plova-cli: <command>: <message>" as one line and returns `code`.
int Fail(std::ostream& err, const char* command, const std::string& message, int code = kFailed);

// A level in whole decibels, -128 to 127, as --level takes it.
std::optional<int> ParseLevel(const std::string& text);
constexpr const char* kLevelRangeText = "--level takes a whole number of decibels from -128 to 127";

// The table of every command, in the order --help lists them.
const std::vector<const Command*>& Commands();

// Runs plova-cli with argv[1..] (no program name): "--help", "COMMAND --help" or "COMMAND ARGS…".
int RunCli(const Args& args, std::ostream& out, std::ostream& err);

}  // namespace plova::cli
