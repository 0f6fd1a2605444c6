// plova-cli: the message-store procedures without a window, for scripts and cron.
#include <iostream>

#include "cli/Command.h"

int main(int argc, char** argv) {
    const plova::cli::Args args(argv + 1, argv + argc);
    const int code = plova::cli::RunCli(args, std::cout, std::cerr);
    std::cout.flush();
    return code;
}
