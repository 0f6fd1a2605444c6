// plova-cli: the message-store procedures without a window, for scripts and cron.
#include <iostream>

#include "cli/Command.h"
#include "platform/AppPaths.h"

int main(int argc, char** argv) {
    // In UTF-8 on every system: Windows gives argv in its ANSI code page.
    plova::cli::Args args = plova::CommandLineArguments(argc, argv);
    if (!args.empty()) args.erase(args.begin());  // the program's name
    const int code = plova::cli::RunCli(args, std::cout, std::cerr);
    std::cout.flush();
    return code;
}
