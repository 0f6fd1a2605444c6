// What moving, copying and editing messages leave in the operations log:
// one entry per command, each message with what became of it.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "oplog/testing/LogFolderScope.h"
#include "platform/testing/TestPorts.h"
#include "store/MessageTransfer.h"
#include "store/RecordingEdit.h"
#include "store/testing/MessageFiles.h"
#include "store/testing/RecordingTransferWindow.h"

namespace plova {
namespace {

namespace fs = std::filesystem;
using namespace testkit;
using oplog::Outcome;

TEST(StoreOperationLog, MovesCopiesAndEditsLeaveTheirEntryWithEachMessage) {
    LogFolderScope log;
    TestPorts ports;
    TempFolder root{"store-log"};
    const fs::path source = root / "f/rusuroku/0001", target = root / "f/naisen/2001", outou = root / "f/outou";
    for (const fs::path& f : {source, target, outou}) fs::create_directories(f);
    auto message = [&](const fs::path& box, const std::string& stem) {
        WriteMessage(box / (stem + ".vminf"), SampleRecord(), SampleBlock());
        WriteMessage(box / (stem + ".vmdat"), SampleRecord(), SampleBlock(), 300);
        return box / (stem + ".vmdat");
    };
    const fs::path one = message(source, "202612071411_abc_0001_00001");
    const fs::path two = message(source, "202612071412_abc_0001_00002");
    const fs::path gone = source / "202612071413_abc_0001_00003.vmdat";
    const fs::path response = message(outou, "202612071505_MON_A005_0000");
    RecordingTransferWindow window;

    struct Case {
        const char* operation;
        std::function<void()> run;
        std::vector<std::pair<std::string, Outcome>> messages;  // sorted by name
    };
    const Case cases[] = {
        {"copy",
         [&] {
             EXPECT_EQ(MoveCopyMessages(transfer::Mode::Copy, {one, gone}, target, window).handled, 1);
         },
         {{one.filename().string(), Outcome::Done}, {gone.filename().string(), Outcome::Failed}}},
        {"move",
         [&] { EXPECT_EQ(MoveCopyMessages(transfer::Mode::Move, {two}, target, window).handled, 1); },
         {{two.filename().string(), Outcome::Done}}},
        {"record-edit",
         [&] {
             ports.prompt.Queue(Answer::Yes);
             EXPECT_EQ(SaveBoxMessageEdit(one, {u"件名", u"", u"", u"", false, false}), infoedit::Result::Saved);
         },
         {{one.filename().string(), Outcome::Done}}},
        {"record-edit",
         [&] {
             ports.prompt.Queue(Answer::Yes);
             EXPECT_EQ(SaveResponseMessageEdit(response, {u"営業時間外", true}), infoedit::Result::Saved);
         },
         {{response.filename().string(), Outcome::Done}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.operation);
        const oplog::Entry e = log.EntryOf(c.run);
        EXPECT_EQ(e.operation, c.operation);
        EXPECT_EQ(e.boxFolder, (root / "f").string());
        EXPECT_EQ(SortedOutcomes(e), c.messages);
    }
    // An edit the user declines changes nothing and leaves nothing.
    const std::size_t before = log.Entries().size();
    ports.prompt.Queue(Answer::No);
    EXPECT_EQ(SaveBoxMessageEdit(one, {u"別件", u"", u"", u"", false, false}), infoedit::Result::Declined);
    EXPECT_EQ(log.Entries().size(), before);
}

}  // namespace
}  // namespace plova
