#include <gtest/gtest.h>

#include "download/testing/DownloadTestSupport.h"

#include <algorithm>
#include <cstdio>

#include "platform/Text.h"
#include "store/testing/MessageFiles.h"

namespace plova::dltest {

std::string messageName(const std::string& box, int number, const char* extension) {
    char name[64];
    std::snprintf(name, sizeof name, "2026120714%02d_ABC_%s_%05d%s", number % 60, box.c_str(), number, extension);
    return name;
}

std::string responseName(const std::string& datePrefix, int number) {
    char name[64];
    std::snprintf(name, sizeof name, "%s_ABC_A%03d_%04d.vmdat", datePrefix.c_str(), number, number);
    return name;
}

void putMessage(const fs::path& boxDir, const std::string& box, int number, std::size_t speechBytes, bool withInfo) {
    fs::create_directories(boxDir);
    RecordingBlock b = testkit::sampleBlock();
    b.boxDigits = box;
    b.recordingTenths = static_cast<std::uint32_t>(number * 10);
    testkit::writeDelivered(boxDir / messageName(box, number, ".vmdat"), b, speechBytes);
    if (withInfo) testkit::writeDelivered(boxDir / messageName(box, number, ".vminf"), b);
}

void putResponse(const fs::path& outouDir, const std::string& datePrefix, int number, std::size_t speechBytes) {
    fs::create_directories(outouDir);
    testkit::writeDelivered(outouDir / responseName(datePrefix, number), testkit::responseBlock(number), speechBytes);
}

std::string readAll(const fs::path& file) {
    return testkit::readBytes(file);
}

std::vector<std::string> filesUnder(const fs::path& folder) {
    std::vector<std::string> out;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file()) out.push_back(fs::relative(it->path(), folder).generic_string());
    std::sort(out.begin(), out.end());
    return out;
}

bool RecordingView::loggedOut() const {
    return std::find(calls.begin(), calls.end(), "logout") != calls.end();
}

DownloadFixture::DownloadFixture() {
    disk = temp.path() / "disk";
    boxFolder = temp.path() / "root" / "VMU";
    fs::create_directories(disk / "rusuroku");
    fs::create_directories(disk / "naisen");
    fs::create_directories(disk / "outou");
    ports.progress.open(std::u16string(dl::kProgressCaption));
    sim::Options options;
    options.root = disk;
    server = std::make_unique<sim::MainUnitServer>(options);
    if (!server->start()) ADD_FAILURE() << "the simulator did not start";
}

DownloadFixture::~DownloadFixture() {
    dl.reset();
    if (ftp) ftp->Logout();
    ftp.reset();
    server.reset();
}

CFtpMng& DownloadFixture::login(Timeouts timeouts) {
    dl.reset();
    ftp = std::make_unique<CFtpMng>(nullptr, timeouts);
    EXPECT_EQ(ftp->Login(u"127.0.0.1", u"admin", u"admin", server->port()), ftp::LoginResult::Ok);
    view.ftp = ftp.get();
    return *ftp;
}

DownloadMng& DownloadFixture::downloader(DownloadOptions options) {
    if (!ftp) login();
    dl = std::make_unique<DownloadMng>(*ftp, options);
    return *dl;
}

void DownloadFixture::setFaults(const std::function<void(sim::Faults&)>& change) {
    sim::Faults f = server->faults();
    change(f);
    server->setFaults(f);
}

fs::path DownloadFixture::makeLocalBox(const std::string& kind, const std::string& box, int make) {
    const fs::path folder = localBox(kind, box);
    fs::create_directories(folder);
    fs::create_directories(boxFolder / "outou");
    fs::create_directories(boxFolder / (kind == "rusuroku" ? "naisen" : "rusuroku"));
    CFileMng::WriteMake(folder, fromUtf8(std::to_string(make)));
    return folder;
}

::testing::AssertionResult DownloadFixture::noTornMessages() const {
    for (const std::string& rel : filesUnder(boxFolder)) {
        const fs::path local = boxFolder / rel;
        const std::string ext = local.extension().string();
        if (ext == ".dl_dat" || ext == ".dl_inf") return ::testing::AssertionFailure() << rel << " was left behind";
        if (ext != ".vmdat" && ext != ".vminf") continue;
        const fs::path remote = disk / rel;
        std::error_code ec;
        if (!fs::exists(remote, ec)) continue;
        const std::string got = readAll(local);
        const std::string want = readAll(remote);
        // A message file is the status record and then exactly the main unit's bytes.
        if (got.size() != store::kBlockOffset + want.size() || got.compare(store::kBlockOffset, want.size(), want) != 0)
            return ::testing::AssertionFailure()
                   << rel << " holds " << got.size() << " bytes, the main unit " << want.size();
    }
    return ::testing::AssertionSuccess();
}

}  // namespace plova::dltest
