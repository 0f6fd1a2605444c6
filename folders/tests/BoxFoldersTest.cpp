// Box names and box folders of the open box folder.
#include <gtest/gtest.h>

#include "folders/BoxFolders.h"
#include "platform/IniFile.h"
#include "platform/Text.h"
#include "platform/testing/TempFolder.h"
#include "store/CFileMng.h"
#include "store/testing/MessageFiles.h"

namespace plova {
namespace {

namespace fs = std::filesystem;
using testkit::TempFolder;

TEST(BoxNameRuleTest, TenCp932BytesWithoutACommaOrALossyCharacter) {
    struct Case {
        std::u16string name;
        bool ok;
    };
    const Case cases[] = {
        {u"", true},
        {u"0123456789", true},
        {u"01234567890", false},
        {u"営業部第一課", false},  // six double-byte characters: 12 bytes
        {u"営業部第一", true},     // five: 10 bytes
        {u"ｴｲｷﾞｮｳﾌﾞﾁｮ", true},     // ten half-width katakana: one byte each
        {u"ｴｲｷﾞｮｳﾌﾞﾁｮｳ", false},
        {u"営業,1", false},
        {u",", false},
        {u"a\"b", false},  // names Windows cannot hold, as box names may end up in file names
        {u"CON", false},
        {u"受付.", false},
        {u"ab\ncd", false},         // would break the "inf.ini" line
        {u"\u00e9t\u00e9", false},  // no such characters in CP932: they would come back as "?"
    };
    for (const Case& c : cases) EXPECT_EQ(IsValidBoxName(c.name), c.ok) << ToUtf8(c.name);
}

TEST(BoxFolderNameRuleTest, OneToFourteenBytesOfAPlainName) {
    struct Case {
        std::u16string name;
        bool ok;
    };
    const Case cases[] = {
        {u"", false},
        {u"101", true},
        {u"01234567890123", true},
        {u"012345678901234", false},
        {u"留守録七", true},
        {u"留守録ボックス八", false},  // 16 bytes
        {u"a\\b", false},
        {u"a/b", false},
        {u"a:b", false},
        {u"a*b", false},
        {u"a?b", false},
        {u"a\"b", false},
        {u"a<b", false},
        {u"a>b", false},
        {u"a|b", false},
        {u"..", false},
        {u".", false},
        {u"a\tb", false},
        {u"a.b", true},
        {u"a b", true},
        {u"a.", false},  // Windows cannot hold these: box folders travel to it
        {u"a ", false},
        {u"nul.txt", false},
        {u"Com1", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsValidBoxFolderName(c.name), c.ok) << ToUtf8(c.name);
}

class BoxFoldersTest : public ::testing::Test {
protected:
    TempFolder dir{"boxes"};
    fs::path box = dir.Path() / u"本社";
    void SetUp() override {
        for (const char* f : {"rusuroku/101", "rusuroku/102", "naisen/201", "outou"}) fs::create_directories(box / f);
        CFileMng::WriteBoxName(box / "rusuroku/101", u"受付");
    }
    std::string infText(const fs::path& folder) { return testkit::ReadFileBytes(folder / "inf.ini"); }
};

TEST_F(BoxFoldersTest, NamesAreReadAndWrittenQuotedAnsweringMachineBoxesFirst) {
    BoxLists lists = ReadBoxLists(box, BoxText::Name);
    ASSERT_EQ(lists.answering.size(), 2u);
    ASSERT_EQ(lists.extension.size(), 1u);
    EXPECT_EQ(lists.answering[0].text, u"受付");
    EXPECT_EQ(lists.answering[1].text, u"");
    EXPECT_EQ(lists.extension[0].folderName, u"201");

    lists.answering[0].text = u"";
    lists.answering[1].text = u"営業部第一";
    lists.extension[0].text = u"総務";
    ASSERT_EQ(CheckBoxNames(lists), BoxCheck::Ok);
    std::vector<int> steps;
    EXPECT_EQ(WriteBoxNames(lists, [&](int done) { steps.push_back(done); }), 0);
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 3}));
    // An empty name is a pair of double quotes; the file is CP932.
    EXPECT_NE(infText(box / "rusuroku/101").find("NAME=\"\""), std::string::npos);
    EXPECT_NE(infText(box / "rusuroku/102").find("NAME=\"" + ToCp932(u"営業部第一") + "\""), std::string::npos);
    EXPECT_EQ(ReadBoxLists(box, BoxText::Name).extension[0].text, u"総務");

    // One bad row anywhere refuses the lot.
    lists.extension[0].text = u"総務,経理";
    EXPECT_EQ(CheckBoxNames(lists), BoxCheck::BadInput);

    // A name Windows cannot hold stays as stored until the user edits it.
    lists.extension[0].text = u"総務?";
    EXPECT_EQ(CheckBoxNames(lists), BoxCheck::Ok);
    lists.extension[0].changed = true;
    EXPECT_EQ(CheckBoxNames(lists), BoxCheck::BadInput);
}

