// Deleting messages on the main unit, on the PC and on both, against the
// simulator: what goes where, what stays, and the one summary chosen.
#include <gtest/gtest.h>

#include <fstream>

#include "download/testing/DownloadTestSupport.h"
#include "lists/MessageDeletion.h"
#include "oplog/testing/LogFolderScope.h"
#include "platform/Text.h"
#include "platform/testing/BlockedRewrite.h"
#include "platform/testing/FileBytes.h"
#include "platform/testing/SpecialFiles.h"
#include "store/CFileMng.h"
#include "store/RecordingBlock.h"

namespace plova {
namespace {
namespace fs = std::filesystem;
using dltest::MessageName;

std::string u8(std::u16string_view s) {
    return ToUtf8(s);
}

class ScriptedDeletionView final : public DeletionView {
public:
    void OpenProgress(int range) override { calls.push_back("open " + std::to_string(range)); }
    void Advance() override { ++steps; }
    void CloseProgress() override { calls.push_back("close"); }
    bool BackupDue() override { return ++backupChecks == backupAt; }
    void Logout() override {
        calls.push_back("logout");
        if (ftp) ftp->Logout();
    }
    std::vector<std::string> calls;
    int steps = 0;
    int backupChecks = 0;
    int backupAt = 0;  // the check that reports a backup due (0: none)
    CFtpMng* ftp = nullptr;
};

// Texts of the summary.
const char* const kSuccess = "音声メッセージの消去が正常に完了しました。";
const char* const kNoneOrProtected = "音声メッセージがありません。\nまたは｢保護｣に設定されています。";
const char* const kNotDownloaded = "音声ファイルがダウンロードされて\nいません。";
const char* const kPartialProtected =
    "一部の音声メッセージが消去できませんでした。\n(音声メッセージなし または｢保護｣)。";
const char* const kPartialInUse = "一部の音声メッセージが消去できませんでした。\n(音声メッセージ使用中)。";
const char* const kUnmarked =
    "主装置の音声メッセージは消去しましたが、\nＰＣのファイルに消去済みの印を書き込めませんでした。";
const char* const kPartialNotDownloaded =
    "一部の音声メッセージが消去できませんでした。\n(音声ファイル未ダウンロード)。";
const char* const kInUseMany = "音声メッセージは使用中のため\n消去できません。";

// ------------------------------------------------------------- summary

TEST(DeletionSummaryTest, TheMessageFollowsFlagsCountAndListKind) {
    struct Case {
        const char* name;
        DeletionFlags flags;  // inUse, notDownloaded, noneOrProtected, deleted
        int selected;
        bool responses;
        std::vector<std::pair<std::string, std::string>> want;  // text, caption
    };
    const fs::path answering = "/pc/VMU/rusuroku/0007/x.vmdat";
    const fs::path extension = "/pc/VMU/naisen/2001/x.vmdat";
    const Case cases[] = {
        {"many, clean", {false, false, false, 2}, 2, false, {{kSuccess, "消去完了"}}},
        {"many, nothing deleted, every flag in order",
         {true, true, true, 0},
         3,
         false,
         {{kInUseMany, "エラー"}, {kNotDownloaded, "エラー"}, {kNoneOrProtected, "エラー"}}},
        {"many, some deleted, every flag in order",
         {true, true, true, 1},
         4,
         false,
         {{kPartialInUse, "消去完了"}, {kPartialNotDownloaded, "消去完了"}, {kPartialProtected, "消去完了"}}},
        {"many, one protected among deleted", {false, false, true, 2}, 3, false, {{kPartialProtected, "消去完了"}}},
        {"one, in use wins",
         {true, true, true, 0},
         1,
         false,
         {{"留守録BOX0007の音声メッセージは\n使用中のため消去できません。", "エラー"}}},
        {"one, not downloaded before protected", {false, true, true, 0}, 1, false, {{kNotDownloaded, "エラー"}}},
        {"one, protected", {false, false, true, 0}, 1, false, {{kNoneOrProtected, "エラー"}}},
        {"one, clean", {false, false, false, 3}, 1, false, {{kSuccess, "消去完了"}}},
        {"responses, one in use",
         {true, false, false, 0},
         1,
         true,
         {{"音声メッセージは\n使用中のため消去できません。", "エラー"}}},
        {"responses, many in use, none deleted",
         {true, false, true, 0},
         2,
         true,
         {{kInUseMany, "エラー"}, {kNoneOrProtected, "エラー"}}},
        {"responses know no not-downloaded", {false, true, false, 1}, 2, true, {{kSuccess, "消去完了"}}},
        // A deletion whose local mark is missing is never reported as done.
        {"one, unmarked", {false, false, false, 1, true}, 1, false, {{kUnmarked, "エラー"}}},
        {"many, unmarked among protected",
         {false, false, true, 1, true},
         2,
         false,
         {{kPartialProtected, "消去完了"}, {kUnmarked, "エラー"}}},
    };
    for (const Case& c : cases) {
        const auto shown = ChooseDeletionSummary(c.flags, c.selected, c.responses, answering);
        ASSERT_EQ(shown.size(), c.want.size()) << c.name;
        for (std::size_t i = 0; i < shown.size(); ++i) {
            EXPECT_EQ(u8(shown[i].text), c.want[i].first) << c.name;
            EXPECT_EQ(u8(shown[i].caption), c.want[i].second) << c.name;
            EXPECT_EQ(shown[i].icon, c.want[i].second == "エラー" ? Icon::Exclamation : Icon::Information) << c.name;
        }
    }
    const auto inExtension = ChooseDeletionSummary({true, false, false, 0}, 1, false, extension);
    ASSERT_EQ(inExtension.size(), 1u);
    EXPECT_EQ(u8(inExtension[0].text), "内線BOX2001の音声メッセージは\n使用中のため消去できません。");
}

TEST(DeletionSummaryTest, TheBoxFieldOfANameIsReadAsTheMainUnitNamesBoxes) {
    const std::pair<const char*, const char*> cases[] = {
        {"202612071405_ABC_0001_00001.vminf", "0001"},
        {"202612071405_ABC_R012_00001.vminf", "012"},
        {"202612071405_ABC_12___00001.vminf", "12"},
        {"202612071405_ABC_1_2__00001.vminf", "1 2"},
        {"short.vminf", ""},
        {"", ""},
    };
    for (const auto& [name, box] : cases) EXPECT_EQ(u8(BoxOfMessageName(FromUtf8(name))), box) << name;
}

TEST(DeletionPlaceTest, OnlyFilesInTheBoxFolderReachedWithoutALinkHaveAPlace) {
    testkit::TempFolder temp("delplace");
    const fs::path vmu = temp.Path() / "VMU";
    const fs::path outside = temp.Path() / "outside";
    for (const char* d : {"rusuroku/0001", "naisen/2001", "outou", "other"}) fs::create_directories(vmu / d);
    fs::create_directories(outside / "0009");
    const fs::path linkedBox = vmu / "rusuroku" / "0009";
    const fs::path linkedFile = vmu / "rusuroku" / "0001" / "link.vmdat";
    std::ofstream(outside / "real.vmdat") << "x";
    // Where links cannot be made (Wine) the cases of links are passed over.
    const bool linked =
        testkit::MakeSymlink(outside / "0009", linkedBox) && testkit::MakeSymlink(outside / "real.vmdat", linkedFile);
    fs::create_directories(temp.Path() / "VMU2" / "rusuroku" / "0001");

    struct Case {
        fs::path file;
        bool responses;
        bool placed;
        bool extension;
        const char* box;
    };
    const Case cases[] = {
        {vmu / "rusuroku/0001/a.vmdat", false, true, false, "0001"},
        {vmu / "naisen/2001/a.vminf", false, true, true, "2001"},
        {vmu / "outou/a.vmdat", true, true, false, ""},
        {vmu / "outou/a.vmdat", false, false, false, ""},         // not a box
        {vmu / "rusuroku/0001/a.vmdat", true, false, false, ""},  // not outou
        {vmu / "rusuroku/0001/../../outou/a.vmdat", true, false, false, ""},
        {vmu / "rusuroku/0001/../0001/a.vmdat", false, false, false, ""},
        {vmu / "other/0001/a.vmdat", false, false, false, ""},  // not a box kind
        {vmu / "rusuroku/0001/sub/a.vmdat", false, false, false, ""},
        {linkedBox / "a.vmdat", false, false, false, ""},  // the box is a link
        {linkedFile, false, false, false, ""},             // the file is a link
        {vmu / "rusuroku/0001/a.txt", false, false, false, ""},
        {vmu / "rusuroku/0001/a\n.vmdat", false, false, false, ""},
        {temp.Path() / "VMU2/rusuroku/0001/a.vmdat", false, false, false, ""},  // another box folder
        {outside / "real.vmdat", false, false, false, ""},
        {fs::path(), false, false, false, ""},
    };
    for (const Case& c : cases) {
        if (!linked && (c.file == linkedFile || c.file.parent_path() == linkedBox)) continue;
        const auto place = PlaceInBoxFolder(vmu, c.file, c.responses);
        ASSERT_EQ(place.has_value(), c.placed) << c.file;
        if (!place) continue;
        EXPECT_EQ(place->extension, c.extension) << c.file;
        EXPECT_EQ(u8(place->box), c.box) << c.file;
    }
    // The box folder given with a trailing separator is the same folder.
    EXPECT_TRUE(PlaceInBoxFolder(vmu / "", vmu / "rusuroku/0001/a.vmdat", false));
}

// ------------------------------------------------- against the simulator

class MessageDeletionTest : public ::testing::Test {
protected:
    void SetUp() override {
        fx.Login();
        view.ftp = fx.ftp.get();
    }

