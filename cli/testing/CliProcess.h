// The real plova-cli in a process of its own, as cron or the task scheduler
// starts it beside another run.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "cli/Command.h"
#include "platform/AppPaths.h"
#include "platform/Text.h"
#include "platform/testing/FileBytes.h"
#include "platform/testing/HelperProcess.h"

namespace plova::testkit {

// plova-cli as built beside the test program; the test's build names it in
// PLOVA_CLI_NAME.
inline std::filesystem::path CliProgram() {
    return ExecutableFolder() / PathFromUtf8(PLOVA_CLI_NAME);
}

// plova-cli run with `args`, with what it writes on stdout and stderr going
// to `outputFile`.
class CliProcess {
public:
    CliProcess(const cli::Args& args, std::filesystem::path outputFile)
        : outputFile_(std::move(outputFile)), process_(CliProgram(), args, outputFile_) {}

    [[nodiscard]] bool Started() const { return process_.Started(); }
    // What it has written so far.
    [[nodiscard]] std::string Output() const { return ReadFileBytes(outputFile_); }
    // Waits until its output holds `text`; false when it ended first or never did.
    bool WaitFor(const std::string& text, std::chrono::seconds limit = std::chrono::seconds(30)) {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < until) {
            const bool ended = process_.Ended();
            if (Output().find(text) != std::string::npos) return true;
            if (ended) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }
    // Its exit status.
    int Wait() { return process_.Wait(); }

private:
    std::filesystem::path outputFile_;
    HelperProcess process_;
};

}  // namespace plova::testkit