TEST_F(BoxFoldersTest, ANewBoxIsMarkedAsTheUsersAndNeverReplacesAnExistingOne) {
    EXPECT_EQ(MakeBoxFolder(box, true, u"103"), BoxCheck::Ok);
    EXPECT_EQ(CFileMng::ReadMake(box / "rusuroku/103"), store::kMakeByCommand);
    EXPECT_EQ(CFileMng::ReadBoxName(box / "rusuroku/103"), u"");
    EXPECT_EQ(MakeBoxFolder(box, false, u"202"), BoxCheck::Ok);
    EXPECT_TRUE(fs::is_directory(box / "naisen/202"));

    const std::string before = infText(box / "rusuroku/101");
    EXPECT_EQ(MakeBoxFolder(box, true, u"101"), BoxCheck::Duplicate);
    EXPECT_EQ(infText(box / "rusuroku/101"), before);
    testkit::WriteBytes(box / "naisen/file", "x");  // a file of that name is taken too
    EXPECT_EQ(MakeBoxFolder(box, false, u"file"), BoxCheck::Duplicate);
    EXPECT_EQ(MakeBoxFolder(box, false, u"FILE"), BoxCheck::Duplicate);  // one name on Windows
    for (const char16_t* bad : {u"", u"../../escape", u"a*b", u"012345678901234"})
        EXPECT_EQ(MakeBoxFolder(box, true, bad), BoxCheck::BadInput);
    EXPECT_FALSE(fs::exists(dir / "escape"));
    EXPECT_EQ(ReadBoxLists(box, BoxText::FolderName).Size(), 5u);
}

TEST_F(BoxFoldersTest, RenamesAreCheckedAsAWholeBeforeAnyFolderMoves) {
    struct Case {
        const char* what;
        std::u16string first, second;  // new names for boxes 101 and 102 ("" = unchanged)
        BoxCheck result;
    };
    const Case cases[] = {
        {"same new name twice", u"300", u"300", BoxCheck::Duplicate},
        {"a name already there", u"102", u"", BoxCheck::Duplicate},
        {"a bad name after a good one", u"300", u"a/b", BoxCheck::BadInput},
        {"the other's old name", u"102", u"101", BoxCheck::Duplicate},
        {"a name there in another case", u"ABC", u"", BoxCheck::Duplicate},
        {"two new names in two cases", u"xy", u"XY", BoxCheck::Duplicate},
        {"a name Windows cannot hold", u"aux.wav", u"", BoxCheck::BadInput},
        {"two good names", u"300", u"301", BoxCheck::Ok},
    };
    fs::create_directories(box / "rusuroku/abc");
    for (const Case& c : cases) {
        BoxLists lists = ReadBoxLists(box, BoxText::FolderName);
        for (auto [row, name] : {std::pair{&lists.answering[0], c.first}, std::pair{&lists.answering[1], c.second}}) {
            if (name.empty()) continue;
            row->text = name;
            row->changed = true;
        }
        EXPECT_EQ(CheckBoxFolderRenames(lists), c.result) << c.what;
        if (c.result != BoxCheck::Ok) continue;
        const BoxFolderRenames done = RenameBoxFolders(lists);
        EXPECT_TRUE(done.kept.empty());
        ASSERT_EQ(done.renamed.size(), 2u);
        EXPECT_EQ(done.renamed[1].from, lists.answering[1].folderName);
        EXPECT_EQ(done.renamed[1].to, u"301");
        EXPECT_TRUE(done.renamed[1].answering);
        EXPECT_TRUE(fs::is_directory(box / "rusuroku/300"));
        EXPECT_TRUE(fs::is_directory(box / "rusuroku/301"));
        EXPECT_FALSE(fs::exists(box / "rusuroku/101"));
        // The box keeps its name file under its new folder name.
        EXPECT_EQ(CFileMng::ReadBoxName(box / "rusuroku/300"), u"受付");
    }
    // A box may take its own name in another case.
    BoxLists lists = ReadBoxLists(box, BoxText::FolderName);
    ASSERT_EQ(lists.answering.back().folderName, u"abc");
    lists.answering.back().text = u"ABC";
    lists.answering.back().changed = true;
    EXPECT_EQ(CheckBoxFolderRenames(lists), BoxCheck::Ok);
}

TEST_F(BoxFoldersTest, AnEditThatKeepsTheNameRenamesNothing) {
    BoxLists lists = ReadBoxLists(box, BoxText::FolderName);
    lists.answering[0].changed = true;  // edited, but the text is the folder's own name
    EXPECT_EQ(CheckBoxFolderRenames(lists), BoxCheck::Ok);
    const BoxFolderRenames done = RenameBoxFolders(lists);
    EXPECT_TRUE(done.kept.empty() && done.renamed.empty());
    EXPECT_TRUE(fs::is_directory(box / "rusuroku/101"));
}

TEST_F(BoxFoldersTest, ARenameRefusedByTheFileSystemIsReportedNotOverwritten) {
    BoxLists lists = ReadBoxLists(box, BoxText::FolderName);
    lists.answering[0].text = u"300";
    lists.answering[0].changed = true;
    ASSERT_EQ(CheckBoxFolderRenames(lists), BoxCheck::Ok);
    // Something takes the name between the check and the rename.
    fs::create_directories(box / "rusuroku/300/keep");
    const BoxFolderRenames done = RenameBoxFolders(lists);
    EXPECT_EQ(done.kept, std::vector<fs::path>{box / "rusuroku/101"});
    EXPECT_TRUE(done.renamed.empty());
    EXPECT_TRUE(fs::is_directory(box / "rusuroku/300/keep"));
    EXPECT_TRUE(fs::is_directory(box / "rusuroku/101"));
}

}  // namespace
}  // namespace plova
