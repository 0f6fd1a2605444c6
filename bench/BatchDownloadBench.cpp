// A batch download (kind 0) of a main unit with 1,000 messages (2,000 files:
// a ".vminf" of 256 bytes and a ".vmdat" of 6 to 60 KB each, in ten boxes)
// from the simulator over loopback, two ways in one run:
//   ours  the batch driver as "一括ﾀﾞｳﾝﾛｰﾄﾞ" runs it: count phase, every
//         box, status records, receiving names and renames;
//   lftp  one `lftp -e "set ftp:passive-mode off; mirror …"` invocation
//         fetching the same tree, what a user would otherwise run.
// Prints the median of several rounds of each and the ratio ours/lftp
// (target at most 0.8).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchTiming.h"
#include "bench/PeerProgram.h"
#include "download/DownloadDrivers.h"
#include "platform/testing/TempFolder.h"
#include "sim/MainUnitServer.h"
#include "store/CFileMng.h"
#include "store/RecordingBlock.h"

using namespace plova;
using plova::bench::Median;
using plova::bench::Seconds;
namespace fs = std::filesystem;

namespace {

constexpr int kBoxes = 10;
constexpr int kMessagesPerBox = 100;
constexpr std::size_t kMinSpeech = std::size_t{6} * 1024;
constexpr std::size_t kMaxSpeech = std::size_t{60} * 1024;
constexpr int kRounds = 3;

std::string boxName(int box) {
    char name[16];
    std::snprintf(name, sizeof name, "%04d", box);
    return name;
}

std::string messageName(int box, int n, const char* extension) {
    char name[64];
    std::snprintf(name, sizeof name, "20261201%02d%02d_ABC_%s_%05d%s", n / 60 % 24, n % 60, boxName(box).c_str(), n,
                  extension);
    return name;
}

void write(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class QuietView final : public DownloadView {
public:
    void OpenProgress() override {}
    void SetTotals(int, int) override {}
    void CloseProgress() override {}
    void Logout() override {}
};

class SilentPrompt final : public Prompt {
public:
    Answer Show(const std::u16string& text, const std::u16string&, Icon, Buttons b) override {
        last = text;
        return FirstButton(b);
    }
    std::u16string last;
};

}  // namespace

int main() {
    const testkit::TempFolder work("bench-batch");
    const fs::path disk = work / "disk";
    std::mt19937 random(11);
    std::uint64_t bytesTotal = 0;
    for (int box = 1; box <= kBoxes; ++box) {
        const fs::path dir = disk / "rusuroku" / boxName(box);
        fs::create_directories(dir);
        for (int n = 1; n <= kMessagesPerBox; ++n) {
            RecordingBlock b;
            b.dateText = "Tue, 1 Dec 2026 10:00:00 +0900";
            b.partyNumber = "0312345678";
            b.recordingTenths = 100;
            b.boxDigits = boxName(box);
            const BlockBytes block = BuildBlock(b);
            const std::string head(reinterpret_cast<const char*>(block.data()), block.size());
            std::string speech(std::uniform_int_distribution<std::size_t>(kMinSpeech, kMaxSpeech)(random), '\0');
            for (auto& c : speech) c = static_cast<char>(random());
            write(dir / messageName(box, n, ".vmdat"), head + speech);
            write(dir / messageName(box, n, ".vminf"), head);
            bytesTotal += 2 * head.size() + speech.size();
        }
    }
    fs::create_directories(disk / "naisen");
    fs::create_directories(disk / "outou");

    sim::Options options;
    options.root = disk;
    sim::MainUnitServer server(options);
    if (!server.Start()) {
        std::fprintf(stderr, "cannot start the simulator\n");
        return 1;
    }

    SilentPrompt prompt;
    SystemDiskSpace space;
    CancelFlag cancel;
    ScopedPorts scope(Ports{&prompt, nullptr, nullptr, &cancel, nullptr, &space, nullptr});

    const fs::path oursFolder = work / "ours" / "VMU";
    const fs::path lftpFolder = work / "lftp";
    auto fresh = [](const fs::path& folder) {
        fs::remove_all(folder);
        fs::create_directories(folder);
    };
    // Each side starts from an empty folder, made before its clock starts.
    auto prepareOurs = [&] {
        fresh(oursFolder);
        for (int box = 1; box <= kBoxes; ++box) fs::create_directories(oursFolder / "rusuroku" / boxName(box));
        fs::create_directories(oursFolder / "naisen");
        fs::create_directories(oursFolder / "outou");
    };
    auto runOurs = [&] {
        CFtpMng ftp;
        if (ftp.Login(u"127.0.0.1", u"admin", u"admin", server.Port()) != ftp::LoginResult::Ok) return false;
        DownloadMng downloader(ftp);
        QuietView view;
        BatchRequest request{dl::kKindFull, BoxTargets(oursFolder), true, oursFolder / "outou"};
        const BatchResult r = RunBatch(downloader, request, view);
        ftp.Logout();
        return r.closing == Closing::Success && r.outcome.handled == 2 * kBoxes * kMessagesPerBox;
    };
    // lftp gets the folder by its name in the current folder: a Linux program
    // reads that as we do, whichever system this benchmark was built for.
    const bench::InFolder inWork(work.Path());
    const std::string lftpProgram = bench::PeerProgram("PLOVA_BENCH_LFTP", PLOVA_LFTP);
    auto runLftp = [&] {
        return bench::RunPeer(
            PLOVA_PEER_SHELL, lftpProgram,
            {"-u", "admin,admin", "-p", std::to_string(server.Port()), "-e",
             "set ftp:passive-mode off; set cmd:fail-exit yes; mirror / " + lftpFolder.filename().string() + "; quit",
             "127.0.0.1"});
    };
    auto sameTree = [&] {
        for (int box = 1; box <= kBoxes; ++box) {
            for (int n = 1; n <= kMessagesPerBox; ++n) {
                for (const char* ext : {".vmdat", ".vminf"}) {
                    const fs::path rel = fs::path("rusuroku") / boxName(box) / messageName(box, n, ext);
                    if (fs::file_size(oursFolder / rel) != fs::file_size(disk / rel) + 990) return false;
                    if (fs::file_size(lftpFolder / rel) != fs::file_size(disk / rel)) return false;
                }
            }
        }
        return true;
    };

    std::printf("%d messages (%d files, %.1f MB) in %d boxes from the simulator on loopback, %d rounds\n",
                kBoxes * kMessagesPerBox, 2 * kBoxes * kMessagesPerBox, static_cast<double>(bytesTotal) / 1e6, kBoxes,
                kRounds);
    bool ok = true;
    std::vector<double> ours, lftp;
    for (int round = 0; round < kRounds; ++round) {
        prepareOurs();
        ours.push_back(Seconds([&] { ok = runOurs() && ok; }));
        fresh(lftpFolder);
        lftp.push_back(Seconds([&] { ok = runLftp() && ok; }));
    }
    ok = ok && sameTree();
    if (!ok) std::fprintf(stderr, "a download failed or a file differs\n");

    const double o = Median(ours), l = Median(lftp);
    std::printf("ours (batch download, kind 0)   %.3f s  %.1f files/s\n", o, 2 * kBoxes * kMessagesPerBox / o);
    std::printf("lftp mirror (one invocation)    %.3f s  %.1f files/s\n", l, 2 * kBoxes * kMessagesPerBox / l);
    std::printf("ratio ours/lftp                 %.2f  (target <= 0.8)\n", o / l);
    server.Stop();
    return ok ? 0 : 1;
}
