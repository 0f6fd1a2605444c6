#include "oplog/OperationLog.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <mutex>
#include <nlohmann/json.hpp>
#include <system_error>
#include <thread>

#include "platform/AppPaths.h"
#include "platform/CalendarTime.h"
#include "platform/File.h"
#include "platform/FileLock.h"
#include "platform/Text.h"

namespace plova::oplog {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// The lock that keeps two programs from turning the files over at once.
constexpr std::string_view kLockName = ".operations.lock";
// How long an append waits for another program's turn-over.
constexpr int kLockAttempts = 100;
constexpr std::chrono::milliseconds kLockPause{10};
// The entries are short lines: a file far beyond its limit is no log of ours.
constexpr std::uint64_t kReadSlack = std::uint64_t{16} * 1024 * 1024;

constexpr std::string_view kFrontEndNames[] = {"window", "plova-cli"};
constexpr std::string_view kOutcomeNames[] = {"done", "failed", "skipped"};
constexpr std::string_view kResultNames[] = {"ok", "partial", "failed", "cancelled"};

template <typename Enum, std::size_t N>
std::optional<Enum> enumOf(const std::string_view (&names)[N], std::string_view name) {
    for (std::size_t i = 0; i < N; ++i)
        if (names[i] == name) return static_cast<Enum>(i);
    return std::nullopt;
}

std::string reasonOfLastError(std::string_view what, const fs::path& path) {
    return std::string(what) + " " + Utf8Of(path) + ": " + SystemErrorText(LastSystemError());
}

// The process's own record.
struct ProcessState {
    std::mutex mutex;
    FrontEnd by = FrontEnd::Window;
    std::string unitAddress, unitUser;
    std::function<void(const std::string&)> warn;
    bool warned = false;
};

ProcessState& state() {
    static ProcessState s;
    return s;
}

}  // namespace

bool IsOperation(std::string_view name) {
    return std::find(std::begin(kOperations), std::end(kOperations), name) != std::end(kOperations);
}

std::string_view NameOf(FrontEnd by) {
    return kFrontEndNames[static_cast<int>(by)];
}
std::string_view NameOf(Outcome outcome) {
    return kOutcomeNames[static_cast<int>(outcome)];
}
std::string_view NameOf(Result result) {
    return kResultNames[static_cast<int>(result)];
}

std::string ToJson(const Entry& e) {
    json messages = json::array();
    for (const MessageResult& m : e.messages) {
        json one = {{"name", m.name}, {"outcome", NameOf(m.outcome)}};
        if (!m.note.empty()) one["note"] = m.note;
        messages.push_back(std::move(one));
    }
    json line = {{"time", e.time},
                 {"by", NameOf(e.by)},
                 {"pc_user", e.pcUser},
                 {"unit_user", e.unitUser},
                 {"unit_address", e.unitAddress},
                 {"box_folder", e.boxFolder},
                 {"operation", e.operation},
                 {"detail", e.detail},
                 {"result", NameOf(e.result)},
                 {"messages", std::move(messages)}};
    // Names that are not UTF-8 (a file name from another system) are kept
    // readable rather than failing the entry.
    return line.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::optional<Entry> FromJson(std::string_view text) {
    const json line = json::parse(text, nullptr, false);
    if (!line.is_object()) return std::nullopt;
    auto str = [&](const char* key) -> std::optional<std::string> {
        const auto it = line.find(key);
        if (it == line.end() || !it->is_string()) return std::nullopt;
        return it->get<std::string>();
    };
    Entry e;
    const auto time = str("time"), by = str("by"), operation = str("operation"), result = str("result");
    if (!time || !by || !operation || !result) return std::nullopt;
    const auto byValue = enumOf<FrontEnd>(kFrontEndNames, *by);
    const auto resultValue = enumOf<Result>(kResultNames, *result);
    if (!byValue || !resultValue) return std::nullopt;
    e.time = *time;
    e.by = *byValue;
    e.operation = *operation;
    e.result = *resultValue;
    e.pcUser = str("pc_user").value_or("");
    e.unitUser = str("unit_user").value_or("");
    e.unitAddress = str("unit_address").value_or("");
    e.boxFolder = str("box_folder").value_or("");
    e.detail = str("detail").value_or("");
    const auto messages = line.find("messages");
    if (messages != line.end()) {
        if (!messages->is_array()) return std::nullopt;
        for (const json& m : *messages) {
            if (!m.is_object() || !m.contains("name") || !m["name"].is_string() || !m.contains("outcome") ||
                !m["outcome"].is_string())
                return std::nullopt;
            const auto outcome = enumOf<Outcome>(kOutcomeNames, m["outcome"].get<std::string>());
            if (!outcome) return std::nullopt;
            MessageResult r{m["name"].get<std::string>(), *outcome};
            if (m.contains("note") && m["note"].is_string()) r.note = m["note"].get<std::string>();
            e.messages.push_back(std::move(r));
        }
    }
    return e;
}

std::string TimeNow() {
    const std::time_t now = std::time(nullptr);
    const std::tm local = LocalCalendarTime(now);
    // The zone's offset is what the local fields read as universal time are ahead by.
    // Zones lie within a day of universal time.
    constexpr long kMinutesPerDay = 24L * 60;
    const long offset =
        std::clamp(static_cast<long>(MomentOfUniversalTime(local) - now) / 60, -kMinutesPerDay, kMinutesPerDay);
    const int magnitude = static_cast<int>(offset < 0 ? -offset : offset);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, offset < 0 ? '-' : '+', magnitude / 60,
                  magnitude % 60);
    return text;
}

