// The real plova-cli in a process of its own, started with fork and exec:
// Linux only.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "cli/Command.h"

namespace plova::testkit {

// The real plova-cli (`executable`) in a process of its own, as cron starts
// it beside another run, with what it writes on stderr going to `errFile`.
class CliProcess {
public:
    CliProcess(const std::string& executable, const cli::Args& args, std::filesystem::path errFile)
        : errFile_(std::move(errFile)) {
        // Everything the child needs is made before the fork: the simulator's
        // threads may hold the allocator's lock at that moment.
        std::vector<std::string> words{executable};
        words.insert(words.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& w : words) argv.push_back(w.data());
        argv.push_back(nullptr);
        const int err = ::open(errFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        pid_ = ::fork();
        if (pid_ != 0) {
            ::close(err);
            return;
        }
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(err, 2);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ~CliProcess() {
        if (pid_ > 0 && !done_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    // What it has written on stderr so far.
    [[nodiscard]] std::string Err() const {
        std::ifstream in(errFile_);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Waits until its stderr holds `text`; false when it ended first or never did.
    bool WaitFor(const std::string& text, std::chrono::seconds limit = std::chrono::seconds(30)) {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < until) {
            if (Err().find(text) != std::string::npos) return true;
            if (::waitpid(pid_, &status_, WNOHANG) == pid_) {
                done_ = true;
                return Err().find(text) != std::string::npos;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }
    // Its exit status; -1 when it did not exit.
    int Wait() {
        if (!done_) ::waitpid(pid_, &status_, 0);
        done_ = true;
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }

private:
    std::filesystem::path errFile_;
    pid_t pid_ = -1;
    int status_ = 0;
    bool done_ = false;
};

}  // namespace plova::testkit
