// Enabling rules of the command bar and menus, and the texts of the status
// bar and the two command-bar displays.
#include <gtest/gtest.h>

#include "app/CommandTable.h"
#include "app/FrameTexts.h"
#include "lists/ListData.h"
#include "platform/testing/TempFolder.h"

namespace plova {
namespace {

namespace fs = std::filesystem;

std::vector<int> enabledIds(const ItemStates& states) {
    std::vector<int> ids;
    for (const auto& [id, s] : states)
        if (s.enabled) ids.push_back(id);
    return ids;
}

TEST(ButtonRulesTest, NoListWindowDisablesTheListCommands) {
    CommandContext c;  // logged out, nothing open
    const ItemStates s = ButtonStates(c);
    EXPECT_EQ(s.size(), 18u);
    EXPECT_EQ(enabledIds(s), (std::vector<int>{1001, 1005, 1006, 1007, 1008}));
}

// Logged in, a box folder open and one list window active with every flag set.
CommandContext everythingAtHand() {
    CommandContext c;
    c.loggedIn = true;
    c.openFolderIsBoxFolder = true;
    c.folderDisplay = u" /data/本社";
    c.listActive = true;
    c.listCount = 1;
    c.flags = {true, true, true, true, true, true, true};
    return c;
}

TEST(ButtonRulesTest, EachButtonFollowsItsOwnConditions) {
    const CommandContext c = everythingAtHand();
    const ItemStates all = ButtonStates(c);
    for (int id = 1001; id <= 1018; ++id) EXPECT_TRUE(all.at(id).enabled) << id;

    // Downloads need the session and a box folder.
    CommandContext d = c;
    d.loggedIn = false;
    ItemStates s = ButtonStates(d);
    for (int id : {1002, 1003, 1004, 1017}) EXPECT_FALSE(s.at(id).enabled) << id;
    for (int id : {1012, 1013, 1018}) EXPECT_TRUE(s.at(id).enabled) << id;
    d = c;
    d.openFolderIsBoxFolder = false;
    s = ButtonStates(d);
    EXPECT_FALSE(s.at(1002).enabled);
    EXPECT_FALSE(s.at(1003).enabled);
    EXPECT_TRUE(s.at(1004).enabled);

    // The active list's flags, one by one.
    const std::pair<bool ListEnableFlags::*, std::vector<int>> byFlag[] = {
        {&ListEnableFlags::convert, {1013}},  {&ListEnableFlags::undownloaded, {1004, 1012}},
        {&ListEnableFlags::play, {1014}},     {&ListEnableFlags::erase, {1015}},
        {&ListEnableFlags::moveCopy, {1016}}, {&ListEnableFlags::upload, {1017}},
        {&ListEnableFlags::add, {1018}}};
    for (const auto& [flag, ids] : byFlag) {
        d = c;
        d.flags.*flag = false;
        s = ButtonStates(d);
        for (int id = 1001; id <= 1018; ++id) {
            const bool affected = std::find(ids.begin(), ids.end(), id) != ids.end();
            EXPECT_EQ(s.at(id).enabled, !affected) << id;
        }
    }

    // "ボックス" needs more than one character in the folder display.
    d = c;
    d.folderDisplay = u" ";
    EXPECT_FALSE(ButtonStates(d).at(1009).enabled);
    d.folderDisplay = u" a";
    EXPECT_TRUE(ButtonStates(d).at(1009).enabled);

    // Upload and add also need an active list, whatever the flags say.
    d = c;
    d.listActive = false;
    s = ButtonStates(d);
    for (int id : {1010, 1011, 1017, 1018}) EXPECT_FALSE(s.at(id).enabled) << id;
}

// The rows' menu says what the buttons and menu items say: each entry is
// enabled exactly when the command it stands for is, whatever flag is off.
TEST(RowMenuTest, EntriesFollowTheRulesOfTheirCommands) {
    CommandContext c = everythingAtHand();
    const auto ids = [](const std::vector<RowMenuItem>& items) {
        std::vector<int> out;
        for (const RowMenuItem& i : items) out.push_back(i.id);
        return out;
    };
    const std::vector<int> boxList{
        cmd::kPlay, cmd::kConvert,          cmd::kDownloadVoiceData, cmd::kMoveCopy, cmd::kErase, cmd::kEditRecording,
        0,          cmd::kOpenMessageFolder};
    for (const bool response : {false, true}) {
        c.activeListIsSystemResponse = response;
        for (int off = -1; off < 7; ++off) {
            c.flags = {true, true, true, true, true, true, true};
            bool* flags[] = {&c.flags.convert, &c.flags.undownloaded, &c.flags.play,  &c.flags.moveCopy,
                             &c.flags.add,     &c.flags.erase,        &c.flags.upload};
            if (off >= 0) *flags[off] = false;
            const std::vector<RowMenuItem> items = RowMenuItems(c);
            std::vector<int> expected = boxList;
            if (response) expected.insert(expected.begin() + 6, {cmd::kAdd, cmd::kUpload});
            ASSERT_EQ(ids(items), expected);
            const ItemStates buttons = ButtonStates(c);
            const ItemStates menu = SettingsMenuStates(c);
            for (const RowMenuItem& i : items) {
                if (i.id == 0) continue;
                EXPECT_FALSE(i.caption.empty()) << i.id;
                if (i.id == cmd::kOpenMessageFolder) continue;
                const bool rule = i.id == cmd::kEditRecording ? menu.at(i.id).enabled : buttons.at(i.id).enabled;
                EXPECT_EQ(i.enabled, rule) << i.id << " with flag " << off << " off";
            }
        }
    }
    EXPECT_EQ(RowMenuItems(c)[0].caption, u"再生");
    c.listActive = false;
    EXPECT_FALSE(RowMenuItems(c).back().enabled);
}

TEST(SettingsMenuRulesTest, SessionFolderAndListDecideTheItems) {
    CommandContext c;
    ItemStates s = SettingsMenuStates(c);
    EXPECT_TRUE(s.at(32784).enabled);
    EXPECT_FALSE(s.at(32785).enabled);
    for (int id : {32790, 32791, 32792, 32793, 32794, 32795, 32796, 32803}) EXPECT_FALSE(s.at(id).enabled) << id;
    for (int id : {32786, 32787, 32788, 32789}) EXPECT_TRUE(s.at(id).enabled) << id;
    EXPECT_FALSE(s.at(32787).checked);

    c.loggedIn = true;
    c.openFolderIsBoxFolder = true;
    c.openFolderHasBoxes = true;
    c.rootFolderEmpty = false;
    c.listActive = true;
    c.downConv = 1;
    c.convDel = 1;
    s = SettingsMenuStates(c);
    EXPECT_FALSE(s.at(32784).enabled);
    EXPECT_TRUE(s.at(32785).enabled);
    EXPECT_TRUE(s.at(32787).checked);
    EXPECT_TRUE(s.at(32789).checked);
    for (int id : {32790, 32791, 32792, 32793, 32794, 32795, 32796, 32803}) EXPECT_TRUE(s.at(id).enabled) << id;

    c.activeListIsSystemResponse = true;
    s = SettingsMenuStates(c);
    EXPECT_FALSE(s.at(32790).enabled);
    EXPECT_TRUE(s.at(32791).enabled);
}

TEST(WindowMenuTest, ArrangementAndListItems) {
    CommandContext c;
    EXPECT_FALSE(WindowMenuStates(c).at(32800).enabled);
    EXPECT_TRUE(WindowMenuStates(c).at(57650).enabled);
    c.listCount = 2;
    EXPECT_TRUE(WindowMenuStates(c).at(32800).enabled);

    const std::array<std::u16string, 4> disp = {u"留守録BOX：0?1,002", u"留守録BOX：" + std::u16string(40, u'9'), u"",
                                                u""};
    EXPECT_TRUE(WindowMenuListItems(disp, 2, 0).empty());
    const auto items = WindowMenuListItems(disp, 2, 2);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].id, 10001);
    EXPECT_EQ(items[0].caption, u"留守録BOX：0,1,002");
    EXPECT_FALSE(items[0].checked);
    EXPECT_EQ(items[1].caption.size(), 33u);
    EXPECT_EQ(items[1].caption.substr(30), u"...");
    EXPECT_TRUE(items[1].checked);
}

