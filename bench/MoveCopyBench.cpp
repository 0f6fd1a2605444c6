// Copying 1,000 messages (6 to 60 KB of voice data each, with their
// recording information) from one box into another, in one run:
//   copy  MoveCopyMessages in copy mode, as the 移動・コピー button runs it
//         (per-file space check, each file whole under a hidden name before
//         it takes its own);
//   cp    one cp invocation over the same files into an empty box.
// Prints the median of several rounds of each and the ratio copy/cp
// (target at most 1.5).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchTiming.h"
#include "store/MessageTransfer.h"
#include "store/testing/MessageFiles.h"
#include "store/testing/RecordingTransferWindow.h"

using namespace plova;
using plova::bench::Median;
using plova::bench::Seconds;
namespace fs = std::filesystem;

namespace {

constexpr int kMessages = 1'000;
constexpr int kRounds = 5;
constexpr std::size_t kMinSpeech = std::size_t{6} * 1024;
constexpr std::size_t kMaxSpeech = std::size_t{60} * 1024;

void emptyFolder(const fs::path& dir) {
    fs::remove_all(dir);
    fs::create_directories(dir);
}

}  // namespace

int main() {
    testkit::TempFolder root("bench-movecopy");
    const fs::path source = root / "f/rusuroku/0001";
    const fs::path target = root / "f/naisen/2001";
    const fs::path cpTarget = root / "f/naisen/2002";
    fs::create_directories(source);

    std::printf("writing %d messages...\n", kMessages);
    std::vector<fs::path> files;
    std::uintmax_t bytes = 0;
    for (int i = 0; i < kMessages; ++i) {
        char stem[64];
        std::snprintf(stem, sizeof stem, "202612%02d%02d%02d_abc_0001_%05d", 1 + i / 1440 % 28, i / 60 % 24, i % 60, i);
        const std::size_t speech = kMinSpeech + (kMaxSpeech - kMinSpeech) * static_cast<std::size_t>(i) / kMessages;
        testkit::WriteMessage(source / (std::string(stem) + ".vminf"), testkit::SampleRecord(), testkit::SampleBlock());
        testkit::WriteMessage(source / (std::string(stem) + ".vmdat"), testkit::SampleRecord(), testkit::SampleBlock(),
                              speech);
        files.push_back(source / (std::string(stem) + ".vmdat"));
        bytes += fs::file_size(files.back()) + store::kMinMessageFileSize;
    }
    const std::string cp = "cp -- " + source.string() + "/* " + cpTarget.string() + "/";

    std::vector<double> ours, theirs;
    int handled = 0;
    bool cpOk = true;
    for (int round = 0; round < kRounds; ++round) {
        emptyFolder(target);
        emptyFolder(cpTarget);
        ours.push_back(Seconds([&] {
            testkit::RecordingTransferWindow window;
            handled = MoveCopyMessages(transfer::Mode::Copy, files, target, window).handled;
        }));
        theirs.push_back(Seconds([&] { cpOk = std::system(cp.c_str()) == 0 && cpOk; }));
    }
    const auto count = [](const fs::path& dir) {
        return static_cast<int>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    };
    if (handled != kMessages || !cpOk || count(target) != 2 * kMessages || count(cpTarget) != 2 * kMessages) {
        std::fprintf(stderr, "copied %d of %d messages (%d files), cp %s (%d files)\n", handled, kMessages,
                     count(target), cpOk ? "ran" : "failed", count(cpTarget));
        return 1;
    }
    const double o = Median(ours), t = Median(theirs);
    std::printf("%d messages, %.1f MB, median of %d rounds\n", kMessages, static_cast<double>(bytes) / 1e6, kRounds);
    std::printf("  MoveCopyMessages (copy)  %8.1f ms\n", o * 1e3);
    std::printf("  cp, one invocation       %8.1f ms\n", t * 1e3);
    std::printf("  ratio copy/cp  %.2f  (target <= 1.50) %s\n", o / t, o / t <= 1.5 ? "met" : "MISSED");
    return 0;
}