// ------------------------------------------------------------------ Journal

Journal::Journal(fs::path folder, std::uint64_t maxFileBytes, int filesKept)
    : folder_(std::move(folder)), maxFileBytes_(maxFileBytes), filesKept_(std::max(filesKept, 1)) {}

fs::path Journal::fileNumbered(int n) const {
    std::string name(kFileName);
    if (n > 0) name += "." + std::to_string(n);
    return folder_ / name;
}

bool Journal::turnOver(std::string* why) const {
    const fs::path oldest = fileNumbered(filesKept_ - 1);
    if (filesKept_ == 1) {
        if (RemoveFileOrLink(oldest)) return true;
        if (why) *why = reasonOfLastError("cannot remove", oldest);
        return false;
    }
    if (!RemoveFileOrLink(oldest)) {
        if (why) *why = reasonOfLastError("cannot remove", oldest);
        return false;
    }
    for (int n = filesKept_ - 2; n >= 0; --n) {
        const fs::path from = fileNumbered(n);
        if (EntryType(from) == fs::file_type::not_found) continue;
        if (!RenameReplacing(from, fileNumbered(n + 1))) {
            if (why) *why = reasonOfLastError("cannot rename", from);
            return false;
        }
    }
    return true;
}

bool Journal::Append(const Entry& entry, std::string* why) const {
    const std::string line = ToJson(entry) + "\n";
    std::error_code ec;
    fs::create_directories(folder_, ec);
    if (ec) {
        if (why) *why = "cannot make the folder " + Utf8Of(folder_) + ": " + ec.message();
        return false;
    }
    // Another program turning the files over is waited for a moment; then
    // the line goes on the end regardless, which an append keeps whole.
    FileLock lock = LockFolder(folder_, kLockName);
    for (int i = 1; i < kLockAttempts && lock.LockState() == FileLock::State::Busy; ++i) {
        std::this_thread::sleep_for(kLockPause);
        lock = LockFolder(folder_, kLockName);
    }
    const fs::path file = fileNumbered(0);
    const std::uintmax_t size = fs::file_size(file, ec);
    if (!ec && size > 0 && size + line.size() > maxFileBytes_ && lock.Held() && !turnOver(why)) return false;
    FileHandle f = OpenForAppend(file);
    if (!f) {
        if (why) *why = reasonOfLastError("cannot open", file);
        return false;
    }
    if (!AppendAll(f, line) || !f.Sync() || !f.CloseChecked()) {
        if (why) *why = reasonOfLastError("cannot write", file);
        return false;
    }
    return true;
}

