#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "oplog/LogFilter.h"
#include "oplog/OperationLog.h"
#include "oplog/testing/LogFolderScope.h"
#include "platform/AtomicFile.h"
#include "platform/File.h"
#include "platform/Text.h"
#include "platform/testing/TempFolder.h"

namespace plova::oplog {
namespace {

namespace fs = std::filesystem;

Entry sample(std::string operation = "delete", std::string time = "2026-12-11T13:05:09+09:00") {
    Entry e;
    e.time = std::move(time);
    e.by = FrontEnd::Cli;
    e.pcUser = "alice";
    e.unitUser = "admin";
    e.unitAddress = "192.168.1.10";
    e.boxFolder = "/home/alice/ボックス";
    e.operation = std::move(operation);
    e.detail = "main unit and PC";
    e.result = Result::Partial;
    e.messages = {{"202612071505_MON_A005_00001.vmdat", Outcome::Done},
                  {"202612071506_MON_A005_00002.vmdat", Outcome::Failed, "in use on the main unit"}};
    return e;
}

void expectSame(const Entry& a, const Entry& b) {
    EXPECT_EQ(ToJson(a), ToJson(b));
}

TEST(OperationLog, EntriesSurviveTheirLineAndOddLinesAreRefused) {
    const Entry e = sample();
    const std::string line = ToJson(e);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    const auto back = FromJson(line);
    ASSERT_TRUE(back);
    expectSame(*back, e);
    // Control characters in a name stay inside the one line.
    Entry odd = sample();
    odd.messages[0].name = "a\nb\rc";
    EXPECT_EQ(ToJson(odd).find('\n'), std::string::npos);
    ASSERT_TRUE(FromJson(ToJson(odd)));
    EXPECT_EQ(FromJson(ToJson(odd))->messages[0].name, "a\nb\rc");

    const char* refused[] = {
        "",
        "not json",
        "[1,2]",
        R"({"by":"window","operation":"delete","result":"ok"})",                          // no time
        R"({"time":"t","by":"someone","operation":"delete","result":"ok"})",              // unknown program
        R"({"time":"t","by":"window","operation":"delete","result":"fine"})",             // unknown result
        R"({"time":"t","by":"window","operation":"delete","result":"ok","messages":7})",  // messages not a list
        R"({"time":"t","by":"window","operation":"delete","result":"ok","messages":[{"name":"a"}]})",
        R"({"time":"t","by":"window","operation":"delete","result":"ok","messages":[{"name":"a","outcome":"won"}]})",
    };
    for (const char* text : refused) EXPECT_FALSE(FromJson(text)) << text;
}

TEST(OperationLog, TimeCarriesItsZone) {
    const std::string now = TimeNow();
    EXPECT_TRUE(std::regex_match(now, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d)"))) << now;
}

TEST(OperationLog, FullFilesTurnOverAndFiveAreKept) {
    testkit::TempFolder folder("oplog-turn");
    const std::string oneLine = ToJson(sample()) + "\n";
    const std::uint64_t limit = oneLine.size() * 3;  // three lines a file
    const Journal journal(folder.Path(), limit, 5);
    constexpr int kWritten = 20;
    for (int i = 0; i < kWritten; ++i) {
        Entry e = sample();
        e.detail = "run " + std::to_string(100 + i);  // same length every time
        ASSERT_TRUE(journal.Append(e));
    }
    const std::vector<fs::path> files = journal.Files();
    ASSERT_EQ(files.size(), 5u);
    EXPECT_EQ(files.back().filename(), "operations.log");
    EXPECT_EQ(files.front().filename(), "operations.log.4");
    EXPECT_FALSE(fs::exists(folder / "operations.log.5"));
    for (const fs::path& f : files) EXPECT_LE(fs::file_size(f), limit) << f;

    // What is kept is the newest entries, oldest first, none torn.
    std::vector<std::string> problems;
    const std::vector<Entry> kept = journal.ReadAll(problems);
    EXPECT_TRUE(problems.empty());
    ASSERT_EQ(kept.size(), 14u);  // four full files and the two lines of the current one
    for (std::size_t i = 0; i < kept.size(); ++i)
        EXPECT_EQ(kept[i].detail, "run " + std::to_string(100 + kWritten - kept.size() + i));
}

TEST(OperationLog, LinesOfTwoWritersStayWhole) {
    testkit::TempFolder folder("oplog-two");
    const Journal journal(folder.Path());
    constexpr int kEach = 200;
    auto write = [&](const char* who) {
        for (int i = 0; i < kEach; ++i) {
            Entry e = sample();
            e.pcUser = who;
            e.messages.assign(20, MessageResult{std::string(200, who[0]), Outcome::Done});
            journal.Append(e);
        }
    };
    std::thread a(write, "a"), b(write, "b");
    a.join();
    b.join();
    std::vector<std::string> problems;
    EXPECT_EQ(journal.ReadAll(problems).size(), 2u * kEach);
    EXPECT_TRUE(problems.empty()) << problems.front();
}

TEST(OperationLog, UnwritableLogIsSaidOnceAndNothingElse) {
    testkit::LogFolderScope scope;
    // A file where the state folder should be: nothing can be made in it.
    ASSERT_TRUE(WriteFileAtomically(scope.Base() / "plova", "in the way"));
    std::vector<std::string> said;
    SetWarning([&](const std::string& text) { said.push_back(text); });
    {
        Operation op("delete", scope.Base());
        op.Add(std::string("a.vmdat"), Outcome::Done);
    }
    Record(sample());
    SetWarning(nullptr);
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("operations log"), std::string::npos);
}

TEST(OperationLog, OperationWritesOnceWithTheResultItsMessagesGive) {
    testkit::LogFolderScope scope;
    SetFrontEnd(FrontEnd::Cli);
    SetMainUnit("10.0.0.7", "admin");
    struct Case {
        std::vector<Outcome> outcomes;
        Result expected;
    };
    const Case cases[] = {
        {{Outcome::Done, Outcome::Skipped}, Result::Ok},
        {{Outcome::Done, Outcome::Failed}, Result::Partial},
        {{Outcome::Failed, Outcome::Failed}, Result::Failed},
    };
    for (const Case& c : cases) {
        Operation op("copy", scope.Base(), "to box 2");
        for (const Outcome o : c.outcomes) op.Add(std::string("m.vmdat"), o);
    }
    {
        Operation nothing("move", scope.Base());  // nothing handled: nothing written
        Operation dropped("move", scope.Base());
        dropped.Add(std::string("x.vmdat"), Outcome::Done);
        dropped.Drop();
        Operation cancelled("download", scope.Base());
        cancelled.Finish(Result::Cancelled);
        cancelled.Finish(Result::Ok);  // once only
    }
    const std::vector<Entry> entries = scope.Entries();
    ASSERT_EQ(entries.size(), 4u);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(entries[i].result, cases[i].expected) << i;
        EXPECT_EQ(entries[i].operation, "copy");
        EXPECT_EQ(entries[i].detail, "to box 2");
        EXPECT_EQ(entries[i].by, FrontEnd::Cli);
        EXPECT_EQ(entries[i].unitAddress, "10.0.0.7");
        EXPECT_EQ(entries[i].unitUser, "admin");
        EXPECT_EQ(entries[i].pcUser, ComputerUserName());
        EXPECT_EQ(entries[i].boxFolder, Utf8Of(scope.Base()));
    }
    EXPECT_EQ(entries[3].operation, "download");
    EXPECT_EQ(entries[3].result, Result::Cancelled);
    SetMainUnit("", "");
}

TEST(OperationLog, FiltersChooseByDayOperationAndMessage) {
    const std::vector<Entry> all = {
        sample("delete", "2026-11-30T23:59:59+09:00"),
        sample("copy", "2026-12-01T00:00:00+09:00"),
        sample("delete", "2026-12-11T13:05:09-05:00"),
        [] {
            Entry e = sample("backup", "2026-12-12T01:00:00+09:00");
            e.messages = {{"BU_202612", Outcome::Done}};
            return e;
        }(),
    };
    struct Case {
        LogFilter filter;
        std::vector<std::size_t> expected;
    };
    const Case cases[] = {
        {{}, {0, 1, 2, 3}},
        {{"2026-12-01", "", "", ""}, {1, 2, 3}},
        {{"", "2026-12-01", "", ""}, {0, 1}},
        {{"2026-12-11", "2026-12-11", "", ""}, {2}},
        {{"", "", "delete", ""}, {0, 2}},
        {{"", "", "", "a005_00002"}, {0, 1, 2}},  // any case, any part of a name
        {{"", "", "", "bu_2026"}, {3}},
        {{"2026-12-01", "", "delete", "A005"}, {2}},
        {{"", "", "upload", ""}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(ProblemOf(c.filter));
        std::vector<std::size_t> got;
        for (std::size_t i = 0; i < all.size(); ++i)
            if (Matches(all[i], c.filter)) got.push_back(i);
        EXPECT_EQ(got, c.expected) << c.filter.since << '|' << c.filter.until << '|' << c.filter.operation << '|'
                                   << c.filter.message;
    }

    const LogFilter refused[] = {
        {"2026-13-01", "", "", ""}, {"2026-02-29", "", "", ""},           {"", "26-12-01", "", ""},
        {"", "2026-12-1x", "", ""}, {"2026-12-02", "2026-12-01", "", ""}, {"", "", "erase", ""},
    };
    for (const LogFilter& f : refused) EXPECT_TRUE(ProblemOf(f)) << f.since << '|' << f.until << '|' << f.operation;
    EXPECT_FALSE(ProblemOf({"2028-02-29", "", "", ""}));  // a leap day
}

TEST(OperationLog, LineForPeopleNamesEverything) {
    const std::string line = EntryLine(sample());
    for (const char* part :
         {"2026-12-11 13:05:09 +09:00", "delete", "partial", "alice (plova-cli)", "admin@192.168.1.10",
          "main unit and PC", "2 messages", "202612071506_MON_A005_00002.vmdat failed (in use on the main unit)"})
        EXPECT_NE(line.find(part), std::string::npos) << part << " in " << line;
}

}  // namespace
}  // namespace plova::oplog
