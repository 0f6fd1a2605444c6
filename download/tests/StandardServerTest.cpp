// The download procedures against a standard FTP server (pyftpdlib) serving a
// box tree. Such a server knows neither the main unit's name patterns nor its
// long listing, so what is tried here is what plain FTP carries: the folder
// download from the name listings, counting a box, and the voice data of one
// message by its path, with its status record and its size check.
#include <gtest/gtest.h>

#include "download/DownloadDrivers.h"
#include "download/DownloadMng.h"
#include "download/testing/DownloadTestSupport.h"
#include "link/testing/StandardFtpServer.h"
#include "platform/Text.h"
#include "store/CFileMng.h"

namespace plova {
namespace {
using namespace dltest;

class StandardServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        disk = temp.Path() / "disk";
        boxFolder = temp.Path() / "PC" / "VMU";
        PutMessage(disk / "rusuroku" / "0001", "0001", 1, 6000);
        PutMessage(disk / "rusuroku" / "0001", "0001", 2, 9000);
        PutMessage(disk / "naisen" / "2001", "2001", 1, 7000);
        fs::create_directories(disk / "outou");
        server = std::make_unique<testkit::StandardFtpServer>(disk, "Kw-TX test");
        ASSERT_TRUE(server->Running());
        ASSERT_EQ(ftp.Login(u"127.0.0.1", u"admin", u"admin", server->Port()), ftp::LoginResult::Ok);
    }
    void TearDown() override { ftp.Logout(); }

    testkit::TempFolder temp{"download-standard"};
    testkit::TestPorts ports;
    fs::path disk;
    fs::path boxFolder;
    std::unique_ptr<testkit::StandardFtpServer> server;
    CFtpMng ftp;
};

TEST_F(StandardServerTest, TheFolderDownloadBuildsTheBoxTreeAndABoxIsCounted) {
    EXPECT_EQ(DownloadFolders(ftp, boxFolder, [](int) {}), Closing::FolderSuccess);
    for (const char* sub : {"rusuroku/0001", "naisen/2001", "outou"})
        EXPECT_TRUE(fs::is_directory(boxFolder / sub)) << sub;

    DownloadMng downloader(ftp);
    int count = 0;
    EXPECT_EQ(downloader.CountFiles(u"/rusuroku/0001", boxFolder / "rusuroku" / "0001", dl::kCountAll, count),
              DownloadResult::Ok);
    EXPECT_EQ(count, 4);
    EXPECT_EQ(downloader.CountFiles(u"/rusuroku/0404", boxFolder / "rusuroku" / "0001", dl::kCountAll, count),
              DownloadResult::NoDirectory);
}

TEST_F(StandardServerTest, VoiceDataArriveWithTheirRecordOrNotAtAll) {
    const fs::path local = boxFolder / "rusuroku" / "0001";
    fs::create_directories(local);
    const std::string name = MessageName("0001", 2, ".vmdat");
    const auto remoteSize = static_cast<std::int64_t>(fs::file_size(disk / "rusuroku" / "0001" / name));
    DownloadMng downloader(ftp);
    struct Case {
        std::int64_t listedSize;
        DownloadResult result;
        bool kept;
    };
    // A length other than the listed one is a broken transfer: nothing stays.
    for (const Case c : {Case{remoteSize + 1, DownloadResult::CommError, false},
                         Case{remoteSize - 1, DownloadResult::CommError, false},
                         Case{remoteSize, DownloadResult::Ok, true}, Case{-1, DownloadResult::Ok, true}}) {
        fs::remove(local / name);
        EXPECT_EQ(downloader.DownloadVoice(local, FromUtf8("/rusuroku/0001/" + name), FromUtf8(name), c.listedSize),
                  c.result)
            << c.listedSize;
        ASSERT_EQ(fs::exists(local / name), c.kept) << c.listedSize;
        EXPECT_EQ(FilesUnder(local).size(), c.kept ? 1u : 0u) << "a receiving file was left";
        if (!c.kept) continue;
        // Binary transfer, the status record in front, the speech behind it intact.
        EXPECT_EQ(static_cast<std::int64_t>(fs::file_size(local / name)), remoteSize + 990);
        EXPECT_TRUE(CFileMng::HasStatusRecord(local / name));
        EXPECT_EQ(ReadAll(local / name).substr(990), ReadAll(disk / "rusuroku" / "0001" / name));
    }
}

}  // namespace
}  // namespace plova
