// The peer a benchmark measures ours against: a program of the Linux machine
// (ffmpeg, lftp) started with its arguments as they are, in the benchmark's
// current folder, where it finds its files by relative names.
//
// The Windows build runs under Wine, which starts a Linux program from a
// Windows one in the Linux folder behind the current folder, but hands back
// no process to wait for and passes it none of our pipes. So the peer is
// started through the machine's shell on both platforms, which leaves the
// peer's exit status in a file of the current folder once it has ended; the
// benchmark waits for that file. Linux benchmarks have always started their
// peers through the shell, so its figures stay comparable.
#pragma once

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/testing/HelperProcess.h"

namespace plova::bench {

// The peer's program as the Linux machine names it: the environment variable
// `variable` when set (a machine whose peer lives elsewhere), else the one
// found when the benchmark was built.
inline std::string PeerProgram(const char* variable, const char* builtIn) {
    const char* set = std::getenv(variable);
    return set && *set ? set : builtIn;
}

// The benchmark's current folder for as long as it lives; the folder before
// is restored after, so the work folder can be removed (Windows keeps a
// current folder in use).
class InFolder {
public:
    explicit InFolder(const std::filesystem::path& folder) : before_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~InFolder() {
        std::error_code ignored;
        std::filesystem::current_path(before_, ignored);
    }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

private:
    std::filesystem::path before_;
};

// Runs `program` (a Linux path) with `args` through `shell` (the shell as
// this build starts it) to its end; its output is dropped, its errors are
// shown. True when it exited with 0; false when it failed, or left no status
// within `limit` (the shell could not be started).
inline bool RunPeer(const std::filesystem::path& shell, const std::string& program,
                    const std::vector<std::string>& args,
                    std::chrono::steady_clock::duration limit = std::chrono::minutes(10)) {
    namespace fs = std::filesystem;
    const fs::path status = ".peer-status";
    std::error_code ignored;
    fs::remove(status, ignored);
    // The status is written aside and renamed into place: a file that is
    // there is whole.
    std::vector<std::string> words{
        "-c", "\"$0\" \"$@\" > /dev/null; echo $? > .peer-status.part && mv .peer-status.part .peer-status", program};
    words.insert(words.end(), args.begin(), args.end());
    {
        testkit::HelperProcess run(shell, words);
        run.CloseInput();
        while (run.ReadLine()) {}
        run.Wait();  // returns at once where there is no process to wait for
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!fs::exists(status)) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    int code = -1;
    std::ifstream(status) >> code;
    fs::remove(status, ignored);
    return code == 0;
}

}  // namespace plova::bench
