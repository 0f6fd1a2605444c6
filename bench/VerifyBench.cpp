// Verifying a backup against its manifests, against sha256sum checking the
// same manifest, in one run:
//   verify     backup::VerifyBackup on a root folder with one month of 1,000
//              messages (about 35 MB): every file hashed against its line,
//              every message's structure checked, nothing else listed;
//   sha256sum  `sha256sum --quiet -c SHA256SUMS` in the month folder.
// Prints the median of several rounds of each and the ratio verify/sha256sum
// (target at most 1.3). The files are in the page cache for both.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "backup/BackupManifest.h"
#include "backup/BackupRecord.h"
#include "bench/BenchTiming.h"
#include "store/testing/MessageFiles.h"

using namespace plova;
using plova::bench::Median;
using plova::bench::Seconds;
namespace fs = std::filesystem;

namespace {

constexpr int kMessages = 1'000;
constexpr int kBoxes = 10;
// 35 KB of speech a message: whole 10-byte frames.
constexpr std::size_t kSpeechBytes = 35'000;
constexpr int kRounds = 5;
constexpr double kTarget = 1.3;

}  // namespace

int main() {
    testkit::TempFolder root("bench-verify");
    const fs::path month = root / "BU_202612";
    std::printf("writing %d messages...\n", kMessages);
    for (int i = 0; i < kMessages; ++i) {
        char box[8], name[64];
        std::snprintf(box, sizeof box, "%04d", 1 + i % kBoxes);
        std::snprintf(name, sizeof name, "202612%02d%02d%02d_MON_%s_%05d.vmdat", 1 + i / 1440 % 28, i / 60 % 24, i % 60,
                      box, i);
        const fs::path folder = month / "rusuroku" / box;
        fs::create_directories(folder);
        testkit::WriteMessage(folder / name, testkit::SampleRecord(), testkit::SampleBlock(), kSpeechBytes);
    }
    if (!backup::WriteManifest(month) ||
        !backup::WriteRecord(root.Path(), u"BU_202612", u"202612311200", backup::kStatusComplete, backup::kKindBoxes)) {
        std::fprintf(stderr, "cannot write the manifest or the month's record\n");
        return 1;
    }
    const std::string peer = "cd '" + month.string() + "' && sha256sum --quiet -c SHA256SUMS";

    std::vector<double> verify, peerTimes;
    backup::VerifyReport report;
    int peerStatus = 0;
    for (int round = 0; round < kRounds; ++round) {
        verify.push_back(Seconds([&] { report = backup::VerifyBackup(root.Path()); }));
        peerTimes.push_back(Seconds([&] { peerStatus = std::system(peer.c_str()); }));
    }
    if (!report.Holds() || report.files != kMessages || report.messages != kMessages || peerStatus != 0) {
        std::fprintf(stderr, "verify: %zu problems, %d files, %d messages; sha256sum status %d\n",
                     report.problems.size(), report.files, report.messages, peerStatus);
        return 1;
    }
    const double v = Median(verify), p = Median(peerTimes);
    std::printf("%d messages, %.1f MB, median of %d rounds (warm cache)\n", kMessages,
                kMessages * (store::kMinMessageFileSize + kSpeechBytes) / 1e6, kRounds);
    std::printf("  plova verify             %8.1f ms\n", v * 1e3);
    std::printf("  sha256sum -c             %8.1f ms\n", p * 1e3);
    std::printf("  ratio verify/sha256sum  %.2f  (target <= %.2f) %s\n", v / p, kTarget,
                v / p <= kTarget ? "met" : "MISSED");
    return 0;
}