    // Messages 1..count of box `box` on the main unit, downloaded (voice data
    // too unless `infoOnly`) into the local box folder.
    void prepareBox(const std::string& kind, const std::string& box, int count, bool infoOnly = false) {
        for (int n = 1; n <= count; ++n) dltest::PutMessage(fx.RemoteBox(kind, box), box, n, 800);
        fx.MakeLocalBox(kind, box);
        std::u16string remote = FromUtf8("/" + kind + "/" + box);
        int handled = 0, listed = 0;
        DownloadMng& d = fx.Downloader();
        const DownloadResult r = infoOnly ? d.DownloadBoxInfo(remote, fx.LocalBox(kind, box), handled)
                                          : d.DownloadBox(remote, fx.LocalBox(kind, box), handled, listed);
        ASSERT_EQ(r, DownloadResult::Ok);
    }
    std::vector<FILESTS_INFO> records(const fs::path& folder) {
        std::vector<FILESTS_INFO> out;
        EXPECT_TRUE(CFileMng::LoadFolderRecords(folder, out));
        return out;
    }
    DeletionResult run(int kind, std::vector<FILESTS_INFO> rows, bool responses = false) {
        DeletionRequest request;
        request.kind = kind;
        request.responseList = responses;
        request.boxFolder = fx.boxFolder;
        request.rows = std::move(rows);
        return DeleteMessages(request, fx.ftp.get(), view);
    }
    [[nodiscard]] std::vector<std::string> shown() const {
        std::vector<std::string> out;
        for (const auto& s : fx.ports.prompt.shown) out.push_back(u8(s.text));
        return out;
    }
    bool remoteHas(const std::string& kind, const std::string& box, int n, const char* ext = ".vminf") const {
        return fs::exists(fx.RemoteBox(kind, box) / MessageName(box, n, ext));
    }
    fs::path local(const std::string& kind, const std::string& box, int n, const char* ext = ".vmdat") const {
        return fx.LocalBox(kind, box) / MessageName(box, n, ext);
    }
    void protectOnMainUnit(const std::string& kind, const std::string& box, int n) {
        const fs::path f = fx.RemoteBox(kind, box) / MessageName(box, n, ".vminf");
        std::fstream io(f, std::ios::in | std::ios::out | std::ios::binary);
        io.seekp(block::kFlagsOffset);
        io.put(static_cast<char>(block::kFlagProtected));
    }
    std::uint8_t stateOnDisk(const fs::path& file) {
        FILESTS_INFO r;
        EXPECT_TRUE(CFileMng::ReadStatusRecord(file, r)) << file;
        return r.downloadState;
    }

