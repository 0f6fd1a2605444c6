// The drivers: which closing message a run ends with, which boxes it
// touches, and what the folder download makes and undoes.
#include <gtest/gtest.h>

#include "download/testing/DownloadTestSupport.h"
#include "platform/Text.h"
#include "store/CFileMng.h"
#include "store/testing/MessageFiles.h"

namespace plova::dltest {
namespace {

// ----------------------------------------------------- closing choices

TEST(ClosingChoice, BatchOutcomesPickTheirMessage) {
    struct Row {
        BatchOutcome outcome;
        Closing expected;
    };
    const Row rows[] = {
        {{.total = 10, .handled = 10}, Closing::Success},
        {{.total = 10, .handled = 10, .conversionFailed = true}, Closing::ConvertFailed},
        {{.total = 10, .handled = 4, .result = DownloadResult::CommError}, Closing::CommError},
        {{.total = 10, .handled = 8, .missing = true}, Closing::PartialMissing},
        {{.total = 10, .handled = 4, .result = DownloadResult::NoSpace}, Closing::PartialNoSpace},
        {{.total = 10, .handled = 0, .missing = true}, Closing::AlreadyDeleted},
        {{.total = 10, .handled = 0, .result = DownloadResult::NoSpace}, Closing::NoSpace},
        {{.total = 10, .handled = 6, .result = DownloadResult::FreshConversionFailed}, Closing::ConvertFailed},
        {{.total = 10, .handled = 6, .result = DownloadResult::Cancelled, .cancelled = true}, Closing::None},
        {{.total = 1, .handled = 1}, Closing::Success},
        {{.total = 1, .handled = 0, .missing = true}, Closing::AlreadyDeleted},
        {{.total = 1, .handled = 0, .result = DownloadResult::NoSpace}, Closing::NoSpace},
        {{.total = 1, .handled = 0, .result = DownloadResult::FreshConversionFailed}, Closing::ConvertFailed},
        {{.total = 1, .handled = 0, .result = DownloadResult::CommError}, Closing::CommError},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ChooseBatchClosing(r.outcome), r.expected)
            << "total " << r.outcome.total << " handled " << r.outcome.handled << " result "
            << ResultCode(r.outcome.result);
    }
}

TEST(ClosingChoice, VoiceOutcomesPickTheirMessages) {
    using V = std::vector<Closing>;
    struct Row {
        VoiceOutcome outcome;
        V expected;
    };
    const Row rows[] = {
        {{.rows = 3, .handled = 3}, {Closing::Success}},
        {{.rows = 3, .handled = 3, .conversionFailed = true}, {Closing::ConvertFailed}},
        {{.rows = 1, .handled = 1, .failed = 1, .missing = true}, {Closing::AlreadyDeleted}},
        {{.rows = 2, .handled = 2, .failed = 2, .missing = true, .noSpace = true},
         {Closing::AlreadyDeleted, Closing::NoSpace}},
        {{.rows = 3, .handled = 3, .failed = 1, .missing = true}, {Closing::PartialMissing}},
        {{.rows = 3, .handled = 3, .failed = 2, .missing = true, .noSpace = true},
         {Closing::PartialMissing, Closing::PartialNoSpace}},
        {{.rows = 3, .handled = 3, .failed = 3, .noSpace = true}, {Closing::NoSpace}},
        {{.rows = 3, .handled = 3, .failed = 1, .noSpace = true}, {Closing::PartialNoSpace}},
        {{.rows = 3, .handled = 2, .lastResult = DownloadResult::CommError}, {Closing::CommError}},
        // A failed conversion is told after whatever else went wrong.
        {{.rows = 3, .handled = 3, .failed = 2, .missing = true, .conversionFailed = true},
         {Closing::PartialMissing, Closing::ConvertFailed}},
        {{.rows = 2, .handled = 2, .failed = 2, .missing = true, .conversionFailed = true},
         {Closing::AlreadyDeleted, Closing::ConvertFailed}},
        {{.rows = 3, .handled = 2, .cancelled = true}, {}},
    };
    for (const Row& r : rows) EXPECT_EQ(ChooseVoiceClosing(r.outcome), r.expected) << r.outcome.failed;
}

TEST(ClosingChoice, EveryMessageHasItsTextAndCaption) {
    const struct {
        Closing c;
        std::u16string_view text;
        std::u16string_view caption;
    } rows[] = {
        {Closing::Success, u"ファイルのダウンロードが正常に完了しました。", u"ダウンロード完了"},
        {Closing::PartialMissing, u"一部の音声ファイルがダウンロードできませんでした\n(音声ファイルなし)。",
         u"ダウンロード完了"},
        {Closing::PartialNoSpace, u"一部の音声ファイルがダウンロードできませんでした\n(ＰＣのメモリ不足)。",
         u"ダウンロード完了"},
        {Closing::AlreadyDeleted, u"音声ファイルは既に消去されています。", u"エラー"},
        {Closing::NoSpace, u"ＰＣのメモリ不足です。", u"エラー"},
        {Closing::CommError, u"通信エラーが発生しました。", u"エラー"},
        {Closing::ConvertFailed, u"ＷＡＶファイル変換に失敗しました。", u"エラー"},
        {Closing::NoMessages, u"音声メッセージがありません。", u"エラー"},
        {Closing::FolderSuccess, u"フォルダのダウンロードが正常に完了しました。", u"ダウンロード完了"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(MessageOf(r.c).text, r.text);
        EXPECT_EQ(MessageOf(r.c).caption, r.caption);
        EXPECT_EQ(MessageOf(r.c).icon, r.caption == u"エラー" ? Icon::Exclamation : Icon::Information);
    }
}

// ------------------------------------------------------------ batch runs

class DriversTest : public ::testing::Test, public DownloadFixture {
protected:
    void SetUp() override {
        PutMessage(RemoteBox("rusuroku", "0001"), "0001", 1, 6000);
        PutMessage(RemoteBox("rusuroku", "0001"), "0001", 2, 7000);
        PutMessage(RemoteBox("naisen", "2001"), "2001", 3, 8000);
        PutMessage(RemoteBox("naisen", "2002"), "2002", 4, 9000);
        PutResponse(disk / "outou", "202612010900", 7, 5000);
        MakeLocalBox("rusuroku", "0001");
        MakeLocalBox("naisen", "2001");
        MakeLocalBox("naisen", "2002", store::kMakeByCommand);
    }
    BatchResult batch(int kind, bool responses = true, DownloadOptions options = {}) {
        BatchRequest request{kind, BoxTargets(boxFolder), responses, boxFolder / "outou"};
        return RunBatch(Downloader(options), request, view);
    }
    [[nodiscard]] std::u16string lastShown() const {
        return ports.prompt.shown.empty() ? u"" : ports.prompt.shown.back().text;
    }
};

TEST_F(DriversTest, BatchOfKindZeroFetchesEveryBoxAndTheResponsesButNoMakeOneBox) {
    const BatchResult r = batch(dl::kKindFull);
    EXPECT_EQ(r.closing, Closing::Success);
    EXPECT_EQ(r.outcome.total, 7);  // 3 messages of two files and one response message
    EXPECT_EQ(r.outcome.handled, 7);
    EXPECT_EQ(testkit::Utf8(lastShown()), "ファイルのダウンロードが正常に完了しました。");
    // The counter counts messages, and reaches its total.
    EXPECT_EQ(view.calls, (std::vector<std::string>{"open", "totals 4 100", "close"}));
    EXPECT_EQ(ports.progress.Of(msg::kNextItem).size(), 4u);
    EXPECT_TRUE(fs::exists(boxFolder / "outou" / ResponseName("202612010900", 7)));
    EXPECT_EQ(FilesUnder(LocalBox("naisen", "2002")), std::vector<std::string>{"inf.ini"});
    EXPECT_TRUE(NoTornMessages());

    // A second run fetches nothing new and still succeeds.
    EXPECT_EQ(batch(dl::kKindFull).closing, Closing::Success);
}

TEST_F(DriversTest, BatchOfKindOneNeverTouchesTheResponses) {
    const BatchResult r = batch(dl::kKindInfo);
    EXPECT_EQ(r.closing, Closing::Success);
    EXPECT_EQ(r.outcome.total, 3);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"open", "totals 3 3", "close"}));
    EXPECT_TRUE(FilesUnder(boxFolder / "outou").empty());
    EXPECT_EQ(ports.progress.Of(msg::kCounterStep).size(), 3u);
}

