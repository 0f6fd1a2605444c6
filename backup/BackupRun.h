// One backup run: log in with the stored values, list every box, count the
// messages, fetch the months due into their month folders with retries, keep
// each month's record, always end logged out.
//
// The window behind the run (the main window, or nothing for the command-line
// tool) is reached through BackupRunHost; the user through the ports: the
// progress window "バックアップ実行中" found by its caption, the cancel flag,
// one pending message pumped per step, the clock.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "backup/BackupRecord.h"
#include "download/DownloadMng.h"
#include "download/DryRun.h"

namespace plova {
class CFtpMng;
namespace oplog {
class Operation;
}
}  // namespace plova

namespace plova::backup {

constexpr std::u16string_view kProgressCaption = u"バックアップ実行中";
// The progress window's two messages: one more message done, and the range
// (the count given plus 2; 100 plus 2 when the count is 0 or less).
constexpr int kProgressStep = msg::kNextItem;
constexpr int kProgressRange = msg::kBarRange;

constexpr std::u16string_view kCommError = u"通信エラーが発生しました。";
constexpr std::u16string_view kNoSpace = u"ＰＣのメモリ不足です。";
constexpr std::u16string_view kErrorCaption = u"エラー";
// Local problems, each followed by the path concerned on a line of its own.
constexpr std::u16string_view kNoRootFolder =
    u"バックアップ先のルートフォルダがありません。ディスクが接続されているか確認してください。";
constexpr std::u16string_view kCannotWrite = u"バックアップ先に書き込めません。";
constexpr std::u16string_view kBackupBusy = u"別のバックアップがこのフォルダで実行中です。";

// How a run ended.
enum class [[nodiscard]] RunResult{
    Ok,
    Cancelled,
    LoginFailed,       // no login within the retries
    CommError,         // the main unit failed within the retries
    NoSpace,           // not enough free disk space
    ConversionFailed,  // a voice file could not be made a WAV file
    NoRootFolder,      // no root folder to back up into, or it does not exist
    WriteFailed,       // a local file or folder could not be written
    Busy,              // another run is backing up into the same root folder
};

// The local path behind a result that names one, and why it failed; for a
// run the main unit failed (LoginFailed, CommError), what failed last.
struct LocalProblem {
    std::filesystem::path path;
    std::string reason;
    std::string cause = {};  // "connection refused at 192.168.1.10:21", …
};

// A step of the run that is tried again when it fails.
enum class RunStep { LogIn, ListBoxes, CountMessages, FetchMessages };

// A retry the run is about to wait for.
struct RetryNotice {
    RunStep step = RunStep::LogIn;
    std::u16string remote;  // the remote folder of the step, when it has one
    int retry = 0;          // 1 for the first
    int retries = 0;        // "RETRYCNT"
    int waitSeconds = 0;    // "RETRYWAIT" before it
    std::string cause;      // why the attempt failed, for a person
};

// How a backup transfer procedure ended: the results of the download
// procedures, and a local file or folder that cannot be written, which no
// retry mends.
enum class [[nodiscard]] BackupResult{
    Ok,           // every listed file of the months handled
    SomeSkipped,  // done, but a listed file had gone from the main unit or held no message
    CommError,    // the link failed, or a file arrived at another length than listed
    NoDirectory,  // the remote directory does not exist
    Cancelled,
    NoSpace,
    ExistingConversionFailed,  // a voice file already backed up would not convert
    FreshConversionFailed,     // a voice file fetched just now would not convert
    WriteFailed,               // TransferContext::problem says which path
};

class BackupRunHost {
public:
    virtual ~BackupRunHost() = default;
    // The session with the main unit: log in, log out (QUIT and close when
    // connected), and its FTP client (null without one).
    virtual ftp::LoginResult Login(const std::u16string& address, const std::u16string& user,
                                   const std::u16string& password) = 0;
    virtual void Logout() = 0;
    virtual CFtpMng* Ftp() = 0;
    // The main window disabled (false) and enabled again (true).
    virtual void EnableMainWindow(bool enabled) = 0;
    // CPrgAbackUpDlg, modeless, and its end.
    virtual void OpenProgress() = 0;
    virtual void CloseProgress() = 0;
    // The idle timer's tick count back to 0 after the run's logout.
    virtual void ResetIdleCount() = 0;
};

// What the run takes from the settings.
struct RunSettings {
    std::filesystem::path root;              // "FOLDER"
    std::u16string address, user, password;  // the stored "IP", "USER", "PASS"
    int retryCount = 3;                      // "RETRYCNT"
    int retryWait = 60000;                   // "RETRYWAIT", ms
    bool convert = false;                    // "DOWNCONV" 1
    int level = 0;                           // "LEVELRVORWAV"
    bool loggedIn = false;                   // a session is open before the run; false after it, always
};

struct RunOptions {
    // How the wait between retries sleeps; tests step a clock instead.
    std::function<void(int milliseconds)> sleep;
    // The run shows its communication-error message (a person agreed to it).
    bool confirmed = false;
    // Told before each wait for a retry.
    std::function<void(const RetryNotice&)> retrying;
};

// Everything a transfer procedure needs besides the FTP client.
struct TransferContext {
    std::filesystem::path root;  // the root folder
    BackupMonths months;
    bool convert = false;             // "DOWNCONV" 1
    int level = 0;                    // "LEVELRVORWAV"
    LocalProblem* problem = nullptr;  // filled in with BackupResult::WriteFailed
    oplog::Operation* log = nullptr;  // told of every file fetched, skipped or failed
};

// Box messages of one remote box directory ("/rusuroku/0001") into the box
// folder `kind`/<box> of their month folders; one progress step per message.
//
// A file counts as backed up only when it is whole: its listed length behind
// a valid status record. Anything else under its name is fetched again. A
// file arrives under a receiving name of this run, no longer than listed; it
// is kept only at its listed length, gets its record there and is then
// renamed into place, so a message name never holds a torn file. A file too
// short to hold a recording block is skipped, as one gone from the main unit.
BackupResult BackupBox(CFtpMng& ftp, const TransferContext& context, std::u16string_view kind,
                       std::u16string_view remotePath);
// The system response messages into "outou" of the current month's folder.
BackupResult BackupResponseMessages(CFtpMng& ftp, const TransferContext& context);

// What a remote directory holds: every entry, and the messages among them (a
// box message is its recording-information file, a system response message
// its one voice file).
struct DirectoryCount {
    int entries = 0;
    int messages = 0;
};
// Ok, NoDirectory or CommError.
BackupResult CountFiles(CFtpMng& ftp, std::u16string_view remotePath, DirectoryCount& count);

// The run; `months` were computed just before. When it ends well, every
// month folder of the run gets its manifest (BackupManifest.h); the months
// it opens lose theirs until then. The run goes into the operations log. The root folder must exist
// (only the month folders are made in it), and no other run may be backing
// up into it: the run holds the root folder's lock throughout. `problem`,
// when given, receives the local path behind NoRootFolder, WriteFailed and
// Busy.
RunResult RunBackup(BackupRunHost& host, RunSettings& settings, const BackupMonths& months, const RunOptions& options,
                    LocalProblem* problem = nullptr);

// What a run with `months` would fetch into `root`, found by listing the main
// unit and looking at the month folders: the box messages of the months of
// the run and the system response messages that are not there whole. Nothing
// is made or written. False on a failed link.
bool PlanRun(CFtpMng& ftp, const std::filesystem::path& root, const BackupMonths& months, dl::Plan& plan);

}  // namespace plova::backup
