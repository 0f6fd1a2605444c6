// A test's own operations log: the state folder moved under a temporary
// folder while the object lives, and what the process wrote there read back.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "oplog/OperationLog.h"
#include "platform/AppPaths.h"
#include "platform/testing/TempFolder.h"

namespace plova::testkit {

// The names of `folder` without the operations log's own files: on Windows
// the log shares the per-user folder of the intermediate files.
inline std::vector<std::string> NamesBesideTheLog(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (name.rfind(oplog::Journal::kFileName, 0) != 0 && name != ".operations.lock") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Each message of `entry` with its outcome, sorted by name.
inline std::vector<std::pair<std::string, oplog::Outcome>> SortedOutcomes(const oplog::Entry& entry) {
    std::vector<std::pair<std::string, oplog::Outcome>> out;
    for (const oplog::MessageResult& m : entry.messages) out.emplace_back(m.name, m.outcome);
    std::sort(out.begin(), out.end());
    return out;
}

class LogFolderScope {
public:
    LogFolderScope() : base_("oplog"), before_(EnvironmentPath(kStateBaseVariable)) {
        SetEnvironmentPath(kStateBaseVariable, base_.Path());
    }
    ~LogFolderScope() { SetEnvironmentPath(kStateBaseVariable, before_); }
    LogFolderScope(const LogFolderScope&) = delete;
    LogFolderScope& operator=(const LogFolderScope&) = delete;

    // The folder that holds the log files.
    [[nodiscard]] std::filesystem::path Folder() const { return StateFolder(); }
    // The folder the state folder lies in (a test may put a file there instead).
    [[nodiscard]] const std::filesystem::path& Base() const { return base_.Path(); }

    // Every entry written so far; a line that is no entry fails the test's expectations through `problems`.
    [[nodiscard]] std::vector<oplog::Entry> Entries(std::vector<std::string>* problems = nullptr) const {
        std::vector<std::string> found;
        auto entries = oplog::ProcessJournal().ReadAll(found);
        if (problems) *problems = found;
        return entries;
    }
    // The one entry `work` writes; an empty entry, and a failed expectation,
    // when it writes none or more than one.
    [[nodiscard]] oplog::Entry EntryOf(const std::function<void()>& work) const {
        const std::size_t before = Entries().size();
        work();
        std::vector<oplog::Entry> entries = Entries();
        if (entries.size() != before + 1) {
            ADD_FAILURE() << "the operation wrote " << entries.size() - before << " log entries, not one";
            return {};
        }
        return entries.back();
    }
    // The entries of one operation.
    [[nodiscard]] std::vector<oplog::Entry> Of(const std::string& operation) const {
        std::vector<oplog::Entry> out;
        for (auto& e : Entries())
            if (e.operation == operation) out.push_back(e);
        return out;
    }

private:
    TempFolder base_;
    std::optional<std::filesystem::path> before_;
};

}  // namespace plova::testkit
