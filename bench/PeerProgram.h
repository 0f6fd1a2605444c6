// The peer a benchmark measures ours against: another program started with
// its arguments as they are (no shell between, so the same call works on
// every platform), in the benchmark's current folder, its output read and
// dropped.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/testing/HelperProcess.h"

namespace plova::bench {

// The peer's program: the environment variable `variable` when set (a
// machine whose peer lives elsewhere), else the one found when the benchmark
// was built.
inline std::filesystem::path PeerProgram(const char* variable, const char* builtIn) {
    const char* set = std::getenv(variable);
    return std::filesystem::path(set && *set ? set : builtIn);
}

// The benchmark's current folder for as long as it lives, where the peer
// finds its files by relative names; the folder before is restored after,
// so the work folder can be removed (Windows keeps a current folder).
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

// Runs the peer to its end: whether it started and exited with 0.
inline bool RunPeer(const std::filesystem::path& program, const std::vector<std::string>& args) {
    testkit::HelperProcess peer(program, args);
    if (!peer.Started()) return false;
    peer.CloseInput();
    while (peer.ReadLine()) {}
    return peer.Wait() == 0;
}

}  // namespace plova::bench