    dltest::DownloadFixture fx;
    ScriptedDeletionView view;
};

TEST_F(MessageDeletionTest, EachKindWithOneAndSeveralRowsDeletesWhereItSays) {
    struct Case {
        int kind;
        int rows;
        bool remoteGone;
        bool localGone;
        int deleted;
        int range;
    };
    const Case cases[] = {
        {del::kKindMainUnit, 1, true, false, 1, 3}, {del::kKindMainUnit, 2, true, false, 2, 6},
        {del::kKindBoth, 1, true, true, 3, 6},      {del::kKindBoth, 2, true, true, 6, 12},
        {del::kKindPc, 1, false, true, 2, 3},       {del::kKindPc, 2, false, true, 4, 6},
    };
    int boxNumber = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE("kind " + std::to_string(c.kind) + ", rows " + std::to_string(c.rows));
        char box[8];
        std::snprintf(box, sizeof box, "%04d", boxNumber++);
        // One message more than is selected: it must stay.
        prepareBox("rusuroku", box, c.rows + 1);
        // A WAV file beside the first message, as a conversion leaves it.
        std::ofstream(local("rusuroku", box, 1, ".wav")) << "RIFF";
        std::vector<FILESTS_INFO> rows = records(fx.LocalBox("rusuroku", box));
        ASSERT_EQ(rows.size(), static_cast<std::size_t>(c.rows + 1));
        rows.pop_back();
        fx.ports.prompt.shown.clear();
        view = ScriptedDeletionView{};
        view.ftp = fx.ftp.get();

        const DeletionResult r = run(c.kind, rows);
        EXPECT_EQ(r.end, DeletionEnd::Finished);
        EXPECT_EQ(r.flags.deleted, c.deleted + (c.kind == del::kKindMainUnit ? 0 : 1));  // the WAV file
        EXPECT_EQ(shown(), std::vector<std::string>{kSuccess});
        EXPECT_EQ(view.calls, (std::vector<std::string>{"open " + std::to_string(c.range), "close"}));
        EXPECT_EQ(view.steps, r.flags.deleted);
        for (int n = 1; n <= c.rows; ++n) {
            EXPECT_NE(remoteHas("rusuroku", box, n), c.remoteGone) << n;
            EXPECT_NE(remoteHas("rusuroku", box, n, ".vmdat"), c.remoteGone) << n;
            EXPECT_NE(fs::exists(local("rusuroku", box, n)), c.localGone) << n;
            if (c.kind == del::kKindMainUnit) {
                EXPECT_EQ(stateOnDisk(local("rusuroku", box, n)), kDeletedOnMainUnit);
            }
        }
        EXPECT_EQ(fs::exists(local("rusuroku", box, 1, ".wav")), c.kind == del::kKindMainUnit);
        EXPECT_TRUE(remoteHas("rusuroku", box, c.rows + 1));
        EXPECT_TRUE(fs::exists(local("rusuroku", box, c.rows + 1)));
        EXPECT_EQ(stateOnDisk(local("rusuroku", box, c.rows + 1)), kUnplayedOnMainUnit);
    }
    EXPECT_TRUE(fx.ftp->HasSession());
}

TEST_F(MessageDeletionTest, InUseAndProtectedOnTheMainUnitKeepTheirRowsAndSaySo) {
    prepareBox("naisen", "2001", 3);
    const std::vector<FILESTS_INFO> rows = records(fx.LocalBox("naisen", "2001"));
    fx.unit.ChangeFaults([](sim::Faults& f) { f.inUse = {MessageName("2001", 1, ".vminf")}; });
    protectOnMainUnit("naisen", "2001", 2);

    // One row in use, alone.
    EXPECT_EQ(run(del::kKindMainUnit, {rows[0]}).end, DeletionEnd::Finished);
    EXPECT_EQ(shown(), std::vector<std::string>{"内線BOX2001の音声メッセージは\n使用中のため消去できません。"});
    EXPECT_EQ(fx.ports.prompt.shown.back().caption, u"エラー");
    // One protected row, alone.
    fx.ports.prompt.shown.clear();
    EXPECT_EQ(run(del::kKindMainUnit, {rows[1]}).end, DeletionEnd::Finished);
    EXPECT_EQ(shown(), std::vector<std::string>{kNoneOrProtected});
    // Both, nothing deleted: both error messages in order.
    fx.ports.prompt.shown.clear();
    EXPECT_EQ(run(del::kKindMainUnit, {rows[0], rows[1]}).end, DeletionEnd::Finished);
    EXPECT_EQ(shown(), (std::vector<std::string>{kInUseMany, kNoneOrProtected}));
    // All three: the third goes, the other two are reported as partial.
    fx.ports.prompt.shown.clear();
    const DeletionResult r = run(del::kKindMainUnit, rows);
    EXPECT_EQ(r.flags.deleted, 1);
    EXPECT_EQ(shown(), (std::vector<std::string>{kPartialInUse, kPartialProtected}));
    EXPECT_EQ(fx.ports.prompt.shown.back().caption, u"消去完了");
    EXPECT_TRUE(remoteHas("naisen", "2001", 1));
    EXPECT_TRUE(remoteHas("naisen", "2001", 2));
    EXPECT_FALSE(remoteHas("naisen", "2001", 3));
    EXPECT_EQ(stateOnDisk(local("naisen", "2001", 1)), kUnplayedOnMainUnit);
    EXPECT_EQ(stateOnDisk(local("naisen", "2001", 3)), kDeletedOnMainUnit);
}

// The main unit's message is gone whatever happens here; a record that cannot
// take the mark stays as it was, and the summary says so instead of "done".
TEST_F(MessageDeletionTest, AMarkThatCannotBeWrittenIsReportedNotHidden) {
    prepareBox("rusuroku", "0005", 2);
    const std::vector<FILESTS_INFO> rows = records(fx.LocalBox("rusuroku", "0005"));
    const std::string before = testkit::ReadFileBytes(local("rusuroku", "0005", 1));
    DeletionResult r;
    {
        testkit::BlockedRewrite blocked(rows[0].Path(), 1000);  // the message file cannot be written again
        if (!blocked.Blocks()) GTEST_SKIP() << testkit::kNoBlockedRewrite;
        r = run(del::kKindMainUnit, {rows[0]});
    }
    EXPECT_EQ(r.end, DeletionEnd::Finished);
    EXPECT_EQ(r.flags.deleted, 1);
    EXPECT_TRUE(r.flags.unmarked);
    EXPECT_FALSE(remoteHas("rusuroku", "0005", 1));
    EXPECT_EQ(testkit::ReadFileBytes(local("rusuroku", "0005", 1)), before);
    EXPECT_EQ(shown(), std::vector<std::string>{kUnmarked});

    // With room again the next deletion marks its row as before.
    fx.ports.prompt.shown.clear();
    r = run(del::kKindMainUnit, {rows[1]});
    EXPECT_FALSE(r.flags.unmarked);
    EXPECT_EQ(stateOnDisk(local("rusuroku", "0005", 2)), kDeletedOnMainUnit);
    EXPECT_EQ(shown(), std::vector<std::string>{kSuccess});
}

TEST_F(MessageDeletionTest, ALocallyProtectedRowIsLeftEverywhere) {
    prepareBox("rusuroku", "0001", 3);
    std::vector<FILESTS_INFO> rows = records(fx.LocalBox("rusuroku", "0001"));
    rows[1].isProtected = 1;
    const DeletionResult r = run(del::kKindBoth, rows);
    EXPECT_EQ(shown(), std::vector<std::string>{kPartialProtected});
    EXPECT_TRUE(fs::exists(local("rusuroku", "0001", 2)));
    EXPECT_TRUE(remoteHas("rusuroku", "0001", 2));
    EXPECT_FALSE(fs::exists(local("rusuroku", "0001", 1)));
    EXPECT_FALSE(remoteHas("rusuroku", "0001", 3));
    EXPECT_EQ(r.flags.deleted, 2 * 2 + 2);
}

TEST_F(MessageDeletionTest, AnInformationOnlyRowGoesOnThePcButIsNotDownloadedForTheMainUnit) {
    prepareBox("rusuroku", "0001", 1, true);
    const std::vector<FILESTS_INFO> rows = records(fx.LocalBox("rusuroku", "0001"));
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_EQ(rows[0].Path().extension(), ".vminf");

    for (int kind : {del::kKindMainUnit, del::kKindBoth}) {
        fx.ports.prompt.shown.clear();
        const DeletionResult r = run(kind, rows);
        EXPECT_TRUE(r.flags.notDownloaded) << kind;
        EXPECT_EQ(shown(), std::vector<std::string>{kNotDownloaded}) << kind;
        EXPECT_TRUE(fs::exists(rows[0].Path())) << kind;
        EXPECT_TRUE(remoteHas("rusuroku", "0001", 1)) << kind;
    }
    fx.ports.prompt.shown.clear();
    const DeletionResult r = run(del::kKindPc, rows);
    EXPECT_FALSE(r.flags.notDownloaded);
    EXPECT_EQ(r.flags.deleted, 1);
    EXPECT_EQ(shown(), std::vector<std::string>{kSuccess});
    EXPECT_FALSE(fs::exists(rows[0].Path()));
    EXPECT_TRUE(remoteHas("rusuroku", "0001", 1));
}

TEST_F(MessageDeletionTest, AMessageCopiedIntoAnotherBoxIsNotAskedOfTheMainUnit) {
    prepareBox("rusuroku", "0001", 1);
    dltest::PutMessage(fx.RemoteBox("rusuroku", "0002"), "0002", 5, 800);
    fx.MakeLocalBox("rusuroku", "0002");
    // Box 0001's message, copied into box 0002.
    const fs::path copied = fx.LocalBox("rusuroku", "0002") / MessageName("0001", 1, ".vmdat");
    fs::copy_file(local("rusuroku", "0001", 1), copied);
    const std::vector<FILESTS_INFO> rows = records(fx.LocalBox("rusuroku", "0002"));
    ASSERT_EQ(rows.size(), 1u);

    const DeletionResult r = run(del::kKindMainUnit, rows);
    EXPECT_TRUE(r.flags.noneOrProtected);
    EXPECT_EQ(view.steps, 0) << "the main unit was not asked";
    EXPECT_EQ(shown(), std::vector<std::string>{kNoneOrProtected});
    EXPECT_TRUE(remoteHas("rusuroku", "0001", 1));
    EXPECT_TRUE(remoteHas("rusuroku", "0002", 5));
    EXPECT_EQ(stateOnDisk(copied), kUnplayedOnMainUnit);
}

TEST_F(MessageDeletionTest, ARecordLeadingOutsideTheBoxFolderTouchesNothing) {
    prepareBox("rusuroku", "0001", 1);
    const FILESTS_INFO inside = records(fx.LocalBox("rusuroku", "0001")).front();
    // Files a user cares about, outside the box folder, named as messages.
    const fs::path elsewhere = fx.temp.Path() / "elsewhere" / "0001";
    fs::create_directories(elsewhere);
    fs::copy_file(inside.Path(), elsewhere / inside.Path().filename());
    std::ofstream(elsewhere / (inside.Path().stem().string() + ".wav")) << "keep";
    // The same box reached through a link from the box folder.
    if (!testkit::MakeSymlink(elsewhere, fx.boxFolder / "rusuroku" / "0003")) GTEST_SKIP() << testkit::kNoSymlinks;

    std::vector<FILESTS_INFO> rows;
    for (const fs::path& p :
         {elsewhere / inside.Path().filename(),
          fx.LocalBox("rusuroku", "0001") / ".." / ".." / ".." / "elsewhere" / "0001" / inside.Path().filename(),
          fx.boxFolder / "rusuroku" / "0003" / inside.Path().filename()}) {
        FILESTS_INFO r = inside;
        r.filePath = FromUtf8(p.string());
        rows.push_back(r);
    }
    for (int kind : {del::kKindPc, del::kKindBoth, del::kKindMainUnit}) {
        fx.ports.prompt.shown.clear();
        const DeletionResult r = run(kind, rows);
        EXPECT_TRUE(r.flags.noneOrProtected) << kind;
        EXPECT_EQ(r.flags.deleted, 0) << kind;
        EXPECT_EQ(shown(), std::vector<std::string>{kNoneOrProtected}) << kind;
    }
    EXPECT_EQ(dltest::FilesUnder(fx.temp.Path() / "elsewhere"),
              (std::vector<std::string>{"0001/" + inside.Path().filename().string(),
                                        "0001/" + inside.Path().stem().string() + ".wav"}));
    EXPECT_EQ(stateOnDisk(elsewhere / inside.Path().filename()), kUnplayedOnMainUnit);
    EXPECT_TRUE(remoteHas("rusuroku", "0001", 1));
    EXPECT_TRUE(fs::exists(inside.Path()));
}

TEST_F(MessageDeletionTest, ACommunicationFailureStopsTheRunAndLogsOut) {
    struct Case {
        const char* name;
        int kind;
        int failure;  // the answer to the second DELE; 0 hangs up
    };
    const Case cases[] = {
        {"main unit, hang-up", del::kKindMainUnit, 0},
        {"main unit, odd answer", del::kKindMainUnit, 421},
        {"both, odd answer", del::kKindBoth, 500},
    };
    int boxNumber = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        char box[8];
        std::snprintf(box, sizeof box, "%04d", boxNumber++);
        prepareBox("rusuroku", box, 3);
        const std::vector<FILESTS_INFO> rows = records(fx.LocalBox("rusuroku", box));
        fx.unit.ChangeFaults([&](sim::Faults& f) { f.failDele = {{MessageName(box, 2, ".vminf"), c.failure}}; });
        fx.ports.prompt.shown.clear();
        view = ScriptedDeletionView{};
        view.ftp = fx.ftp.get();

        const DeletionResult r = run(c.kind, rows);
        EXPECT_EQ(r.end, DeletionEnd::CommError);
        EXPECT_EQ(shown(), std::vector<std::string>{"通信エラーが発生しました。"});
        EXPECT_EQ(fx.ports.prompt.shown[0].caption, u"エラー");
        EXPECT_EQ(view.calls.back(), "logout");
        EXPECT_EQ(view.calls[view.calls.size() - 2], "close");
        EXPECT_FALSE(fx.ftp->HasSession());
        // The first deletion was answered and stands; nothing was asked after the failure.
        EXPECT_FALSE(remoteHas("rusuroku", box, 1));
        EXPECT_TRUE(remoteHas("rusuroku", box, 2));
        EXPECT_TRUE(remoteHas("rusuroku", box, 3));
        if (c.kind == del::kKindMainUnit) {
            EXPECT_EQ(stateOnDisk(local("rusuroku", box, 1)), kDeletedOnMainUnit);
            EXPECT_EQ(stateOnDisk(local("rusuroku", box, 3)), kUnplayedOnMainUnit);
        } else {
            // The PC phase came first and ran over every row.
            for (int n = 1; n <= 3; ++n) EXPECT_FALSE(fs::exists(local("rusuroku", box, n))) << n;
        }
        fx.unit.ChangeFaults([](sim::Faults& f) { f.failDele.clear(); });
        fx.Login();
        view.ftp = fx.ftp.get();
    }
}