TEST(BoxFolderFactsTest, TheDiskDecides) {
    testkit::TempFolder dir("facts");
    SettingsRecord r;
    r.folder = WithTrailingSeparator(dir.Path().u16string());
    r.folderName = u"本社";
    EXPECT_FALSE(OpenFolderIsBoxFolder(r));
    EXPECT_FALSE(OpenFolderHasBoxes(r));
    fs::create_directories(dir.Path() / u"本社" / "rusuroku");
    EXPECT_FALSE(OpenFolderIsBoxFolder(r));  // both halves are needed
    fs::create_directories(dir.Path() / u"本社" / "naisen");
    EXPECT_TRUE(OpenFolderIsBoxFolder(r));

    // Renaming boxes needs a box in the open box folder: another box folder
    // of the root with boxes does not count.
    fs::create_directories(dir.Path() / u"支店" / "rusuroku" / "001");
    fs::create_directories(dir.Path() / u"支店" / "naisen");
    EXPECT_FALSE(OpenFolderHasBoxes(r));
    fs::create_directories(dir.Path() / u"本社" / "naisen" / "201");
    EXPECT_TRUE(OpenFolderHasBoxes(r));
    r.folderName = u"支店";
    EXPECT_TRUE(OpenFolderHasBoxes(r));
    r.folderName = u"gone";
    EXPECT_FALSE(OpenFolderHasBoxes(r));
    r.folder.clear();
    r.folderName = u"本社";
    EXPECT_FALSE(OpenFolderHasBoxes(r));
}

