// A new name for a box folder beside its old one.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "download/FolderRename.h"
#include "oplog/testing/LogFolderScope.h"
#include "platform/Text.h"
#include "platform/testing/FileBytes.h"
#include "platform/testing/TempFolder.h"

namespace plova {
namespace {

namespace fs = std::filesystem;

TEST(FolderRenameTest, RefusesTakenEmptyUnsafeAndOverlongNames) {
    testkit::LogFolderScope log;
    testkit::TempFolder dir{"folder-rename"};
    const fs::path root = dir / "root";
    for (const char* name : {"a", "b"}) {
        fs::create_directories(root / name / "rusuroku/101");
        fs::create_directories(root / name / "naisen");
    }
    testkit::WriteBytes(root / "file", "x");
    struct Case {
        std::u16string name;
        FolderRename result;
    };
    const std::u16string longest(folders::kRenameMaxChars, u'n');
    const Case cases[] = {
        {u"b", FolderRename::Duplicate},   {u"a", FolderRename::Duplicate},  // its own name: that folder is there
        {u"", FolderRename::BadInput},     {u"../escape", FolderRename::BadInput},
        {u"..", FolderRename::BadInput},   {u"x/y", FolderRename::BadInput},
        {u"file", FolderRename::BadInput}, {longest + u'n', FolderRename::BadInput},
        {u"B", FolderRename::Duplicate},   {u"FILE", FolderRename::BadInput},  // one name on Windows
        {u"CON", FolderRename::BadInput},  {u"x.", FolderRename::BadInput},
        {u"支店", FolderRename::Ok},
    };
    for (const Case& c : cases) EXPECT_EQ(RenameFolder(root / "a", c.name), c.result) << ToUtf8(c.name);
    EXPECT_TRUE(fs::is_directory(root / u"支店" / "rusuroku/101"));
    EXPECT_EQ(testkit::ReadFileBytes(root / "file"), "x");
    EXPECT_FALSE(fs::exists(dir / "escape"));
    // A folder may take its own name in another case.
    EXPECT_EQ(RenameFolder(root / "b", u"B"), FolderRename::Ok);
    EXPECT_TRUE(fs::is_directory(root / "B/rusuroku/101"));
    // The log holds the two renames that took place, each with its new name; no refusal.
    const std::vector<oplog::Entry> renames = log.Of("rename");
    ASSERT_EQ(renames.size(), 2u);
    for (const auto& [entry, from, to] :
         {std::tuple{renames[0], "a", "now 支店"}, std::tuple{renames[1], "b", "now B"}}) {
        ASSERT_EQ(entry.messages.size(), 1u);
        EXPECT_EQ(entry.messages[0].name, from);
        EXPECT_EQ(entry.messages[0].outcome, oplog::Outcome::Done);
        EXPECT_EQ(entry.messages[0].note, to);
    }
}

// Every refusal names its reason; only a rename that took place closes the dialog.
TEST(FolderRenameTest, ShowsOneMessagePerRefusal) {
    EXPECT_EQ(RenameRefusal(FolderRename::Ok), u"");
    EXPECT_EQ(RenameRefusal(FolderRename::BadInput), u"入力値エラーです。");
    EXPECT_EQ(RenameRefusal(FolderRename::Duplicate), u"フォルダ名が重複しています。");
}

}  // namespace
}  // namespace plova
