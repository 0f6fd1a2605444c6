// Retrieving 2,000 message files of 6 KB each from the main-unit simulator
// over loopback, two ways in one run against the same server:
//   ours  CFtpMng as a box download runs it: one transfer scope (idle timer,
//         drain, local folder), then RETR file after file on one session;
//   curl  one curl invocation fetching the same 2,000 URLs over one control
//         connection in active mode (-P), what a user would otherwise run.
// Prints the median of several rounds of each and the ratio ours/curl
// (target at most 1.0). Also shows the cost of calling the single-file
// wrapper for every file, which drains stray replies each time.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "audio/testing/FileBytes.h"
#include "bench/BenchTiming.h"
#include "link/CFtpMng.h"
#include "platform/Text.h"
#include "platform/testing/TempFolder.h"
#include "sim/MainUnitServer.h"

using namespace plova;
using plova::bench::Median;
using plova::bench::Seconds;
namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 2000;
constexpr std::size_t kFileBytes = std::size_t{6} * 1024;
constexpr int kRounds = 5;

std::string messageName(int i) {
    char name[64];
    std::snprintf(name, sizeof name, "202401151030_ABC_0001_%05d.vmdat", i);
    return name;
}

bool sameFiles(const fs::path& box, const fs::path& local) {
    for (int i = 1; i <= kFiles; ++i)
        if (testkit::ReadBytes(box / messageName(i)) != testkit::ReadBytes(local / messageName(i))) return false;
    return true;
}

void fresh(const fs::path& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
}

}  // namespace

int main() {
    // Removed on every way out, after the server (declared later) has stopped.
    const testkit::TempFolder work("bench-retrieve");
    const fs::path box = work / "disk" / "rusuroku" / "0001";
    fs::create_directories(box);
    fs::create_directories(work / "disk" / "naisen");
    fs::create_directories(work / "disk" / "outou");
    std::mt19937 random(7);
    for (int i = 1; i <= kFiles; ++i) {
        std::string bytes(kFileBytes, '\0');
        for (auto& b : bytes) b = static_cast<char>(random());
        std::ofstream(box / messageName(i), std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    sim::Options options;
    options.root = work / "disk";
    sim::MainUnitServer server(options);
    if (!server.Start()) {
        std::fprintf(stderr, "cannot start the simulator\n");
        return 1;
    }
    const std::string base = "ftp://127.0.0.1:" + std::to_string(server.Port()) + "/rusuroku/0001/";

    const fs::path oursFolder = work / "ours";
    const fs::path curlFolder = work / "curl";
    const fs::path config = work / "curl.cfg";
    {
        std::ofstream out(config);
        out << "user = \"admin:admin\"\n";
        for (int i = 1; i <= kFiles; ++i) {
            out << "url = \"" << base << messageName(i) << "\"\n";
            out << "output = \"" << (curlFolder / messageName(i)).string() << "\"\n";
        }
    }

    auto runOurs = [&](bool wrapperPerFile) {
        fresh(oursFolder);
        CFtpMng mng;
        if (mng.Login(u"127.0.0.1", u"admin", u"admin", server.Port()) != ftp::LoginResult::Ok) return false;
        bool ok = true;
        if (wrapperPerFile) {
            std::u16string listing;
            ok = mng.ListBox(u"/rusuroku/0001", ftp::kListVoice, listing, oursFolder) == ftp::ListResult::Listed;
            for (int i = 1; ok && i <= kFiles; ++i) {
                const std::u16string name = FromUtf8(messageName(i));
                ok = mng.Retrieve(name, name, oursFolder) == ftp::TransferResult::Done;
            }
        } else {
            CFtpMng::TransferScope scope(mng, oursFolder);
            FTP_SESSION& session = *scope.Session();
            ok = session.Command(u"CWD /rusuroku/0001\r\n").Accepted();
            for (int i = 1; ok && i <= kFiles; ++i) {
                const std::u16string name = FromUtf8(messageName(i));
                ok = session.Retrieve(name, name, true, false) == ftp::TransferResult::Done;
            }
        }
        mng.Logout();
        return ok;
    };
    auto runCurl = [&] {
        fresh(curlFolder);
        const std::string command = std::string(PLOVA_CURL) + " -s -S -P 127.0.0.1 -K '" + config.string() + "'";
        return std::system(command.c_str()) == 0;
    };

    std::printf("%d files of %zu bytes from the simulator on loopback, %d rounds\n", kFiles, kFileBytes, kRounds);
    bool ok = true;
    std::vector<double> ours, curl, wrapper;
    for (int round = 0; round < kRounds; ++round) {
        ours.push_back(Seconds([&] { ok = runOurs(false) && ok; }));
        curl.push_back(Seconds([&] { ok = runCurl() && ok; }));
        wrapper.push_back(Seconds([&] { ok = runOurs(true) && ok; }));
    }
    ok = ok && sameFiles(box, oursFolder) && sameFiles(box, curlFolder);
    if (!ok) std::fprintf(stderr, "a transfer failed or a file differs\n");

    const double o = Median(ours), c = Median(curl), w = Median(wrapper);
    std::printf("ours (box download)        %.3f s  %.1f files/s\n", o, kFiles / o);
    std::printf("curl -P (one invocation)   %.3f s  %.1f files/s\n", c, kFiles / c);
    std::printf("ours, wrapper per file     %.3f s  %.1f files/s\n", w, kFiles / w);
    std::printf("ratio ours/curl            %.2f  (target <= 1.0)\n", o / c);
    std::printf("ratio wrapper/curl         %.2f\n", w / c);

    server.Stop();
    return ok ? 0 : 1;
}
