// Window placement and the start-up decisions about the box folder and the
// list windows of the last run.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>

#include "app/CPLOVADoc.h"
#include "app/StartupPlan.h"
#include "app/WindowPlacement.h"
#include "platform/testing/OwnScratchFolder.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TempFolder.h"
#include "store/testing/MessageFiles.h"

namespace plova {
namespace {

namespace fs = std::filesystem;
using testkit::TempFolder;
using testkit::WriteBytes;

constexpr int W = 1920, H = 1080;

TEST(MainWindowPlacementTest, RectanglesOffTheScreenAreShiftedKeepingTheirSize) {
    EXPECT_EQ(ShiftOntoScreen({-500, 100, -100, 400}, W, H), (Rect{1, 100, 401, 400}));      // left of it
    EXPECT_EQ(ShiftOntoScreen({100, -300, 500, -50}, W, H), (Rect{100, 1, 500, 251}));       // above it
    EXPECT_EQ(ShiftOntoScreen({2000, 100, 2600, 400}, W, H), (Rect{1321, 100, 1921, 400}));  // right of it
    EXPECT_EQ(ShiftOntoScreen({100, 1000, 500, 1300}, W, H), (Rect{100, 781, 500, 1081}));   // below it
    EXPECT_EQ(ShiftOntoScreen({10, 20, 900, 700}, W, H), (Rect{10, 20, 900, 700}));          // on it
    // Wider than the screen: the right shift first, then the left edge at 1.
    EXPECT_EQ(ShiftOntoScreen({0, 0, 3000, 500}, W, H), (Rect{1, 0, 3001, 500}));
}

TEST(MainWindowPlacementTest, NoStoredRectangleOpensCentredAtTwoThirdsOfTheScreen) {
    IniDocument empty;
    const Rect stored = ReadMainWindowRect(empty);
    EXPECT_EQ(stored, (Rect{-9999, -9999, -9999, -9999}));
    EXPECT_EQ(RestoreMainWindowPlacement(stored, 1920, 1080), (Rect{320, 180, 320 + 1280, 180 + 720}));
    // A small screen: never below the minimum size, never off the screen's top left.
    EXPECT_EQ(RestoreMainWindowPlacement(stored, 1024, 300), (Rect{89, 25, 89 + 845, 25 + 250}));
    EXPECT_EQ(RestoreMainWindowPlacement(stored, 800, 200), (Rect{0, 0, 845, 250}));
    // No screen known: the top left corner at the minimum size.
    EXPECT_EQ(RestoreMainWindowPlacement(stored, 0, 0), (Rect{1, 1, 1 + 845, 1 + 250}));
}

TEST(MainWindowPlacementTest, HostileValuesNeitherOverflowNorLeaveTheScreen) {
    for (const Rect r : {Rect{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, Rect{INT_MAX, INT_MAX, INT_MIN, INT_MIN},
                         Rect{INT_MAX - 1, 0, INT_MAX, 10}}) {
        const Rect p = RestoreMainWindowPlacement(r, W, H);
        EXPECT_GE(p.left, 0);
        EXPECT_GE(p.top, 0);
        EXPECT_LE(p.left, W + 1);
        EXPECT_LE(p.top, H + 1);
        EXPECT_GE(static_cast<long long>(p.right) - p.left, 845);
    }
}

TEST(ListPlacementSaveTest, SectionsFollowTheStackingOrder) {
    const Rect main{10, 10, 900, 700};
    const PlacementSave s =
        PlanPlacementSave(main, {{2, {1, 2, 3, 4}, 1}, {1, {5, 6, 7, 8}, 2}, {3, {9, 9, 99, 99}, 1}});
    EXPECT_EQ(s.mainWindow, main);
    EXPECT_EQ(s.lists[0].number, 2);
    EXPECT_EQ(s.lists[0].zOrder, 1);
    EXPECT_EQ(s.lists[0].rect, (Rect{1, 2, 3, 4}));
    EXPECT_EQ(s.lists[1].number, 1);
    EXPECT_EQ(s.lists[1].showCmd, 2);
    EXPECT_EQ(s.lists[2].number, 3);
    // The fourth section is written all the same, empty.
    EXPECT_EQ(s.lists[3].number, 4);
    EXPECT_EQ(s.lists[3].zOrder, 4);
    EXPECT_EQ(s.lists[3].rect, Rect{});
    EXPECT_EQ(s.lists[3].showCmd, 0);
}

TEST(ListPlacementSaveTest, OneMaximisedWindowMaximisesEverySection) {
    const PlacementSave s = PlanPlacementSave({}, {{1, {1, 1, 5, 5}, 1}, {2, {20, 20, 400, 300}, 3}});
    for (const auto& section : s.lists) {
        EXPECT_EQ(section.showCmd, 3);
        EXPECT_EQ(section.rect, (Rect{20, 20, 400, 300}));
    }
    EXPECT_EQ(s.lists[0].number, 1);
    EXPECT_EQ(s.lists[2].number, 3);
}

// The start-up path as the main window runs it, over a real settings file.
class StartupTest : public ::testing::Test {
protected:
    TempFolder dir{"startup"};
    fs::path file = dir / "PLOVA.ini";
    fs::path root = dir / "boxes";

    void SetUp() override { fs::create_directories(root / u"本社"); }

    [[nodiscard]] std::u16string rootText() const { return WithTrailingSeparator(root.u16string()); }

    // Creation and start-up of the main window: the settings read, the
    // start-up folder applied, the folder checked and the windows planned.
    StartupDecision start(CPLOVADoc& doc) {
        doc.ReadAllSettings(file);
        const bool restore = ApplyStartupFolder(doc.settings);
        return DecideStartup(doc.settings, IniDocument::Load(file), restore);
    }
};

TEST_F(StartupTest, ZOrderOneEndsActiveOnTop) {
    CPLOVADoc doc;
    SettingsRecord& r = doc.settings;
    r.folder = rootText();
    r.folderName = u"本社";
    r.num = 3;
    r.disp = {u"留守録BOX：001", u"留守録BOX：002", u"内線BOX：201", u""};
    r.folderNames = {u"本社", u"本社", u"本社", u""};
    // Window 2 on top, then 3, then 1.
    const PlacementSave save = PlanPlacementSave(
        {0, 0, 900, 700}, {{2, {10, 10, 300, 200}, 1}, {3, {20, 20, 310, 210}, 1}, {1, {30, 30, 320, 220}, 1}});
    ASSERT_TRUE(doc.WriteAllSettings(file, &save));

    CPLOVADoc next;
    const StartupDecision d = start(next);
    EXPECT_FALSE(d.folderForgotten);
    ASSERT_EQ(d.restore.windows.size(), 3u);
    EXPECT_EQ(d.restore.windows[1].listNumber, 2);
    EXPECT_EQ(d.restore.windows[1].rect, (Rect{10, 10, 300, 200}));
    EXPECT_TRUE(d.restore.windows[1].applyRect);
    EXPECT_FALSE(d.restore.maximiseChildren);
    EXPECT_EQ(d.restore.activationOrder, (std::vector<int>{1, 3, 2}));
}

TEST_F(StartupTest, OnlyWindowTwoHasAZOrder) {
    IniDocument ini;
    ini.SetInt(u"Window2", u"ZOrder", 1);
    ini.SetInt(u"Window1", u"ZOrder", 7);  // out of range: ignored
    SettingsRecord r;
    r.num = 3;
    r.disp = {u"a", u"b", u"c", u""};
    const RestorePlan plan = PlanListRestore(r, ini, true);
    EXPECT_EQ(plan.windows.size(), 3u);
    EXPECT_EQ(plan.activationOrder, std::vector<int>{2});
    // Without stored rectangles the windows keep the size they open with.
    for (const auto& w : plan.windows) EXPECT_FALSE(w.applyRect);
}

TEST_F(StartupTest, MaximisedWindowsOpenMaximised) {
    IniDocument ini;
    for (int i = 1; i <= 2; ++i) {
        const auto section = NumberedKey(u"Window", i);
        ini.SetInt(section, u"Left", 1), ini.SetInt(section, u"Top", 1);
        ini.SetInt(section, u"Right", 100), ini.SetInt(section, u"Bottom", 100);
        ini.SetInt(section, u"showCmd", i == 2 ? 3 : 1);
    }
    SettingsRecord r;
    r.num = 2;
    r.disp = {u"a", u"b", u"", u""};
    const RestorePlan plan = PlanListRestore(r, ini, true);
    ASSERT_EQ(plan.windows.size(), 2u);
    EXPECT_TRUE(plan.maximiseChildren);
    EXPECT_TRUE(plan.windows[0].applyRect);
    EXPECT_FALSE(plan.windows[1].applyRect);
    EXPECT_TRUE(plan.windows[1].maximised);
}

TEST_F(StartupTest, NoWindowsWithoutTheConditionOrWithAPendingChange) {
    SettingsRecord r;
    r.num = 2;
    r.disp = {u"a", u"b", u"", u""};
    IniDocument ini;
    EXPECT_EQ(PlanListRestore(r, ini, true).windows.size(), 2u);
    EXPECT_TRUE(PlanListRestore(r, ini, false).windows.empty());
    r.change = 1;
    EXPECT_TRUE(PlanListRestore(r, ini, true).windows.empty());
    r.change = 0;
    r.num = 0;
    EXPECT_TRUE(PlanListRestore(r, ini, true).windows.empty());
}

TEST_F(StartupTest, AHandEditedCountNeverOpensEmptyOrExtraWindows) {
    SettingsRecord r;
    r.num = 9;
    r.disp = {u"a", u"b", u"", u"d"};
    const RestorePlan plan = PlanListRestore(r, IniDocument{}, true);
    EXPECT_EQ(plan.windows.size(), 2u);
}

TEST_F(StartupTest, AMissingFolderIsForgotten) {
    CPLOVADoc doc;
    SettingsRecord& r = doc.settings;
    r.folder = rootText();
    r.folderName = u"消えた";
    r.num = 2;
    r.disp = {u"a", u"b", u"", u""};
    r.folderNames = {u"消えた", u"消えた", u"", u""};
    r.change = 1;
    r.nextFolder = rootText();
    r.nextFolderName = u"消えた";
    ASSERT_TRUE(doc.WriteAllSettings(file));

    CPLOVADoc next;
    const StartupDecision d = start(next);
    EXPECT_TRUE(d.folderForgotten);
    EXPECT_TRUE(d.restore.windows.empty());
    EXPECT_TRUE(next.settings.folder.empty());
    EXPECT_TRUE(next.settings.folderName.empty());
    EXPECT_EQ(next.settings.num, 0);
    for (const auto& disp : next.settings.disp) EXPECT_TRUE(disp.empty());
    EXPECT_EQ(next.settings.change, 1);  // kept
}

// What a killed write left in the boxes and "outou" of the open folder goes
// at start-up; a fresh one (a writer still at work) and anything outside stay.
TEST_F(StartupTest, StartUpTakesAwayTheStaleTemporaryFilesOfTheOpenFolder) {
    const fs::path folder = root / u"本社";
    const fs::path elsewhere = dir / "elsewhere";
    const testkit::OwnScratchFolder scratch;  // and of the imports' scratch folder
    const std::vector<fs::path> stale = {folder / "rusuroku" / "001" / ".plova-tmp-a",
                                         folder / "naisen" / "201" / ".plova-tmp-b", folder / "outou" / ".plova-tmp-c",
                                         scratch.Path() / ".plova-tmp-e.wav"};
    const std::vector<fs::path> kept = {folder / "rusuroku" / "001" / ".plova-tmp-fresh", folder / ".plova-tmp-notabox",
                                        elsewhere / ".plova-tmp-d"};
    for (const auto* files : {&stale, &kept})
        for (const fs::path& p : *files) {
            fs::create_directories(p.parent_path());
            WriteBytes(p, "x");
        }
    testkit::MakeSymlink(elsewhere, folder / "naisen" / "202");  // a link is not a box, where there are links
    for (const fs::path& p : stale) fs::last_write_time(p, fs::file_time_type::clock::now() - std::chrono::hours(2));
    fs::last_write_time(kept[1], fs::file_time_type::clock::now() - std::chrono::hours(2));
    fs::last_write_time(kept[2], fs::file_time_type::clock::now() - std::chrono::hours(2));

    SettingsRecord r;
    r.folder = rootText();
    r.folderName = u"本社";
    EXPECT_FALSE(DecideStartup(r, IniDocument{}, true).folderForgotten);
    for (const fs::path& p : stale) EXPECT_FALSE(fs::exists(p)) << p;
    for (const fs::path& p : kept) EXPECT_TRUE(fs::exists(p)) << p;
}

TEST_F(StartupTest, AnEmptyRootIsNoFolder) {
    fs::create_directories(fs::current_path() / "plova-startup-relative");
    SettingsRecord r;
    r.folderName = u"plova-startup-relative";  // would resolve against the working folder
    r.num = 1;
    r.disp[0] = u"a";
    const StartupDecision d = DecideStartup(r, IniDocument{}, true);
    fs::remove(fs::current_path() / "plova-startup-relative");
    EXPECT_TRUE(d.folderForgotten);
    EXPECT_TRUE(d.restore.windows.empty());
}

// A change of the start-up folder: the next start opens the specified folder
// without list windows, the one after restores windows as usual.
TEST_F(StartupTest, FolderChangeTakesEffectOverTwoStarts) {
    fs::create_directories(dir / "other" / u"支店");
    CPLOVADoc doc;
    SettingsRecord& r = doc.settings;
    r.folder = rootText();
    r.folderName = u"本社";
    r.num = 1;
    r.disp[0] = u"留守録BOX：001";
    r.folderNames[0] = u"本社";
    r.init = 1;
    r.change = 1;
    r.nextFolder = WithTrailingSeparator((dir / "other").u16string());
    r.nextFolderName = u"支店";
    ASSERT_TRUE(doc.WriteAllSettings(file));

    CPLOVADoc second;
    StartupDecision d = start(second);
    EXPECT_FALSE(d.folderForgotten);
    EXPECT_TRUE(d.restore.windows.empty());
    EXPECT_EQ(second.settings.folder, r.nextFolder);
    EXPECT_EQ(second.settings.folderName, u"支店");
    EXPECT_EQ(second.settings.change, 0);
    // A list of the new folder is opened during this run.
    second.settings.disp[0] = u"内線BOX：201";
    second.settings.folderNames[0] = u"支店";
    second.settings.num = 1;
    const PlacementSave save = PlanPlacementSave({}, {{1, {5, 5, 300, 300}, 1}});
    ASSERT_TRUE(second.WriteAllSettings(file, &save));

    CPLOVADoc third;
    d = start(third);
    EXPECT_EQ(third.settings.folderName, u"支店");
    ASSERT_EQ(d.restore.windows.size(), 1u);
    EXPECT_EQ(d.restore.activationOrder, std::vector<int>{1});
}

TEST(ApplyStartupFolderTest, SpecifiedFolderReplacesTheLastOne) {
    SettingsRecord r;
    r.folderName = u"last";
    r.folderNames[0] = u"last";
    r.init = 1;
    r.nextFolderName = u"last";
    EXPECT_TRUE(ApplyStartupFolder(r));
    EXPECT_EQ(r.folderName, u"last");
    r.nextFolderName = u"chosen";
    EXPECT_FALSE(ApplyStartupFolder(r));
    EXPECT_EQ(r.folderName, u"chosen");
    r.init = 0;
    r.folderName = u"last";
    EXPECT_TRUE(ApplyStartupFolder(r));
    EXPECT_EQ(r.folderName, u"last");
}

}  // namespace
}  // namespace plova
