// The procedures against the simulator: what arrives, what is skipped, what
// a cancel, a shortage of space or a failing main unit leaves behind.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "download/tests/DownloadBoxFixture.h"
#include "link/FtpReply.h"
#include "platform/Text.h"
#include "platform/testing/SpecialFiles.h"
#include "store/CFileMng.h"
#include "store/testing/MessageFiles.h"

namespace plova::dltest {
namespace {

TEST_F(DownloadBoxTest, AFullBoxArrivesWithStatusRecordsAndASecondRunFetchesNothing) {
    DownloadMng& d = Downloader();
    int count = 0;
    ASSERT_EQ(d.CountFiles(u"/rusuroku/0001", local, dl::kCountAll, count), DownloadResult::Ok);
    EXPECT_EQ(count, 6);
    ASSERT_EQ(d.CountFiles(u"/rusuroku/0001", local, dl::kCountInfo, count), DownloadResult::Ok);
    EXPECT_EQ(count, 3);
    ASSERT_EQ(box(d), DownloadResult::Ok);
    EXPECT_EQ(handled, 6);
    EXPECT_EQ(listed, 6);
    EXPECT_TRUE(NoTornMessages());
    FILESTS_INFO voice;
    FILESTS_INFO info;
    ASSERT_TRUE(CFileMng::ReadStatusRecord(file(2, ".vmdat"), voice));
    ASSERT_TRUE(CFileMng::ReadStatusRecord(file(2, ".vminf"), info));
    EXPECT_EQ(voice.downloadState, kUnplayedOnMainUnit);
    EXPECT_EQ(info.downloadState, kInfoOnly);
    EXPECT_EQ(voice.recordingTime, u"00:00:02");
    EXPECT_EQ(info.boxNumber, u"0001");
    EXPECT_EQ(ports.progress.Of(msg::kNextItem).size(), 3u);

    // Everything is here: nothing is fetched again, and the run is complete.
    const auto before = fs::last_write_time(file(1, ".vmdat"));
    ports.progress.sent.clear();
    ASSERT_EQ(box(d), DownloadResult::Ok);
    EXPECT_EQ(handled, 6);
    EXPECT_EQ(fs::last_write_time(file(1, ".vmdat")), before);
    EXPECT_EQ(ports.progress.Of(msg::kBarPosition).front().wparam, dl::kBarExistingVoice);

    // A message file cut short by a crash is no message: it is fetched again.
    fs::resize_file(file(3, ".vmdat"), 500);
    ASSERT_EQ(box(d), DownloadResult::Ok);
    EXPECT_TRUE(NoTornMessages());
}

TEST_F(DownloadBoxTest, ConversionFollowsEachInfoFileAndSkipsAVoiceFileWithoutOne) {
    PutMessage(RemoteBox("rusuroku", "0001"), "0001", 4, kSpeech, /*withInfo=*/false);
    DownloadMng& d = Downloader({.convert = true, .levelSetting = 0});
    ASSERT_EQ(box(d), DownloadResult::Ok);
    for (int n = 1; n <= 3; ++n) EXPECT_TRUE(fs::exists(file(n, ".wav"))) << n;
    EXPECT_TRUE(fs::exists(file(4, ".vmdat")));
    EXPECT_FALSE(fs::exists(file(4, ".wav")));
    EXPECT_FALSE(d.ConversionFailed());

    // All local: the pending voice files are converted again, nothing fetched.
    for (int n = 1; n <= 3; ++n) fs::remove(file(n, ".wav"));
    ASSERT_EQ(box(d), DownloadResult::Ok);
    for (int n = 1; n <= 3; ++n) EXPECT_TRUE(fs::exists(file(n, ".wav"))) << n;
}

TEST_F(DownloadBoxTest, AMissingBoxAndAFileGoneSinceTheListing) {
    DownloadMng& d = Downloader();
    int count = -1;
    EXPECT_EQ(d.CountFiles(u"/rusuroku/0404", local, dl::kCountAll, count), DownloadResult::NoDirectory);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(d.DownloadBox(u"/rusuroku/0404", local, handled, listed), DownloadResult::NoDirectory);
    EXPECT_EQ(d.DownloadBoxInfo(u"/rusuroku/0404", local, handled), DownloadResult::NoDirectory);

    unit.ChangeFaults([&](sim::Faults& f) { f.refuseRetr[MessageName("0001", 2, ".vmdat")] = 550; });
    ASSERT_EQ(box(d), DownloadResult::SomeMissing);
    EXPECT_EQ(handled, 5);
    EXPECT_FALSE(fs::exists(file(2, ".vmdat")));
    EXPECT_TRUE(fs::exists(file(3, ".vmdat")));
    EXPECT_TRUE(NoTornMessages());
}

TEST_F(DownloadBoxTest, TooLittleSpaceStopsBeforeAnythingIsWritten) {
    DownloadMng& d = Downloader();
    ports.disk.Set(4095);
    EXPECT_EQ(d.DownloadBoxInfo(u"/rusuroku/0001", local, handled), DownloadResult::NoSpace);
    EXPECT_EQ(box(d), DownloadResult::NoSpace);
    EXPECT_TRUE(FilesUnder(local).size() == 1) << "only inf.ini";
    // Room for the information files but not for voice data.
    ports.disk.Set(4096);
    EXPECT_EQ(d.DownloadBoxInfo(u"/rusuroku/0001", local, handled), DownloadResult::Ok);
    EXPECT_EQ(handled, 3);
}

// Cancel pressed at chosen moments: the run ends cancelled, and no message
// name holds fewer bytes than the main unit's file.
TEST_F(DownloadBoxTest, CancelAtAnyStepLeavesNoPartialFile) {
    PutMessage(RemoteBox("rusuroku", "0001"), "0001", 5, 200'000);
    for (long step : {1L, 3L, 8L, 40L, 120L, 230L}) {
        SCOPED_TRACE(step);
        fs::remove_all(local);
        MakeLocalBox("rusuroku", "0001");
        ports.cancel.Clear();
        ports.pump = {};
        DownloadMng& d = Downloader();
        ports.pump.At(ports.pump.steps + step, [&] { ports.cancel.Set(); });
        EXPECT_EQ(box(d), DownloadResult::Cancelled);
        EXPECT_GE(ports.pump.steps, step);
        EXPECT_TRUE(NoTornMessages());
        // A message is there with both files or not at all.
        for (int n = 1; n <= 5; ++n) EXPECT_EQ(fs::exists(file(n, ".vmdat")), fs::exists(file(n, ".vminf"))) << n;
    }
}

struct FaultCase {
    const char* name;
    std::function<void(sim::Faults&)> fault;
};

TEST_F(DownloadBoxTest, AFailingMainUnitEndsTheRunWithFinishedMessagesIntact) {
    PutMessage(RemoteBox("rusuroku", "0001"), "0001", 5, 100'000);
    const std::string big = MessageName("0001", 5, ".vmdat");
    const FaultCase cases[] = {
        {"drop mid-file", [](sim::Faults& f) { f.dropAfterBytes = 50'000; }},
        {"stall past the wait", [](sim::Faults& f) { f.stallMillis = 900; }},
        {"refused with 451", [&](sim::Faults& f) { f.refuseRetr[big] = 451; }},
        {"451 after the data", [](sim::Faults& f) { f.errorAfterTransfer = true; }},
        {"sent on without end past its listed size", [](sim::Faults& f) { f.endlessRetr = true; }},
        {"a trickle that would take 10 s", [](sim::Faults& f) { f.trickleBytesPerSecond = 10'000; }},
    };
    Timeouts quick;
    quick.dataMillis = 300;
    quick.retrieveEndMillis = 300;
    quick.transferMillis = 1000;
    quick.slowestBytesPerSecond = 1'000'000;
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(local);
        MakeLocalBox("rusuroku", "0001");
        unit.Server().SetFaults({});
        Login(quick);
        DownloadMng& d = Downloader();
        // The first messages arrive whole; the fault comes with the big one.
        ASSERT_EQ(d.DownloadBox(u"/rusuroku/0001", local, handled, listed), DownloadResult::Ok);
        fs::remove(local / big);
        fs::remove(file(5, ".vminf"));
        fs::remove(file(1, ".vminf"));
        unit.ChangeFaults(c.fault);
        EXPECT_EQ(box(d), DownloadResult::CommError);
        EXPECT_TRUE(NoTornMessages());
        EXPECT_FALSE(fs::exists(local / big));
        EXPECT_TRUE(fs::exists(file(2, ".vmdat")));
    }
}

// Recording information comes without a listed size: a main unit that never
// stops sending one fails it at the cap, far above any message, and nothing of
// it stays.
TEST_F(DownloadBoxTest, InformationWithoutAListedSizeEndsAtTheCap) {
    DownloadMng& d = Downloader();
    ftp->Session()->unknownSizeCapBytes = std::uint64_t{64} * 1024;
    ASSERT_EQ(d.DownloadBoxInfo(u"/rusuroku/0001", local, handled), DownloadResult::Ok) << "256 bytes each pass";
    fs::remove(file(2, ".vminf"));
    unit.ChangeFaults([](sim::Faults& f) { f.endlessRetr = true; });
    EXPECT_EQ(d.DownloadBoxInfo(u"/rusuroku/0001", local, handled), DownloadResult::CommError);
    EXPECT_FALSE(fs::exists(file(2, ".vminf")));
    EXPECT_TRUE(NoTornMessages());
}

TEST_F(DownloadBoxTest, ResponseMessagesNewerOrOlderLocally) {
    const fs::path outou = boxFolder / "outou";
    PutResponse(disk / "outou", "202612010900", 1, kSpeech);
    PutResponse(disk / "outou", "202612010900", 2, kSpeech);
    PutResponse(disk / "outou", "202612010900", 3, kSpeech);
    // 1: an older local copy with its WAV and WMA files, in either case (an
    // imported message's own audio copy is ".WAV" or ".WMA"); 2: a newer
    // local copy; 3: none.
    const fs::path older = outou / ResponseName("202611010900", 1);
    const fs::path newer = outou / ResponseName("202612240900", 2);
    for (const fs::path& p : {older, newer}) testkit::WriteMessage(p, {}, testkit::ResponseBlock(1), 100);
    for (const char* extension : {".wav", ".WAV", ".wma", ".WMA"}) {
        fs::path copy = older;
        testkit::WriteBytes(copy.replace_extension(extension), "audio");
    }

    int voiceListed = 0;
    DownloadMng& d = Downloader();
    ASSERT_EQ(d.DownloadResponseMessages(outou, handled, voiceListed), DownloadResult::Ok);
    EXPECT_EQ(voiceListed, 3);
    EXPECT_EQ(handled, 3);
    EXPECT_EQ(FilesUnder(outou),
              (std::vector<std::string>{ResponseName("202612010900", 1), ResponseName("202612010900", 3),
                                        ResponseName("202612240900", 2)}));
    FILESTS_INFO record;
    ASSERT_TRUE(CFileMng::ReadStatusRecord(outou / ResponseName("202612010900", 3), record));
    EXPECT_EQ(record.boxNumber, u"003");
    EXPECT_TRUE(NoTornMessages());

    // Kind 1 never touches "/outou/", and an empty "/outou/" is 550 with none listed.
    fs::remove_all(disk / "outou");
    fs::create_directories(disk / "outou");
    EXPECT_EQ(d.DownloadResponseMessages(outou, handled, voiceListed), DownloadResult::SomeMissing);
    EXPECT_EQ(voiceListed, 0);
}

TEST_F(DownloadBoxTest, ANewerResponseMessageThatFailsToConvertLeavesTheOlderOne) {
    const fs::path outou = boxFolder / "outou";
    PutResponse(disk / "outou", "202612010900", 1, kSpeech);
    const fs::path older = outou / ResponseName("202611010900", 1);
    testkit::WriteMessage(older, {}, testkit::ResponseBlock(1), 100);
    const fs::path fresh = outou / ResponseName("202612010900", 1);
    fs::path wav = fresh;
    fs::create_directories(wav.replace_extension(".wav"));  // the WAV file cannot be written

    int voiceListed = 0;
    DownloadMng& d = Downloader({.convert = true, .levelSetting = 0});
    EXPECT_EQ(d.DownloadResponseMessages(outou, handled, voiceListed), DownloadResult::FreshConversionFailed);
    EXPECT_TRUE(fs::exists(older)) << "number 1 keeps a message";
    EXPECT_FALSE(fs::exists(fresh));
}

TEST_F(DownloadBoxTest, DownloadVoiceKeepsAVoiceFileAlreadyHereInEveryOutcome) {
    DownloadMng& d = Downloader();
    ASSERT_EQ(d.DownloadBoxInfo(u"/rusuroku/0001", local, handled), DownloadResult::Ok);
    const std::u16string name = FromUtf8(MessageName("0001", 1, ".vmdat"));
    const std::u16string remote = u"/rusuroku/0001/" + name;
    std::int64_t size = 0;
    std::int64_t listedSize = 0;
    ASSERT_EQ(d.RemoteFileSize(u"/rusuroku/0001", local, name, size, &listedSize), SizeResult::Found);
    EXPECT_EQ(listedSize, static_cast<std::int64_t>(block::kSize + kSpeech + 500));
    EXPECT_EQ(size, (listedSize / 4096 + 1) * 4096);
    EXPECT_EQ(d.RemoteFileSize(u"/rusuroku/0001", local, u"209912312359_ABC_0001_99999.vmdat", size),
              SizeResult::NotListed);

    // A wrong listed figure is a failed transfer, and nothing stays.
    EXPECT_EQ(d.DownloadVoice(local, remote, name, listedSize + 1), DownloadResult::CommError);
    EXPECT_FALSE(fs::exists(file(1, ".vmdat")));
    ASSERT_EQ(d.DownloadVoice(local, remote, name, listedSize), DownloadResult::Ok);
    FILESTS_INFO record;
    ASSERT_TRUE(CFileMng::ReadStatusRecord(file(1, ".vmdat"), record));
    EXPECT_EQ(record.downloadState, kUnplayedOnMainUnit);
    EXPECT_TRUE(NoTornMessages());

    // The user's file stays whether the fetch succeeds, is cancelled or refused.
    const std::string mine = "my own voice file";
    testkit::WriteBytes(file(1, ".vmdat"), mine);
    EXPECT_EQ(d.DownloadVoice(local, remote, name, listedSize), DownloadResult::Ok);
    EXPECT_EQ(ReadAll(file(1, ".vmdat")), mine);
    ports.pump.At(ports.pump.steps + 2, [&] { ports.cancel.Set(); });
    EXPECT_EQ(d.DownloadVoice(local, remote, name, listedSize), DownloadResult::Cancelled);
    EXPECT_EQ(ReadAll(file(1, ".vmdat")), mine);
    ports.cancel.Clear();
    unit.ChangeFaults([&](sim::Faults& f) { f.refuseRetr[ToUtf8(name)] = 550; });
    EXPECT_EQ(d.DownloadVoice(local, remote, name, listedSize), DownloadResult::SomeMissing);
    EXPECT_EQ(ReadAll(file(1, ".vmdat")), mine);
    EXPECT_EQ(FilesUnder(local).size(), 5u) << "inf.ini, three .vminf, one .vmdat";
}

// Killed at random moments, a download never leaves a torn file under a
// message name: the run goes on in a child process that gets SIGKILL.
// A file under a message's name is taken as downloaded only when it is
// whole: the listed length behind a valid status record. Anything a crash, a
// second run or a planted link left there is fetched again.
TEST_F(DownloadBoxTest, OnlyAWholeMessageFileCountsAsPresent) {
    DownloadMng& d = Downloader();
    ASSERT_EQ(box(d), DownloadResult::Ok);
    const fs::path elsewhere = temp.Path() / "elsewhere.vmdat";
    fs::copy_file(file(1, ".vmdat"), elsewhere);
    struct Case {
        const char* what;
        std::function<void(const fs::path&)> tear;
    } cases[] = {
        {"longer than listed", [](const fs::path& p) { std::ofstream(p, std::ios::app) << "MORE"; }},
        {"cut after its block", [](const fs::path& p) { fs::resize_file(p, store::kMinMessageFileSize + 10); }},
        {"its record zeroed",
         [](const fs::path& p) {
             std::fstream f(p, std::ios::in | std::ios::out | std::ios::binary);
             f << std::string(store::kBlockOffset, '\0');
         }},
        {"a link to a whole copy",
         [&](const fs::path& p) {
             fs::remove(p);
             (void)testkit::MakeSymlink(elsewhere, p);  // else simply missing, where links cannot be made
         }},
    };
    for (const Case& c : cases) {
        c.tear(file(2, ".vmdat"));
        ASSERT_EQ(box(d), DownloadResult::Ok) << c.what;
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(file(2, ".vmdat")))) << c.what;
        EXPECT_TRUE(CFileMng::IsValidMessageFile(file(2, ".vmdat"))) << c.what;
        EXPECT_TRUE(NoTornMessages()) << c.what;
    }
}

}  // namespace
}  // namespace plova::dltest