TEST_F(MessageDeletionTest, WithoutAConnectionTheMainUnitPhaseIsACommunicationFailure) {
    prepareBox("rusuroku", "0001", 1);
    const std::vector<FILESTS_INFO> rows = records(fx.LocalBox("rusuroku", "0001"));
    DeletionRequest request{del::kKindMainUnit, false, fx.boxFolder, rows};
    const DeletionResult r = DeleteMessages(request, nullptr, view);
    EXPECT_EQ(r.end, DeletionEnd::CommError);
    EXPECT_EQ(shown(), std::vector<std::string>{"通信エラーが発生しました。"});
    EXPECT_TRUE(fs::exists(rows[0].Path()));
}

TEST_F(MessageDeletionTest, NothingSelectedIsRefusedBeforeAnyWindow) {
    const DeletionResult r = run(del::kKindBoth, {});
    EXPECT_EQ(r.end, DeletionEnd::NothingSelected);
    EXPECT_EQ(shown(), std::vector<std::string>{"選択されていません。"});
    EXPECT_EQ(fx.ports.prompt.shown[0].caption, u"エラー");
    EXPECT_TRUE(view.calls.empty());
}

TEST_F(MessageDeletionTest, ABackupThatFallsDueEndsAPcOnlyRunWithoutASummary) {
    prepareBox("rusuroku", "0001", 3);
    const std::vector<FILESTS_INFO> rows = records(fx.LocalBox("rusuroku", "0001"));
    view.backupAt = 1;
    const DeletionResult r = run(del::kKindPc, rows);
    EXPECT_EQ(r.end, DeletionEnd::BackupRequested);
    EXPECT_TRUE(shown().empty());
    EXPECT_EQ(view.calls, (std::vector<std::string>{"open 9", "close"}));
    EXPECT_FALSE(fs::exists(rows[0].Path()));
    EXPECT_TRUE(fs::exists(rows[1].Path()));
    EXPECT_TRUE(fs::exists(rows[2].Path()));
}