TEST_F(DriversTest, BoxesAllMissingOnTheMainUnitHaveNoMessages) {
    fs::remove_all(disk / "rusuroku" / "0001");
    fs::remove_all(disk / "naisen" / "2001");
    EXPECT_EQ(batch(dl::kKindInfo).closing, Closing::NoMessages);
    EXPECT_EQ(testkit::Utf8(lastShown()), "音声メッセージがありません。");
}

TEST_F(DriversTest, OneExpectedFileGoneIsAlreadyDeleted) {
    fs::remove_all(disk / "rusuroku" / "0001");
    fs::remove_all(disk / "naisen" / "2001");
    PutMessage(RemoteBox("rusuroku", "0001"), "0001", 9, 6000, false);
    unit.ChangeFaults([](sim::Faults& f) { f.refuseRetr[MessageName("0001", 9, ".vmdat")] = 550; });
    EXPECT_EQ(batch(dl::kKindFull, false).closing, Closing::AlreadyDeleted);
    EXPECT_FALSE(view.LoggedOut());
}

TEST_F(DriversTest, ACommunicationErrorLogsOutAndKeepsWhatArrived) {
    Timeouts quick;
    quick.dataMillis = 300;
    Login(quick);
    unit.ChangeFaults([](sim::Faults& f) { f.refuseRetr[MessageName("2001", 3, ".vmdat")] = 451; });
    const BatchResult r = batch(dl::kKindFull);
    EXPECT_EQ(r.closing, Closing::CommError);
    EXPECT_TRUE(view.LoggedOut());
    EXPECT_FALSE(ftp->HasSession());
    EXPECT_TRUE(fs::exists(LocalBox("rusuroku", "0001") / MessageName("0001", 2, ".vminf")));
    EXPECT_TRUE(NoTornMessages());
}

