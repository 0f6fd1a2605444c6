// Loading the records of a box folder of 10,000 messages, against the floor
// of the disk work it has to do, in one run:
//   load   CFileMng::LoadFolderRecords on the folder, as a list window does it
//          (enumerate, read record and block, validate, fill path, box number
//          and box name);
//   floor  one loop that opens each of the same 10,000 files and reads its
//          first 1,246 bytes, with the list of paths already in hand.
// Prints the median of several rounds of each and the ratio load/floor
// (target at most 2.5).
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchTiming.h"
#include "store/CFileMng.h"
#include "store/testing/MessageFiles.h"

using namespace plova;
using plova::bench::Median;
using plova::bench::Seconds;
namespace fs = std::filesystem;

namespace {

constexpr int kMessages = 10'000;
constexpr int kRounds = 7;

}  // namespace

int main() {
    testkit::TempFolder root("bench-load");
    const fs::path box = root / "f/rusuroku/0012";
    fs::create_directories(box);
    CFileMng::WriteBoxName(box, u"営業部");

    std::printf("writing %d messages...\n", kMessages);
    std::vector<fs::path> files;
    for (int i = 0; i < kMessages; ++i) {
        char name[64];
        // Every fourth message has its information only; the rest carry a second of speech.
        const bool infoOnly = i % 4 == 0;
        std::snprintf(name, sizeof name, "202612%02d%02d%02d_abc_0012_%05d.%s", 1 + i / 1440 % 28, i / 60 % 24, i % 60,
                      i, infoOnly ? "vminf" : "vmdat");
        files.push_back(box / name);
        testkit::WriteMessage(files.back(), testkit::SampleRecord(), testkit::SampleBlock(), infoOnly ? 0 : 1000);
    }

    std::vector<double> load, floor;
    std::size_t loaded = 0, floorBytes = 0;
    for (int round = 0; round < kRounds; ++round) {
        load.push_back(Seconds([&] {
            std::vector<FILESTS_INFO> records;
            CFileMng::LoadFolderRecords(box, records);
            loaded = records.size();
        }));
        floor.push_back(Seconds([&] {
            char head[store::kMinMessageFileSize];
            floorBytes = 0;
            for (const fs::path& f : files) {
                const int fd = ::open(f.c_str(), O_RDONLY | O_CLOEXEC);
                if (fd < 0) continue;
                const ssize_t n = ::read(fd, head, sizeof head);
                if (n > 0) floorBytes += static_cast<std::size_t>(n);
                ::close(fd);
            }
        }));
    }
    if (loaded != files.size() || floorBytes != files.size() * store::kMinMessageFileSize) {
        std::fprintf(stderr, "loaded %zu of %zu messages, floor read %zu bytes\n", loaded, files.size(), floorBytes);
        return 1;
    }
    const double l = Median(load), f = Median(floor);
    std::printf("%d messages in one box folder, median of %d rounds (warm cache)\n", kMessages, kRounds);
    std::printf("  LoadFolderRecords        %8.1f ms\n", l * 1e3);
    std::printf("  read first 1246 bytes    %8.1f ms\n", f * 1e3);
    std::printf("  ratio load/floor  %.2f  (target <= 2.50) %s\n", l / f, l / f <= 2.5 ? "met" : "MISSED");
    return 0;
}
