// A main unit on loopback with boxes of real message files, a local box
// folder, a logged-in client and the test ports: what every download test
// starts from.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "download/DownloadDrivers.h"
#include "download/DownloadMng.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"
#include "sim/testing/SimUnit.h"

namespace plova::dltest {

namespace fs = std::filesystem;

// "2026120714MM_ABC_BBBB_NNNNN" + extension.
std::string MessageName(const std::string& box, int number, const char* extension);
// A system response message name of the 32-character form.
std::string ResponseName(const std::string& datePrefix, int number);

// What the main unit holds of one message: a ".vminf" of 256 bytes and a
// ".vmdat" of block plus speech.
void PutMessage(const fs::path& boxDir, const std::string& box, int number, std::size_t speechBytes,
                bool withInfo = true);
void PutResponse(const fs::path& outouDir, const std::string& datePrefix, int number, std::size_t speechBytes);

std::string ReadAll(const fs::path& file);
// Every regular file under `folder`, by path relative to it.
std::vector<std::string> FilesUnder(const fs::path& folder);

// The DownloadView of the tests: records what the driver did.
class RecordingView final : public DownloadView {
public:
    void OpenProgress() override { calls.push_back("open"); }
    void SetTotals(int total, int range) override {
        calls.push_back("totals " + std::to_string(total) + " " + std::to_string(range));
    }
    void CloseProgress() override { calls.push_back("close"); }
    void BoxStarted(std::u16string_view) override { ++boxes; }
    void Logout() override {
        calls.push_back("logout");
        if (ftp) ftp->Logout();
    }
    std::vector<std::string> calls;
    int boxes = 0;
    CFtpMng* ftp = nullptr;
    [[nodiscard]] bool LoggedOut() const;
};

class DownloadFixture {
public:
    DownloadFixture();
    ~DownloadFixture();

    // Logs in (again) with these waits.
    CFtpMng& Login(Timeouts timeouts = {});
    DownloadMng& Downloader(DownloadOptions options = {});

    // The main unit's box directory and the matching local box sub-folder.
    [[nodiscard]] fs::path RemoteBox(const std::string& kind, const std::string& box) const {
        return disk / kind / box;
    }
    [[nodiscard]] fs::path LocalBox(const std::string& kind, const std::string& box) const {
        return boxFolder / kind / box;
    }
    // Makes the local box sub-folder (and its kind folder) with MAKE `make`.
    fs::path MakeLocalBox(const std::string& kind, const std::string& box, int make = 0);

    // No file under a message name is shorter than the main unit's file of
    // that name, and no receiving file is left. Failures name the file.
    [[nodiscard]] ::testing::AssertionResult NoTornMessages() const;

    testkit::TempFolder temp{"download"};
    fs::path disk = temp.Path() / "disk";
    fs::path boxFolder = temp.Path() / "root" / "VMU";  // root + box-folder name
    testkit::TestPorts ports;
    testkit::SimUnit unit{disk};
    std::unique_ptr<CFtpMng> ftp;
    std::unique_ptr<DownloadMng> dl;
    RecordingView view;
};

}  // namespace plova::dltest
