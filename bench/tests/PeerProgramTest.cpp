// The peer runner of the benchmarks: a peer's exit status decides, whatever
// the build (the Windows one runs the machine's shell under Wine), and the
// benchmark's folder is left as it was found.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/PeerProgram.h"
#include "platform/testing/TempFolder.h"

namespace fs = std::filesystem;
using plova::bench::InFolder;
using plova::bench::RunPeer;

TEST(PeerProgram, TheExitStatusOfThePeerDecides) {
    const plova::testkit::TempFolder work("peer");
    const fs::path before = fs::current_path();
    {
        const InFolder in(work.Path());
        struct Case {
            const char* what;
            std::string program;
            std::vector<std::string> args;
            bool ok;
        };
        const Case cases[] = {
            {"exits with 0", PLOVA_TEST_SH, {"-c", "exit 0"}, true},
            {"exits with 1", PLOVA_TEST_SH, {"-c", "exit 1"}, false},
            {"is killed", PLOVA_TEST_SH, {"-c", "kill -9 $$"}, false},
            {"does not exist", "/nonexistent/peer", {}, false},
            {"writes a file by a relative name", PLOVA_TEST_SH, {"-c", "echo made > made.txt"}, true},
            {"gets a space and quotes in one argument",
             PLOVA_TEST_SH,
             {"-c", "test \"$0\" = 'a \"b\" c'", "a \"b\" c"},
             true},
        };
        for (const auto& c : cases) {
            EXPECT_EQ(RunPeer(PLOVA_PEER_SHELL, c.program, c.args), c.ok) << c.what;
            EXPECT_FALSE(fs::exists(work / ".peer-status")) << c.what;
        }
        // The peer ran in the benchmark's current folder.
        EXPECT_TRUE(fs::exists(work / "made.txt"));
        // No shell, no status: the wait ends at its limit.
        EXPECT_FALSE(RunPeer(work / "no-shell", PLOVA_TEST_SH, {"-c", "exit 0"}, std::chrono::milliseconds(200)));
    }
    EXPECT_EQ(fs::current_path(), before);
}