TEST_F(MessageDeletionTest, ResponseMessagesGoWithTheirAudioCopiesWhateverTheirCase) {
    dltest::PutResponse(fx.disk / "outou", "202612071405", 1, 800);
    dltest::PutResponse(fx.disk / "outou", "202612071405", 2, 800);
    dltest::PutResponse(fx.disk / "outou", "202612071405", 3, 800);
    fx.MakeLocalBox("rusuroku", "0001");
    int handled = 0, listed = 0;
    ASSERT_EQ(fx.Downloader().DownloadResponseMessages(fx.boxFolder / "outou", handled, listed), DownloadResult::Ok);
    std::vector<FILESTS_INFO> rows = records(fx.boxFolder / "outou");
    ASSERT_EQ(rows.size(), 3u);
    const fs::path first = rows[0].Path();
    for (const char* ext : {".WAV", ".WMA", ".wav"}) std::ofstream(fs::path(first).replace_extension(ext)) << "audio";
    // The message and its copies: Windows holds ".WAV" and ".wav" as one file.
    int localFiles = 0;
    for (const auto& e : fs::directory_iterator(first.parent_path())) localFiles += e.path().stem() == first.stem();
    // An absent number (no message behind it) among the rows is passed over.
    rows.insert(rows.begin(), FILESTS_INFO{});

    // Kind 1 on the first: the local files (four on Linux) and the main unit's copy.
    DeletionResult r = run(del::kKindBoth, {rows[0], rows[1]}, true);
    EXPECT_EQ(shown(), std::vector<std::string>{kSuccess});
    EXPECT_EQ(r.flags.deleted, localFiles + 1);
    EXPECT_FALSE(fs::exists(fx.disk / "outou" / first.filename()));
    EXPECT_TRUE(dltest::FilesUnder(fx.boxFolder / "outou").size() == 2u);

    // Kind 0 on the second: the main unit's goes, the local file says so.
    fx.ports.prompt.shown.clear();
    r = run(del::kKindMainUnit, {rows[2]}, true);
    EXPECT_EQ(shown(), std::vector<std::string>{kSuccess});
    EXPECT_FALSE(fs::exists(fx.disk / "outou" / rows[2].Path().filename()));
    EXPECT_EQ(stateOnDisk(rows[2].Path()), kDeletedOnMainUnit);

    // Kind 0 on the third while it is in use.
    fx.ports.prompt.shown.clear();
    fx.unit.ChangeFaults([&](sim::Faults& f) { f.inUse = {rows[3].Path().filename().string()}; });
    r = run(del::kKindMainUnit, {rows[3]}, true);
    EXPECT_EQ(shown(), std::vector<std::string>{"音声メッセージは\n使用中のため消去できません。"});
    EXPECT_TRUE(fs::exists(fx.disk / "outou" / rows[3].Path().filename()));
}

}  // namespace
}  // namespace plova

