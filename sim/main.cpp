// mainunit-sim: serves a directory tree as the main unit's disk over FTP on
// loopback (or any IPv4 address), and makes realistic demo contents for it.
//
//   mainunit-sim --root DIR [--port P] [--bind ADDR] [--user U --password W] [--log]
//                [--fault NAME[=VALUE]]...
//   mainunit-sim --seed DIR [--seed-number N]          write a demo main unit and exit
//   mainunit-sim --seed DIR --root DIR ...             write it, then serve
//
// The first line on standard output is "port N" once the server listens, so
// scripts can read the port. SIGINT or SIGTERM (Ctrl+C on Windows) stops the server.
#include "platform/AppPaths.h"
#include "platform/StopRequest.h"
#include "platform/Text.h"
#include "sim/MainUnitServer.h"
#include "sim/SeedMainUnit.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

void usage() {
    std::fprintf(
        stderr,
        "usage: mainunit-sim --root DIR [--port P] [--bind ADDR] [--user U --password W] [--log]\n"
        "                    [--fault NAME[=VALUE]]...\n"
        "       mainunit-sim --seed DIR [--seed-number N] [--root DIR ...]\n"
        "faults: model=TEXT greeting-code=N refuse-login drop-after=BYTES stall=MS trickle=BYTES_PER_S\n"
        "        endless-retr endless-listing overlong-reply multiline garbage-reply hostile-listing\n"
        "        huge-listing=BYTES error-after-transfer\n"
        "        short-retr=BYTES long-retr=BYTES (RETR ends with 226 after that many bytes too few or too many)\n"
        "        in-use=NAME no-room refuse-retr=NAME:CODE fail-dele=NAME:CODE (CODE 0: hang up)\n");
}

bool applyFault(const std::string& text, plova::sim::Faults& f) {
    auto eq = text.find('=');
    const std::string name = text.substr(0, eq);
    const std::string value = eq == std::string::npos ? "" : text.substr(eq + 1);
    // A whole decimal number from 0 to max.
    const auto number = [&value](long long max) { return plova::ParseWholeNumber(value, 0, max); };
    std::optional<long long> n;
    if (name == "model")
        f.greetingModel = value;
    else if (name == "greeting-code" && (n = number(999)))
        f.greetingCode = static_cast<int>(*n);
    else if (name == "refuse-login")
        f.refuseLogin = true;
    else if (name == "drop-after" && (n = number(LLONG_MAX)))
        f.dropAfterBytes = static_cast<std::uint64_t>(*n);
    else if (name == "stall" && (n = number(3600000)))
        f.stallMillis = static_cast<int>(*n);
    else if (name == "trickle" && (n = number(0xFFFFFFFFLL)) && *n > 0)
        f.trickleBytesPerSecond = static_cast<std::uint32_t>(*n);
    else if (name == "endless-retr")
        f.endlessRetr = true;
    else if (name == "endless-listing")
        f.endlessListing = true;
    else if (name == "overlong-reply")
        f.overlongReply = true;
    else if (name == "multiline")
        f.multilineReplies = true;
    else if (name == "garbage-reply")
        f.garbageReply = true;
    else if (name == "hostile-listing")
        f.hostileListing = true;
    else if (name == "huge-listing" && (n = number(1LL << 32)))
        f.hugeListingBytes = static_cast<std::uint64_t>(*n);
    else if (name == "error-after-transfer")
        f.errorAfterTransfer = true;
    else if ((name == "short-retr" || name == "long-retr") && (n = number(LLONG_MAX)))
        f.retrLengthChange = name == "short-retr" ? -*n : *n;
    else if (name == "in-use" && !value.empty())
        f.inUse.insert(value);
    else if (name == "no-room")
        f.noRoom = true;
    else if (name == "refuse-retr" || name == "fail-dele") {
        // NAME:CODE, a reply code; a failed DELE may also hang up (code 0).
        const auto colon = value.rfind(':');
        if (colon == std::string::npos || colon == 0) return false;
        const std::string codeText = value.substr(colon + 1);
        const bool hangUp = name == "fail-dele" && codeText == "0";
        const auto code = hangUp ? std::optional<long long>(0) : plova::ParseWholeNumber(codeText, 100, 599);
        if (!code) return false;
        (name == "refuse-retr" ? f.refuseRetr : f.failDele)[value.substr(0, colon)] = static_cast<int>(*code);
    } else
        return false;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    // UTF-8 on every system (on Windows read from the wide command line), so
    // that a folder with a Japanese name can be served.
    const std::vector<std::string> args = plova::CommandLineArguments(argc, argv);
    argc = static_cast<int>(args.size());
    plova::sim::Options options;
    std::string seedDir;
    std::uint32_t seedNumber = plova::sim::SeedOptions{}.seed;
    bool haveRoot = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = args[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "mainunit-sim: %s needs a value\n", arg.c_str());
                std::exit(2);
            }
            return args[++i].c_str();
        };
        if (arg == "--root")
            options.root = plova::PathFromUtf8(value()), haveRoot = true;
        else if (arg == "--port") {
            const auto port = plova::ParseWholeNumber(value(), 0, 65535);
            if (!port) return usage(), 2;
            options.port = static_cast<std::uint16_t>(*port);
        } else if (arg == "--bind")
            options.bindAddress = value();
        else if (arg == "--user")
            options.user = value();
        else if (arg == "--password")
            options.password = value();
        else if (arg == "--log")
            options.log = true;
        else if (arg == "--seed")
            seedDir = value();
        else if (arg == "--seed-number") {
            const auto number = plova::ParseWholeNumber(value(), 0, 0xFFFFFFFFLL);
            if (!number) return usage(), 2;
            seedNumber = static_cast<std::uint32_t>(*number);
        } else if (arg == "--fault") {
            if (!applyFault(value(), options.faults)) {
                std::fprintf(stderr, "mainunit-sim: unknown fault %s\n", args[i].c_str());
                return usage(), 2;
            }
        } else if (arg == "--help" || arg == "-h") {
            usage();
            return 0;
        } else {
            std::fprintf(stderr, "mainunit-sim: unknown argument %s\n", arg.c_str());
            usage();
            return 2;
        }
    }
    if (seedDir.empty() && !haveRoot) return usage(), 2;

    if (!seedDir.empty()) {
        plova::sim::SeedOptions seed;
        seed.seed = seedNumber;
        auto result = plova::sim::SeedMainUnit(plova::PathFromUtf8(seedDir), seed);
        if (!result.ok) {
            std::fprintf(stderr, "mainunit-sim: %s\n", result.error.c_str());
            return 1;
        }
        std::fprintf(stderr, "mainunit-sim: wrote %zu box messages and %zu system response messages to %s\n",
                     result.boxMessages.size(), result.responseMessages.size(), seedDir.c_str());
        if (!haveRoot) return 0;
    }

    // Before the server's threads start.
    plova::PrepareForStopRequest();

    std::error_code ec;
    if (!std::filesystem::is_directory(options.root, ec)) {
        std::fprintf(stderr, "mainunit-sim: %s is not a directory\n", plova::Utf8Of(options.root).c_str());
        return 1;
    }
    plova::sim::MainUnitServer server(options);
    if (!server.Start()) {
        std::fprintf(stderr, "mainunit-sim: cannot listen on %s:%u\n", options.bindAddress.c_str(), options.port);
        return 1;
    }
    std::printf("port %u\n", server.Port());
    std::fflush(stdout);
    plova::WaitForStopRequest();
    server.Stop();
    return 0;
}
