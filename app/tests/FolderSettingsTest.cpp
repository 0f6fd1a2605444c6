// The start-up folder setting, the folder lists and the record after box-folder renames.
#include <gtest/gtest.h>

#include "app/CPLOVADoc.h"
#include "app/FolderSettings.h"
#include "app/StartupPlan.h"
#include "platform/Text.h"
#include "platform/testing/FolderNames.h"
#include "platform/testing/TempFolder.h"
#include "store/testing/MessageFiles.h"

namespace plova {
namespace {

namespace fs = std::filesystem;
using testkit::SystemFolderText;
using testkit::TempFolder;

TEST(StartupFolderChoiceTest, ChangeIsSetForAFirstOrADifferentSpecificationOnly) {
    struct Step {
        bool specified;
        std::u16string text;
        int change, init;
        std::u16string nextFolder, nextName;
    };
    // One record through a sequence of "OK"s, as a user would press them.
    // Folders as this system spells them ("C:\data\box1" on Windows).
    const Step steps[] = {
        {true, u"/data/box1", 1, 1, u"/data/", u"box1"},    // first time: a change even with the stored name
        {true, u"/data/box1", 0, 1, u"/data/", u"box1"},    // again with the same folder
        {true, u"/data/box2", 1, 1, u"/data/", u"box2"},    // another name
        {true, u"/other/box2", 1, 1, u"/other/", u"box2"},  // same name under another root
        {false, u"/other/box2", 0, 0, u"", u""},            // back to the last folder
        {true, u"/a/b/c/box 3", 1, 1, u"/a/b/c/", u"box 3"},
    };
    SettingsRecord r;
    r.nextFolderName = u"box1";
    for (const Step& s : steps) {
        const std::u16string text = SystemFolderText(s.text);
        ASSERT_TRUE(ApplyStartupFolderChoice(r, s.specified, text)) << ToUtf8(text);
        EXPECT_EQ(r.change, s.change) << ToUtf8(text);
        EXPECT_EQ(r.init, s.init) << ToUtf8(text);
        EXPECT_EQ(r.nextFolder, SystemFolderText(s.nextFolder));
        EXPECT_EQ(r.nextFolderName, s.nextName);
    }
}

TEST(StartupFolderChoiceTest, TextsNamingNoFolderAreRefusedLeavingTheRecord) {
    SettingsRecord r;
    r.init = 1;
    r.nextFolder = SystemFolderText(u"/data/");
    r.nextFolderName = u"box1";
    for (const char16_t* bad : {u"", u"box1", u"/data/", u"data/box1", u"/data/..", u"/data/.", u"/data/a\tb"}) {
        EXPECT_FALSE(ApplyStartupFolderChoice(r, true, SystemFolderText(bad))) << ToUtf8(bad);
        EXPECT_EQ(SpecifiedFolderText(r), SystemFolderText(u"/data/box1"));
        EXPECT_EQ(r.init, 1);
        EXPECT_EQ(r.change, 0);
    }
}

class FolderSettingsTest : public ::testing::Test {
protected:
    TempFolder dir{"folders"};
    fs::path root = dir / "root";
    [[nodiscard]] std::u16string rootText() const { return WithTrailingSeparator(TextOfPath(root)); }
    void makeBoxFolder(const fs::path& name) {
        fs::create_directories(root / name / "rusuroku/101");
        fs::create_directories(root / name / "naisen");
    }
};

TEST_F(FolderSettingsTest, ListsBoxFoldersOnlyMarkingThoseWithoutMessages) {
    EXPECT_TRUE(ListBoxFolders(u"").empty());
    makeBoxFolder("full");
    makeBoxFolder("empty");
    fs::create_directories(root / "plain/rusuroku");
    testkit::WriteBytes(root / "full/rusuroku/101/202612071405_abc_0101_00001.vminf", "x");
    const std::vector<FolderRow> rows = ListBoxFolders(rootText());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].name, u"empty");
    EXPECT_EQ(rows[0].PathCell(), u"*" + TextOfPath(root / "empty"));
    EXPECT_EQ(rows[1].PathCell(), u" " + TextOfPath(root / "full"));

    SettingsRecord r;
    EXPECT_FALSE(CanSpecifyStartupFolder(r));
    r.folder = rootText();
    EXPECT_TRUE(CanSpecifyStartupFolder(r));
    r.folder = WithTrailingSeparator(TextOfPath(root / "plain" / "rusuroku"));
    EXPECT_FALSE(CanSpecifyStartupFolder(r));
}

