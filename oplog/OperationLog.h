// The operations log: one JSON line for every operation that changes data on
// the main unit or on this PC, so that "who deleted this message, and when?"
// has an answer. Lines go to "operations.log" in the user's state folder, each
// in one write, on the disk when the operation ends; a file is kept to 10 MB
// and five files are kept. A log that cannot be written never stops an
// operation: the program says so once per run and goes on.
//
// What the log holds about the people involved is who they are, never how
// they logged in: no password reaches an entry.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plova::oplog {

// Which program did it.
enum class FrontEnd { Window, Cli };

// What became of one message.
enum class Outcome { Done, Failed, Skipped };

struct MessageResult {
    std::string name;  // the file name, UTF-8
    Outcome outcome = Outcome::Done;
    std::string note = {};  // why it failed or was skipped; where it went
};

// How the operation as a whole ended.
enum class Result { Ok, Partial, Failed, Cancelled };

struct Entry {
    std::string time;  // "2026-12-11T13:05:09+09:00": local time with its zone
    FrontEnd by = FrontEnd::Window;
    std::string pcUser;       // this computer's user
    std::string unitUser;     // the user name the main unit was logged in with
    std::string unitAddress;  // the main unit's address
    std::string boxFolder;    // the box folder (or backup root) worked on, UTF-8
    std::string operation;    // one of kOperations
    std::string detail;       // what else the operation was about ("main unit and PC")
    Result result = Result::Ok;
    std::vector<MessageResult> messages;
};

// The operations, by the names the log and its filters use.
inline constexpr std::string_view kOperations[] = {
    "download",   "delete",     "move",       "copy",   "upload",  "response-add", "record-edit", "rename", "box-name",
    "box-folder", "wav-delete", "csv-import", "export", "convert", "adopt",        "backup",      "verify",
};
bool IsOperation(std::string_view name);

std::string_view NameOf(FrontEnd by);
std::string_view NameOf(Outcome outcome);
std::string_view NameOf(Result result);

// One line of JSON, without its line end.
std::string ToJson(const Entry& entry);
// The entry of one line; nothing when the line is not one.
std::optional<Entry> FromJson(std::string_view line);

// The local time now as the log writes it.
std::string TimeNow();

// The log's files in one folder.
class Journal {
public:
    static constexpr std::uint64_t kMaxFileBytes = std::uint64_t{10} * 1024 * 1024;
    static constexpr int kFilesKept = 5;
    static constexpr std::string_view kFileName = "operations.log";

    explicit Journal(std::filesystem::path folder, std::uint64_t maxFileBytes = kMaxFileBytes,
                     int filesKept = kFilesKept);

    // Appends one entry in one write and puts it on the disk, first turning
    // a full file over ("operations.log" becomes "operations.log.1", the
    // oldest of the kept files goes). False, with the reason in `why`, when
    // it could not be written.
    bool Append(const Entry& entry, std::string* why = nullptr) const;

    // The files that hold entries, oldest first.
    [[nodiscard]] std::vector<std::filesystem::path> Files() const;
    // Every entry, oldest first. A line that is no entry or a file that
    // cannot be read is told in `problems` and skipped.
    [[nodiscard]] std::vector<Entry> ReadAll(std::vector<std::string>& problems) const;

    [[nodiscard]] const std::filesystem::path& Folder() const { return folder_; }

private:
    [[nodiscard]] std::filesystem::path fileNumbered(int n) const;
    bool turnOver(std::string* why) const;

    std::filesystem::path folder_;
    std::uint64_t maxFileBytes_;
    int filesKept_;
};

// ------------------------------------------------- the process's own record

// Which program this process is, set once at its start.
void SetFrontEnd(FrontEnd by);
// The main unit this process is logged in to (or was last), set at each login.
void SetMainUnit(std::string_view address, std::string_view user);
// Where the process writes the log: StateFolder() unless a test says otherwise.
Journal ProcessJournal();
// How the process says, once, that its log cannot be written (standard
// error unless the window says it its own way).
void SetWarning(std::function<void(const std::string&)> warn);

// Completes `entry` with the time, the program, the users and the main unit
// and appends it to the process's log. A failure is said once per process and
// never reaches the caller.
void Record(Entry entry);

// An operation being recorded: messages are added as they are handled, and
// the entry is written when it ends (by Finish, or when the object goes,
// unless nothing was handled).
class Operation {
public:
    Operation(std::string_view operation, const std::filesystem::path& boxFolder, std::string detail = {});
    ~Operation();
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

    void Add(std::string name, Outcome outcome, std::string note = {});
    void Add(const std::filesystem::path& file, Outcome outcome, std::string note = {});
    void SetDetail(std::string detail) { entry_.detail = std::move(detail); }
    void SetBoxFolder(const std::filesystem::path& boxFolder);
    // Writes the entry now with `result`; nothing happens after that.
    void Finish(Result result);
    // Writes the entry now with the result its messages give: failed when
    // every message failed, partial when some did, else ok.
    void Finish();
    // Forgets the operation: nothing is written (a dialog closed, nothing done).
    void Drop() { finished_ = true; }
    [[nodiscard]] bool HasMessages() const { return !entry_.messages.empty(); }

private:
    Entry entry_;
    bool finished_ = false;
};

}  // namespace plova::oplog