TEST_F(DriversTest, AFailedConversionIsNeverReportedAsSuccess) {
    // Both files here already and the WAV file cannot be written (a folder
    // holds its name): the run would otherwise count this as success.
    const fs::path box = LocalBox("rusuroku", "0001");
    EXPECT_EQ(batch(dl::kKindFull, false).closing, Closing::Success);
    fs::create_directories(box / MessageName("0001", 1, ".wav"));
    const auto before = ReadAll(box / MessageName("0001", 1, ".vmdat"));
    const BatchResult r = batch(dl::kKindFull, false, {.convert = true});
    EXPECT_EQ(r.closing, Closing::ConvertFailed);
    EXPECT_EQ(testkit::Utf8(lastShown()), "ＷＡＶファイル変換に失敗しました。");
    EXPECT_FALSE(view.LoggedOut());
    EXPECT_EQ(ReadAll(box / MessageName("0001", 1, ".vmdat")), before);
}

TEST_F(DriversTest, CancelDuringABatchShowsNothing) {
    Login();
    const long start = ports.pump.steps;
    ports.pump.At(start + 60, [&] { ports.cancel.Set(); });
    BatchRequest request{dl::kKindFull, BoxTargets(boxFolder), true, boxFolder / "outou"};
    const BatchResult r = RunBatch(Downloader(), request, view);
    EXPECT_GE(ports.pump.steps, start + 60);
    EXPECT_EQ(r.closing, Closing::None);
    EXPECT_TRUE(ports.prompt.shown.empty());
    EXPECT_TRUE(NoTornMessages());
}

TEST_F(DriversTest, AFailedConversionOfOneChosenRowLeavesTheOthersToBeFetched) {
    PutMessage(RemoteBox("rusuroku", "0001"), "0001", 5, 6500);
    int handled = 0;
    const fs::path box = LocalBox("rusuroku", "0001");
    ASSERT_EQ(Downloader().DownloadBoxInfo(u"/rusuroku/0001", box, handled), DownloadResult::Ok);
    std::vector<fs::path> rows;
    for (int n : {1, 2, 5}) rows.push_back(box / MessageName("0001", n, ".vminf"));
    // The first row's WAV file cannot be written: a folder holds its name.
    fs::create_directories(box / MessageName("0001", 1, ".wav"));
    const VoiceResult r = DownloadSelectedVoice(Downloader({.convert = true}), rows, view);
    EXPECT_FALSE(fs::exists(box / MessageName("0001", 1, ".vmdat"))) << "a fresh file that failed goes again";
    for (int n : {2, 5}) {
        EXPECT_TRUE(fs::exists(box / MessageName("0001", n, ".vmdat"))) << n;
        EXPECT_TRUE(fs::exists(box / MessageName("0001", n, ".wav"))) << n;
    }
    EXPECT_EQ(r.outcome.failed, 1);
    EXPECT_EQ(r.shown, std::vector<Closing>{Closing::ConvertFailed});
    EXPECT_EQ(testkit::Utf8(lastShown()), "ＷＡＶファイル変換に失敗しました。");
    EXPECT_TRUE(r.reload);
    EXPECT_FALSE(view.LoggedOut());
    EXPECT_TRUE(NoTornMessages());
}