TEST(StatusBarTest, BothFormatsAndTheOverflowMark) {
    EXPECT_EQ(StatusBarText(nullptr), u"");
    StatusCounts box{false, 1234, 56, 7, 3, 4};
    EXPECT_EQ(StatusBarText(&box), u"件数: ﾌｫﾙﾀﾞﾄｰﾀﾙ 1234  ﾎﾞｯｸｽﾄｰﾀﾙ 56  一覧表ﾄｰﾀﾙ 7  未再生 3  再生済 4");
    StatusCounts sys{true, 100000, 0, 99999, 0, 0};
    EXPECT_EQ(StatusBarText(&sys), u"件数: ﾌｫﾙﾀﾞﾄｰﾀﾙ +++++  ｼｽﾃﾑ応答ﾒｯｾｰｼﾞﾄｰﾀﾙ 300  一覧表ﾄｰﾀﾙ 99999");
    EXPECT_EQ(StatusCount(99999), u"99999");
    EXPECT_EQ(StatusCount(100000), u"+++++");
    EXPECT_EQ(StatusCount(0), u"0");
}

// An empty list says why when a display narrowed it, and only then: a box
// with no messages at all, or a list showing rows, keeps the counts alone.
TEST(StatusBarTest, AnEmptyNarrowedListSaysWhy) {
    const auto counts = [](std::int64_t boxTotal) {
        return u"件数: ﾌｫﾙﾀﾞﾄｰﾀﾙ 9  ﾎﾞｯｸｽﾄｰﾀﾙ " + StatusCount(boxTotal) + u"  一覧表ﾄｰﾀﾙ 0  未再生 0  再生済 0";
    };
    struct Case {
        int mode;
        std::int64_t boxTotal, listTotal;
        std::u16string reason;
    };
    for (const Case& c :
         {Case{display::kNotDownloaded, 9, 0, u"  （未ﾀﾞｳﾝﾛｰﾄﾞ表示中: 音声ﾃﾞｰﾀのないﾒｯｾｰｼﾞはありません）"},
          Case{display::kSelect, 9, 0, u"  （選択表示中: 条件に合うﾒｯｾｰｼﾞはありません）"},
          Case{display::kAll, 9, 0, u""}, Case{display::kNotDownloaded, 0, 0, u""}}) {
        StatusCounts a{false, 9, c.boxTotal, c.listTotal, 0, 0, c.mode};
        EXPECT_EQ(StatusBarText(&a), counts(c.boxTotal) + c.reason) << c.mode;
    }
}

TEST(StatusBarTest, TheMainUnitAndTheBoxFolderAtAGlance) {
    SettingsRecord r;
    EXPECT_EQ(LoginStatusText(r), u"未ログイン");
    EXPECT_EQ(BoxFolderStatusText(r), u"ﾎﾞｯｸｽﾌｫﾙﾀﾞ: なし");
    r.connection = {u"192.168.1.20", u"admin", u"secret"};
    EXPECT_EQ(LoginStatusText(r), u"未ログイン");  // the address of a login that is not open is not shown
    r.loggedIn = 1;
    r.folderName = u"本社";
    EXPECT_EQ(LoginStatusText(r), u"ログイン中: 192.168.1.20 (admin)");  // never the password
    EXPECT_EQ(BoxFolderStatusText(r), u"ﾎﾞｯｸｽﾌｫﾙﾀﾞ: 本社");
}

