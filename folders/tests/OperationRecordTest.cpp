// What the window's folder commands leave in the operations log: one entry
// per command, naming each box or file it changed and what became of it.
#include <gtest/gtest.h>

#include <functional>

#include "folders/BoxFolders.h"
#include "folders/BoxNameImport.h"
#include "folders/CsvExport.h"
#include "folders/WavDeletion.h"
#include "oplog/testing/LogFolderScope.h"
#include "platform/AtomicFile.h"
#include "platform/testing/TempFolder.h"
#include "store/testing/MessageFiles.h"

namespace plova {
namespace {

namespace fs = std::filesystem;

TEST(FolderOperationLog, EachCommandLeavesItsEntryWithWhatItChanged) {
    testkit::LogFolderScope log;
    testkit::TempFolder dir("folder-log");
    const fs::path box = dir / "box";
    for (const char* f : {"rusuroku/0001", "naisen/2001", "naisen/2002", "naisen/2004", "outou"})
        fs::create_directories(box / f);
    testkit::WriteBytes(box / "rusuroku/0001/a.wav", "x");
    testkit::WriteBytes(box / "rusuroku/0001/b.WMA", "x");

    struct Case {
        const char* operation;
        std::function<void()> run;
        std::vector<std::string> names;  // what the entry names, in order
        oplog::Outcome outcome;
    };
    const Case cases[] = {
        {"box-folder",
         [&] { EXPECT_EQ(MakeBoxFolder(box, false, u"2003"), BoxCheck::Ok); },
         {"naisen/2003"},
         oplog::Outcome::Done},
        {"box-name",
         [&] {
             BoxLists lists = ReadBoxLists(box, BoxText::Name);
             lists.extension[1].text = u"総務";  // 2002
             lists.extension[1].changed = true;
             EXPECT_EQ(WriteBoxNames(lists, {}), 0);
         },
         {"naisen/2002"},
         oplog::Outcome::Done},
        {"box-folder",
         [&] {
             BoxLists lists = ReadBoxLists(box, BoxText::FolderName);
             lists.extension[0].text = u"2101";  // 2001
             lists.extension[0].changed = true;
             const BoxFolderRenames renamed = RenameBoxFolders(lists);
             EXPECT_EQ(renamed.renamed.size(), 1u);
         },
         {"naisen/2001"},
         oplog::Outcome::Done},
        {"wav-delete",
         [&] {
             WavDeletion request;
             request.answering = {u"0001"};
             EXPECT_EQ(DeleteWavFiles(box, request, {}), WavDeletionResult::Done);
         },
         {"a.wav", "b.WMA"},
         oplog::Outcome::Done},
        {"csv-import",
         [&] {
             ASSERT_TRUE(WriteFileAtomically(dir / "names.csv", "BOX,NAME\r\n\r\n1,2004,Sales,\r\n"));
             EXPECT_EQ(ImportBoxNames(dir / "names.csv", box / "naisen"), ImportResult::Completed);
         },
         {"naisen/2004"},
         oplog::Outcome::Done},
        {"export",
         [&] {
             CsvTable table;
             table.titles = {u"No."};
             table.rows = 2;
             table.cell = [](int row, int) { return std::u16string(1, static_cast<char16_t>(u'1' + row)); };
             EXPECT_EQ(WriteCsv(dir / "list.csv", table, CsvEncoding::Cp932), ExportResult::Completed);
         },
         {"list.csv"},
         oplog::Outcome::Done},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.operation);
        const oplog::Entry e = log.EntryOf(c.run);
        EXPECT_EQ(e.operation, c.operation);
        EXPECT_EQ(e.by, oplog::FrontEnd::Window);
        std::vector<std::pair<std::string, oplog::Outcome>> expected;
        for (const std::string& name : c.names) expected.emplace_back(name, c.outcome);
        EXPECT_EQ(testkit::SortedOutcomes(e), expected);
    }
    // Checks that refuse before anything changes leave nothing.
    const std::size_t before = log.Entries().size();
    EXPECT_NE(MakeBoxFolder(box, false, u"2003"), BoxCheck::Ok);  // there already
    EXPECT_EQ(DeleteWavFiles(box, WavDeletion{}, {}), WavDeletionResult::NoBoxChosen);
    EXPECT_EQ(log.Entries().size(), before);
}

}  // namespace
}  // namespace plova
