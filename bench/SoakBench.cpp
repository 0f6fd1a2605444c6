// Soak run: many working sessions in one process against the simulated main
// unit — log in, list the boxes, download a box with conversion to WAV,
// delete it again on the PC, log out — and whether descriptors, threads or
// resident memory grow from one session to the next. Not a test: it prints
// its figures, and exits 1 only when something plainly accumulates.
//
// bench_soak [CYCLES]   (default 200)
#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/BenchTiming.h"
#include "download/DownloadMng.h"
#include "link/CFtpMng.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"
#include "sim/MainUnitServer.h"
#include "sim/SeedMainUnit.h"

namespace {

namespace fs = std::filesystem;
using namespace plova;

struct Usage {
    long descriptors = 0;
    long threads = 0;
    long residentKiB = 0;
};

long countEntries(const char* folder) {
    long n = 0;
    if (DIR* d = ::opendir(folder)) {
        while (const dirent* e = ::readdir(d))
            if (e->d_name[0] != '.') ++n;
        ::closedir(d);
    }
    return n - 1;  // the descriptor opendir itself holds
}

long statusField(const std::string& key) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key + ":", 0) == 0) return std::strtol(line.c_str() + key.size() + 1, nullptr, 10);
    return -1;
}

Usage usageNow() {
    return {countEntries("/proc/self/fd"), statusField("Threads"), statusField("VmRSS")};
}

// One working session. False, with the reason on stderr, when a step fails.
bool session(CFtpMng& ftp, std::uint16_t port, const fs::path& localBox, int expectedMessages) {
    if (ftp.Login(u"127.0.0.1", u"admin", u"admin", port) != ftp::LoginResult::Ok) {
        std::fprintf(stderr, "login failed\n");
        return false;
    }
    std::u16string root, answering, extension;
    if (ftp.ListFolders(root, answering, extension) != ftp::ListResult::Listed) {
        std::fprintf(stderr, "listing the folders failed\n");
        return false;
    }
    DownloadMng downloader(ftp, DownloadOptions{true, 0});
    int handled = 0, listed = 0;
    const DownloadResult result = downloader.DownloadBox(u"/rusuroku/0001", localBox, handled, listed);
    ftp.Logout();
    if (result != DownloadResult::Ok) {
        std::fprintf(stderr, "download gave %d\n", ResultCode(result));
        return false;
    }
    int wavs = 0;
    for (const auto& entry : fs::directory_iterator(localBox))
        if (entry.path().extension() == ".wav") ++wavs;
    if (wavs != expectedMessages) {
        std::fprintf(stderr, "%d WAV files for %d messages\n", wavs, expectedMessages);
        return false;
    }
    // Deleting on the PC: the box sub-folder is emptied for the next round.
    for (const auto& entry : fs::directory_iterator(localBox)) fs::remove(entry.path());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 200;
    if (cycles < 2) {
        std::fprintf(stderr, "usage: bench_soak [CYCLES >= 2]\n");
        return 2;
    }
    testkit::TempFolder temp("soak");
    testkit::TestPorts ports;
    const fs::path disk = temp / "mainunit";
    const auto seeded = sim::SeedMainUnit(disk);
    if (!seeded.ok) {
        std::fprintf(stderr, "seeding failed: %s\n", seeded.error.c_str());
        return 1;
    }
    int expected = 0;
    for (const auto& m : seeded.boxMessages)
        if (m.voiceFile.parent_path().filename() == "0001" &&
            m.voiceFile.parent_path().parent_path().filename() == "rusuroku")
            ++expected;

    sim::Options options;
    options.root = disk;
    sim::MainUnitServer server(options);
    if (!server.Start()) {
        std::fprintf(stderr, "the simulator did not start\n");
        return 1;
    }
    const fs::path localBox = temp / "pc" / "demo" / "rusuroku" / "0001";
    fs::create_directories(localBox);
    CFtpMng ftp;

    // The first session warms every cache and pool; growth is measured after it.
    if (!session(ftp, server.Port(), localBox, expected)) return 1;
    const Usage before = usageNow();
    const double seconds = bench::Seconds([&] {
        for (int i = 1; i < cycles; ++i) {
            if (!session(ftp, server.Port(), localBox, expected)) std::exit(1);
            // The recording test ports keep what they were sent; a real window does not.
            ports.progress.sent.clear();
            ports.prompt.shown.clear();
        }
    });
    const Usage after = usageNow();

    std::printf("soak: %d sessions of log in, list, download %d messages with WAV conversion, delete, log out\n",
                cycles, expected);
    std::printf("  %.1f ms a session\n", 1000.0 * seconds / (cycles - 1));
    std::printf("  descriptors    %6ld -> %6ld\n", before.descriptors, after.descriptors);
    std::printf("  threads        %6ld -> %6ld\n", before.threads, after.threads);
    std::printf("  resident KiB   %6ld -> %6ld  (%+ld)\n", before.residentKiB, after.residentKiB,
                after.residentKiB - before.residentKiB);
    // Noise: allocator arenas settle within a few hundred KiB; a leak of one
    // message's worth a session would show as megabytes.
    const bool grew = after.descriptors > before.descriptors || after.threads > before.threads ||
                      after.residentKiB - before.residentKiB > 2048;
    std::printf("  %s\n", grew ? "GROWTH" : "no growth beyond noise");
    return grew ? 1 : 0;
}