SettingsRecord withLists() {
    SettingsRecord r;
    r.folder = u"/data/c:boxes";
    r.folderName = u"本社";
    r.num = 2;
    r.disp = {u"留守録BOX：001,0?2,  内線BOX：201", u"内線BOX:201,202", u"", u""};
    r.folderNames = {u"本社", u"", u"", u""};
    return r;
}

// A root with a colon in a folder's name, as this system spells it, and as
// the display shows it: every colon full-width, a drive's too.
#if defined(_WIN32)
constexpr std::u16string_view kColonRoot = u"C:\\data\\c:boxes";
constexpr std::u16string_view kColonRootShown = u" C：\\data\\c：boxes";
constexpr std::u16string_view kSeparatorText = u"\\";
#else
constexpr std::u16string_view kColonRoot = u"/data/c:boxes";
constexpr std::u16string_view kColonRootShown = u" /data/c：boxes";
constexpr std::u16string_view kSeparatorText = u"/";
#endif

TEST(DisplayTextTest, FolderDisplay) {
    SettingsRecord r = withLists();
    r.folder = kColonRoot;
    const std::u16string shown = std::u16string(kColonRootShown) + std::u16string(kSeparatorText) + u"本社";
    EXPECT_EQ(FolderDisplayText(r, 1), shown);
    EXPECT_EQ(FolderDisplayText(r, 2), u"");  // no folder name in the slot
    EXPECT_EQ(FolderDisplayText(r, 0), u"");
    r.num = 0;
    EXPECT_EQ(FolderDisplayText(r, 1), u"");

    EXPECT_EQ(InitialFolderDisplayText(r), shown);
    r.folderName.clear();
    EXPECT_EQ(InitialFolderDisplayText(r), kColonRootShown);  // no trailing separator
    r.folder.clear();
    EXPECT_EQ(InitialFolderDisplayText(r), u"");

    EXPECT_EQ(FolderNameFromDisplay(u" " + shown), u"本社");
    EXPECT_EQ(FolderNameFromDisplay(u" 本社"), u"本社");
    EXPECT_EQ(FolderNameFromDisplay(u" a：b"), u"a:b");
    EXPECT_EQ(FolderNameFromDisplay(u""), u"");
}

TEST(DisplayTextTest, BoxDisplayPutsTheExtensionGroupOnItsOwnLine) {
    SettingsRecord r = withLists();
    EXPECT_EQ(BoxDisplayText(r, 1), u" 留守録BOX：001,0,2  \r\n 内線BOX：201");
    // Extension boxes alone: no line break, the ASCII colon shown full width.
    EXPECT_EQ(BoxDisplayText(r, 2), u" 内線BOX：201,202");
    EXPECT_EQ(BoxDisplayText(r, 3), u"");
    EXPECT_EQ(InitialBoxDisplayText(r, true), u" 留守録BOX：001,0,2,  内線BOX：201");
    EXPECT_EQ(InitialBoxDisplayText(r, false), u"");
    // A label one character in (a hand-edited file) breaks the line, and nothing else.
    r.disp[2] = u"x内線BOX：1";
    EXPECT_EQ(BoxDisplayText(r, 3), u" x\r\n 内線BOX：1");
    r.num = 0;
    EXPECT_EQ(BoxDisplayText(r, 1), u"");
}

}  // namespace
}  // namespace plova

namespace plova {
namespace {

TEST(ConversionToggleTest, OneBecomesZeroAnythingElseOne) {
    SettingsRecord r;
    for (auto [before, after] : {std::pair{0, 1}, {1, 0}, {5, 1}, {-1, 1}}) {
        r.downConv = before;
        r.convDel = 7;
        EXPECT_TRUE(ToggleConversionSetting(r, cmd::kToggleDownConv));
        EXPECT_EQ(r.downConv, after);
        EXPECT_EQ(r.convDel, 7);
    }
    EXPECT_TRUE(ToggleConversionSetting(r, cmd::kToggleConvDel));
    EXPECT_EQ(r.convDel, 1);
    EXPECT_EQ(r.builtInPlayer, 1);  // on until turned off
    EXPECT_TRUE(ToggleConversionSetting(r, cmd::kToggleBuiltInPlayer));
    EXPECT_EQ(r.builtInPlayer, 0);
    EXPECT_EQ(r.convDel, 1);
    EXPECT_FALSE(ToggleConversionSetting(r, cmd::kBackupSettings));
    EXPECT_EQ(r.convDel, 1);
}

}  // namespace
}  // namespace plova
