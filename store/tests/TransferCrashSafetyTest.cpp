// A move killed at any moment leaves every message whole on one side. The
// run is killed in a child process made with fork, which Windows lacks.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>


#include "platform/testing/TestPorts.h"
#include "store/MessageTransfer.h"
#include "store/testing/MessageFiles.h"
#include "store/testing/RecordingTransferWindow.h"

namespace plova {
namespace {

namespace fs = std::filesystem;
using namespace testkit;
using transfer::Mode;

// A move killed at many moments: every message is whole in the source box
// or in the target box, every file there is byte for byte the original, and
// no message is in neither.
TEST(TransferCrashSafety, AMoveKilledAnywhereLeavesEveryMessageWholeOnOneSide) {
    TempFolder root{"transfer-kill"};
    const fs::path source = root / "rusuroku" / "0001", target = root / "naisen" / "2001";
    constexpr int kMessages = 40;
    int interrupted = 0;  // kills that left messages on both sides
    for (int signalAfter : {1, 2, 5, 10, 20, 30, 39}) {
        SCOPED_TRACE("killed after " + std::to_string(signalAfter) + " steps");
        fs::remove_all(root / "rusuroku"), fs::remove_all(root / "naisen");
        fs::create_directories(source), fs::create_directories(target);
        std::vector<fs::path> files;
        for (int n = 0; n < kMessages; ++n) {
            const std::string stem = "20261207" + std::to_string(1000 + n) + "_abc_0001_" + std::to_string(10000 + n);
            WriteMessage(source / (stem + ".vminf"), SampleRecord(), SampleBlock());
            WriteMessage(source / (stem + ".vmdat"), SampleRecord(), SampleBlock(), 20000 + 997 * n);
            if (n % 2) WriteBytes(source / (stem + ".wav"), Speech(30000 + n));
            files.push_back(source / (stem + ".vmdat"));
        }
        const FolderFiles original = SnapshotOf(source);

        int steps[2];
        ASSERT_EQ(::pipe(steps), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // The child tells each step of the run down the pipe and carries on.
            ::close(steps[0]);
            TestPorts ports;
            ports.pump.Every([&] { (void)!::write(steps[1], "s", 1); });
            RecordingTransferWindow window;
            (void)MoveCopyMessages(Mode::Move, files, target, window);  // killed before it ends
            ::_exit(0);
        }
        ::close(steps[1]);
        char c;
        for (int i = 0; i < signalAfter && ::read(steps[0], &c, 1) == 1; ++i) {}
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(steps[0]);

        const FolderFiles left = SnapshotOf(source), moved = SnapshotOf(target);
        interrupted += !left.empty() && !moved.empty();
        for (const auto& [name, bytes] : left)
            EXPECT_TRUE(bytes == original.at(name)) << "torn in the source: " << name;
        for (const auto& [name, bytes] : moved)
            if (!name.starts_with(".")) {
                EXPECT_TRUE(bytes == original.at(name)) << "torn in the target: " << name;
            }
        for (const fs::path& f : files) {
            const std::string stem = f.stem().string();
            const auto wholeIn = [&](const FolderFiles& side) {
                for (const auto& [name, bytes] : original)
                    if (name.starts_with(stem) && !side.count(name)) return false;
                return true;
            };
            EXPECT_TRUE(wholeIn(left) || wholeIn(moved)) << stem << " is whole on neither side";
        }
    }
    // The kills fell in the middle of runs, or the test proved nothing.
    EXPECT_GT(interrupted, 3);
}

}  // namespace
}  // namespace plova
