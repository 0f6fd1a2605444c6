// plova-cli run in the test's own process, through the entry point main()
// uses, with what it printed on each stream kept for the test to read.
#pragma once

#include <sstream>
#include <string>

#include "cli/Command.h"

namespace plova::testkit {

struct CliOutcome {
    int code;
    std::string out, err;
};

// `args` as main() passes them: no program name, the command first.
inline CliOutcome RunCliCaptured(const cli::Args& args) {
    std::ostringstream out, err;
    const int code = cli::RunCli(args, out, err);
    return {code, out.str(), err.str()};
}

// `command` with `args` after it.
inline CliOutcome RunCommandCaptured(const std::string& command, cli::Args args) {
    args.insert(args.begin(), command);
    return RunCliCaptured(args);
}

}  // namespace plova::testkit