namespace plova {
namespace {

// Who deleted what: one entry per run with every row and what became of it,
// on each side it was asked of.
TEST_F(MessageDeletionTest, EveryRowAndItsOutcomeOnEachSideGoesIntoTheLog) {
    testkit::LogFolderScope log;
    prepareBox("naisen", "2001", 3);
    const std::vector<FILESTS_INFO> rows = records(fx.LocalBox("naisen", "2001"));
    fx.unit.ChangeFaults([](sim::Faults& f) { f.inUse = {MessageName("2001", 1, ".vminf")}; });
    protectOnMainUnit("naisen", "2001", 2);

    EXPECT_EQ(run(del::kKindBoth, rows).end, DeletionEnd::Finished);
    EXPECT_EQ(run(del::kKindPc, {}).end, DeletionEnd::NothingSelected);  // nothing done, nothing written

    const std::vector<oplog::Entry> entries = log.Entries();
    ASSERT_EQ(entries.size(), 1u);
    const oplog::Entry& e = entries[0];
    EXPECT_EQ(e.operation, "delete");
    EXPECT_EQ(e.by, oplog::FrontEnd::Window);
    EXPECT_EQ(e.detail, "on the main unit and this PC");
    EXPECT_EQ(e.boxFolder, Utf8Of(fx.boxFolder));
    EXPECT_EQ(e.unitAddress, "127.0.0.1");
    EXPECT_EQ(e.result, oplog::Result::Partial);
    struct Expected {
        int message;
        oplog::Outcome outcome;
        const char* note;
    };
    const Expected expected[] = {
        {1, oplog::Outcome::Done, "deleted on this PC"},
        {2, oplog::Outcome::Done, "deleted on this PC"},
        {3, oplog::Outcome::Done, "deleted on this PC"},
        {1, oplog::Outcome::Failed, "in use on the main unit"},
        {2, oplog::Outcome::Skipped, "not on the main unit, or protected there"},
        {3, oplog::Outcome::Done, "deleted on the main unit"},
    };
    ASSERT_EQ(e.messages.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(e.messages[i].name, MessageName("2001", expected[i].message, ".vmdat"));
        EXPECT_EQ(e.messages[i].outcome, expected[i].outcome);
        EXPECT_EQ(e.messages[i].note, expected[i].note);
    }
}

TEST_F(MessageDeletionTest, ALogThatCannotBeWrittenDoesNotStopADeletion) {
    testkit::LogFolderScope log;
    // A file where the log's folder should be.
    std::ofstream(log.Base() / "plova") << "in the way";
    prepareBox("rusuroku", "0001", 2);
    const std::vector<FILESTS_INFO> rows = records(fx.LocalBox("rusuroku", "0001"));
    const DeletionResult r = run(del::kKindBoth, rows);
    EXPECT_EQ(r.end, DeletionEnd::Finished);
    EXPECT_EQ(shown(), std::vector<std::string>{kSuccess});
    for (int n = 1; n <= 2; ++n) {
        EXPECT_FALSE(fs::exists(local("rusuroku", "0001", n)));
        EXPECT_FALSE(remoteHas("rusuroku", "0001", n));
    }
    EXPECT_TRUE(fs::is_regular_file(log.Base() / "plova"));
}

}  // namespace
}  // namespace plova