TEST_F(FolderSettingsTest, TheRecordFollowsARenamedFolderUnderItsRootOnly) {
    SettingsRecord r;
    r.folder = rootText();
    r.folderName = u"a";
    r.folderNames = {u"a", u"b", u"a", u""};
    r.nextFolder = rootText();
    r.nextFolderName = u"a";
    FollowFolderRename(r, u"/elsewhere/", u"a", u"z");
    EXPECT_EQ(r.folderName, u"a");
    FollowFolderRename(r, TextOfPath(root), u"a", u"z");
    EXPECT_EQ(r.folderName, u"z");
    EXPECT_EQ(r.folderNames, (std::array<std::u16string, 4>{u"z", u"b", u"z", u""}));
    EXPECT_EQ(r.nextFolderName, u"z");
}

TEST(ChooseOpenFolderTest, TheNextListSlotTakesTheFolderWhileThereIsOne) {
    SettingsRecord r;
    r.folderNames = {u"a", u"a", u"", u""};
    ChooseOpenFolder(r, u"b", 2);
    EXPECT_EQ(r.folderName, u"b");
    EXPECT_EQ(r.folderNames, (std::array<std::u16string, 4>{u"a", u"a", u"b", u""}));
    ChooseOpenFolder(r, u"c", 4);  // every slot in use: none is overwritten
    EXPECT_EQ(r.folderName, u"c");
    EXPECT_EQ(r.folderNames[3], u"");
}

TEST(ListsOfFolderTest, TheListsOfAFolderAreThoseUnderItsRootWithItsName) {
    SettingsRecord r;
    r.folder = SystemFolderText(u"/data/");
    r.folderNames = {u"a", u"b", u"a", u"a"};
    using L = std::vector<int>;
    struct Case {
        std::u16string_view root, name;
        int open;
        L same, others;
    };
    const Case cases[] = {
        {u"/data/", u"a", 3, L{1, 3}, L{2}},
        {u"/data", u"a", 4, L{1, 3, 4}, L{2}},  // the same root without its separator
        {u"/data/", u"c", 3, L{}, L{1, 2, 3}},
        {u"/other/", u"a", 3, L{}, L{1, 2, 3}},  // another root: every list shows another folder
        {u"/data/", u"a", 0, L{}, L{}},
    };
    for (const Case& c : cases) {
        const std::u16string root = SystemFolderText(c.root);
        EXPECT_EQ(ListsOfFolder(r, c.open, root, c.name), c.same) << ToUtf8(root) << ToUtf8(c.name) << c.open;
        EXPECT_EQ(ListsOfOtherFolders(r, c.open, root, c.name), c.others) << ToUtf8(root) << ToUtf8(c.name);
    }
}

// The user specifies a folder under another root during a run: the next
// start opens it without list windows.
TEST_F(FolderSettingsTest, TheSpecifiedFolderIsOpenedAtTheNextStart) {
    makeBoxFolder(u"本社");
    const fs::path other = dir / "other" / u"支店";
    fs::create_directories(other / "rusuroku");
    fs::create_directories(other / "naisen");
    const fs::path file = dir / "PLOVA.ini";
    CPLOVADoc doc;
    doc.settings.folder = rootText();
    doc.settings.folderName = u"本社";
    doc.settings.num = 1;
    doc.settings.disp[0] = u"留守録BOX：101";
    doc.settings.folderNames[0] = u"本社";
    ASSERT_TRUE(ApplyStartupFolderChoice(doc.settings, true, TextOfPath(other)));
    ASSERT_TRUE(doc.WriteAllSettings(file));

    CPLOVADoc next;
    next.ReadAllSettings(file);
    const bool restore = ApplyStartupFolder(next.settings);
    const StartupDecision d = DecideStartup(next.settings, IniDocument::Load(file), restore);
    EXPECT_FALSE(d.folderForgotten);
    EXPECT_TRUE(d.restore.windows.empty());
    EXPECT_EQ(OpenBoxFolderPath(next.settings), other);
    EXPECT_EQ(next.settings.change, 0);
    EXPECT_EQ(next.settings.init, 1);
}

}  // namespace
}  // namespace plova
