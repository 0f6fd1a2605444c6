#include <gtest/gtest.h>

#include "download/testing/DownloadTestSupport.h"

#include <algorithm>
#include <cstdio>

#include "platform/Text.h"
#include "store/testing/MessageFiles.h"

namespace plova::dltest {

std::string MessageName(const std::string& box, int number, const char* extension) {
    char name[64];
    std::snprintf(name, sizeof name, "2026120714%02d_ABC_%s_%05d%s", number % 60, box.c_str(), number, extension);
    return name;
}

std::string ResponseName(const std::string& datePrefix, int number) {
    char name[64];
    std::snprintf(name, sizeof name, "%s_ABC_A%03d_%04d.vmdat", datePrefix.c_str(), number, number);
    return name;
}

void PutMessage(const fs::path& boxDir, const std::string& box, int number, std::size_t speechBytes, bool withInfo) {
    fs::create_directories(boxDir);
    RecordingBlock b = testkit::SampleBlock();
    b.boxDigits = box;
    b.recordingTenths = static_cast<std::uint32_t>(number * 10);
    testkit::WriteDelivered(boxDir / MessageName(box, number, ".vmdat"), b, speechBytes);
    if (withInfo) testkit::WriteDelivered(boxDir / MessageName(box, number, ".vminf"), b);
}

void PutResponse(const fs::path& outouDir, const std::string& datePrefix, int number, std::size_t speechBytes) {
    fs::create_directories(outouDir);
    testkit::WriteDelivered(outouDir / ResponseName(datePrefix, number), testkit::ResponseBlock(number), speechBytes);
}

std::string ReadAll(const fs::path& file) {
    return testkit::ReadFileBytes(file);
}

std::vector<std::string> FilesUnder(const fs::path& folder) {
    std::vector<std::string> out;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file()) out.push_back(fs::relative(it->path(), folder).generic_string());
    std::sort(out.begin(), out.end());
    return out;
}

bool RecordingView::LoggedOut() const {
    return std::find(calls.begin(), calls.end(), "logout") != calls.end();
}

DownloadFixture::DownloadFixture() {
    unit.MakeTopFolders();
    ports.progress.Open(std::u16string(dl::kProgressCaption));
    unit.Start();
}

DownloadFixture::~DownloadFixture() {
    dl.reset();
    if (ftp) ftp->Logout();
    ftp.reset();
}

CFtpMng& DownloadFixture::Login(Timeouts timeouts) {
    dl.reset();
    ftp = std::make_unique<CFtpMng>(nullptr, timeouts);
    EXPECT_EQ(ftp->Login(u"127.0.0.1", u"admin", u"admin", unit.Port()), ftp::LoginResult::Ok);
    view.ftp = ftp.get();
    return *ftp;
}

DownloadMng& DownloadFixture::Downloader(DownloadOptions options) {
    if (!ftp) Login();
    dl = std::make_unique<DownloadMng>(*ftp, options);
    return *dl;
}

fs::path DownloadFixture::MakeLocalBox(const std::string& kind, const std::string& box, int make) {
    const fs::path folder = LocalBox(kind, box);
    fs::create_directories(folder);
    fs::create_directories(boxFolder / "outou");
    fs::create_directories(boxFolder / (kind == "rusuroku" ? "naisen" : "rusuroku"));
    CFileMng::WriteMake(folder, FromUtf8(std::to_string(make)));
    return folder;
}

::testing::AssertionResult DownloadFixture::NoTornMessages() const {
    for (const std::string& rel : FilesUnder(boxFolder)) {
        const fs::path local = boxFolder / rel;
        const std::string ext = local.extension().string();
        if (ext == ".dl_dat" || ext == ".dl_inf") return ::testing::AssertionFailure() << rel << " was left behind";
        if (ext != ".vmdat" && ext != ".vminf") continue;
        const fs::path remote = disk / rel;
        std::error_code ec;
        if (!fs::exists(remote, ec)) continue;
        const std::string got = ReadAll(local);
        const std::string want = ReadAll(remote);
        // A message file is the status record and then exactly the main unit's bytes.
        if (got.size() != store::kBlockOffset + want.size() || got.compare(store::kBlockOffset, want.size(), want) != 0)
            return ::testing::AssertionFailure()
                   << rel << " holds " << got.size() << " bytes, the main unit " << want.size();
    }
    return ::testing::AssertionSuccess();
}

}  // namespace plova::dltest