TEST_F(DriversTest, SelectedVoiceFetchesTheRowsAndReportsWhatIsGone) {
    int handled = 0;
    const fs::path box = LocalBox("rusuroku", "0001");
    ASSERT_EQ(Downloader().DownloadBoxInfo(u"/rusuroku/0001", box, handled), DownloadResult::Ok);
    const std::vector<fs::path> rows = {box / MessageName("0001", 1, ".vminf"), box / MessageName("0001", 2, ".vminf")};
    VoiceResult r = DownloadSelectedVoice(*dl, rows, view);
    EXPECT_EQ(r.shown, std::vector<Closing>{Closing::Success});
    EXPECT_TRUE(NoTornMessages());
    EXPECT_TRUE(fs::exists(box / MessageName("0001", 2, ".vmdat")));

    fs::remove(disk / "rusuroku" / "0001" / MessageName("0001", 2, ".vmdat"));
    r = DownloadSelectedVoice(*dl, rows, view);
    EXPECT_EQ(r.shown, std::vector<Closing>{Closing::PartialMissing});

    r = DownloadSelectedVoice(*dl, {}, view);
    EXPECT_EQ(testkit::Utf8(lastShown()), "選択されていません。");
}

// --------------------------------------------------------- folder download

class FolderDownloadTest : public ::testing::Test, public DownloadFixture {
protected:
    void SetUp() override {
        for (const char* b : {"0001", "0002"}) fs::create_directories(disk / "rusuroku" / b);
        for (const char* b : {"2001", "2002"}) fs::create_directories(disk / "naisen" / b);
        Login();
    }
    std::vector<int> bars;
    int cancelAtBar = -1;
    Closing run() {
        return DownloadFolders(*ftp, boxFolder, [&](int p) {
            bars.push_back(p);
            if (p == cancelAtBar) ports.cancel.Set();
        });
    }
};

TEST_F(FolderDownloadTest, BuildsTheTreeAndMarksItComplete) {
    EXPECT_EQ(run(), Closing::FolderSuccess);
    EXPECT_EQ(bars, (std::vector<int>{20, 40, 60, 100}));
    for (const char* rel : {"rusuroku/0001", "rusuroku/0002", "naisen/2001", "naisen/2002", "outou"}) {
        EXPECT_TRUE(fs::is_directory(boxFolder / rel)) << rel;
        EXPECT_EQ(CFileMng::ReadMake(boxFolder / rel), store::kMakeComplete) << rel;
    }
}

TEST_F(FolderDownloadTest, ACancelledRunRemovesOnlyWhatItMade) {
    // The user's own box with a message, and a box made by the make-folder command.
    const fs::path mine = MakeLocalBox("rusuroku", "0001");
    testkit::WriteBytes(mine / MessageName("0001", 1, ".vmdat"), "mine");
    MakeLocalBox("naisen", "2001", store::kMakeByCommand);
    cancelAtBar = dl::kFolderBarDone;
    EXPECT_EQ(run(), Closing::None);
    EXPECT_EQ(ReadAll(mine / MessageName("0001", 1, ".vmdat")), "mine");
    EXPECT_EQ(CFileMng::ReadMake(mine), store::kMakeComplete) << "a folder that was there is never marked";
    EXPECT_EQ(CFileMng::ReadMake(boxFolder / "naisen" / "2001"), store::kMakeByCommand);
    EXPECT_FALSE(fs::exists(boxFolder / "rusuroku" / "0002"));
    EXPECT_FALSE(fs::exists(boxFolder / "naisen" / "2002"));
    EXPECT_TRUE(fs::exists(boxFolder / "outou")) << "it was there before";
}

TEST_F(FolderDownloadTest, AFailedListingUndoesEverythingIntoAFreshFolder) {
    unit.Stop();  // the main unit is gone
    EXPECT_EQ(run(), Closing::CommError);
    EXPECT_FALSE(fs::exists(boxFolder));
}

// A listing of more boxes than a main unit can hold makes no folder at all.
TEST_F(FolderDownloadTest, AListingOfTooManyBoxesMakesNoFolder) {
    unit.ChangeFaults([](sim::Faults& f) { f.hugeListingBytes = 400'000; });  // some 15,000 names of each kind
    EXPECT_EQ(run(), Closing::CommError);
    EXPECT_FALSE(fs::exists(boxFolder));
}

}  // namespace
}  // namespace plova::dltest