std::vector<fs::path> Journal::Files() const {
    std::vector<fs::path> files;
    for (int n = filesKept_ - 1; n >= 0; --n)
        if (EntryType(fileNumbered(n)) != fs::file_type::not_found) files.push_back(fileNumbered(n));
    return files;
}

std::vector<Entry> Journal::ReadAll(std::vector<std::string>& problems) const {
    std::vector<Entry> entries;
    for (const fs::path& file : Files()) {
        std::string text;
        switch (ReadWholeFile(file, text, maxFileBytes_ + kReadSlack)) {
        case ReadResult::Ok: break;
        case ReadResult::Missing: continue;  // turned over meanwhile
        case ReadResult::TooLarge: problems.push_back(Utf8Of(file) + ": too large for a log file"); continue;
        case ReadResult::NotRegular: problems.push_back(Utf8Of(file) + ": not a regular file"); continue;
        case ReadResult::Failed: problems.push_back(reasonOfLastError("cannot read", file)); continue;
        }
        std::size_t lineNumber = 0;
        for (std::size_t at = 0; at < text.size();) {
            std::size_t end = text.find('\n', at);
            if (end == std::string::npos) end = text.size();
            const std::string_view line(text.data() + at, end - at);
            ++lineNumber;
            at = end + 1;
            if (line.empty()) continue;
            if (auto e = FromJson(line))
                entries.push_back(std::move(*e));
            else
                problems.push_back(Utf8Of(file) + ": line " + std::to_string(lineNumber) + " is not an entry");
        }
    }
    return entries;
}

// ------------------------------------------------------- the process's record

void SetFrontEnd(FrontEnd by) {
    std::lock_guard guard(state().mutex);
    state().by = by;
}

void SetMainUnit(std::string_view address, std::string_view user) {
    std::lock_guard guard(state().mutex);
    state().unitAddress = address;
    state().unitUser = user;
}

Journal ProcessJournal() {
    return Journal(StateFolder());
}

void SetWarning(std::function<void(const std::string&)> warn) {
    std::lock_guard guard(state().mutex);
    state().warn = std::move(warn);
}

void Record(Entry entry) {
    ProcessState& s = state();
    std::function<void(const std::string&)> warn;
    std::string why;
    {
        std::lock_guard guard(s.mutex);
        entry.time = TimeNow();
        entry.by = s.by;
        entry.pcUser = ComputerUserName();
        entry.unitAddress = s.unitAddress;
        entry.unitUser = s.unitUser;
        if (ProcessJournal().Append(entry, &why) || s.warned) return;
        s.warned = true;
        warn = s.warn;
    }
    const std::string text = "the operations log cannot be written (" + why + "); the work goes on without it";
    if (warn)
        warn(text);
    else
        std::cerr << "plova: " << text << '\n';
}

// ---------------------------------------------------------------- Operation

Operation::Operation(std::string_view operation, const fs::path& boxFolder, std::string detail) {
    entry_.operation = operation;
    entry_.detail = std::move(detail);
    SetBoxFolder(boxFolder);
}

Operation::~Operation() {
    if (!finished_ && HasMessages()) Finish();
}

void Operation::SetBoxFolder(const fs::path& boxFolder) {
    entry_.boxFolder = boxFolder.empty() ? std::string() : Utf8Of(AbsolutePath(boxFolder));
}

void Operation::Add(std::string name, Outcome outcome, std::string note) {
    entry_.messages.push_back({std::move(name), outcome, std::move(note)});
}

void Operation::Add(const fs::path& file, Outcome outcome, std::string note) {
    Add(Utf8Of(file.filename()), outcome, std::move(note));
}

void Operation::Finish(Result result) {
    if (finished_) return;
    finished_ = true;
    entry_.result = result;
    Record(std::move(entry_));
}

void Operation::Finish() {
    const auto failed = std::count_if(entry_.messages.begin(), entry_.messages.end(),
                                      [](const MessageResult& m) { return m.outcome == Outcome::Failed; });
    const auto all = static_cast<std::ptrdiff_t>(entry_.messages.size());
    Finish(failed == 0 ? Result::Ok : failed == all ? Result::Failed : Result::Partial);
}

}  // namespace plova::oplog
