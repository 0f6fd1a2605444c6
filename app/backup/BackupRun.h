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

#include "app/backup/BackupRecord.h"
#include "download/CDownloadMng.h"

namespace plova {
class CFtpMng;
}

namespace plova::backup {

constexpr std::u16string_view kProgressCaption = u"バックアップ実行中";
// The progress window's two messages: one more message done, and the range
// (the count given plus 2; 100 plus 2 when the count is 0 or less).
constexpr int kProgressStep = msg::kNextItem;
constexpr int kProgressRange = msg::kBarRange;

constexpr std::u16string_view kCommError = u"通信エラーが発生しました。";
constexpr std::u16string_view kNoSpace = u"ＰＣのメモリ不足です。";
constexpr std::u16string_view kErrorCaption = u"エラー";

// How a run ended.
enum class RunResult {
    Ok,
    Cancelled,
    LoginFailed,       // no login within the retries
    CommError,         // the main unit failed within the retries
    NoSpace,           // not enough free disk space
    ConversionFailed,  // a voice file could not be made a WAV file
    NoRootFolder,      // no root folder to back up into
};

class BackupRunHost {
public:
    virtual ~BackupRunHost() = default;
    // The session with the main unit: log in (0 when logged in), log out
    // (QUIT and close when connected), and its FTP client (null without one).
    virtual int Login(const std::u16string& address, const std::u16string& user, const std::u16string& password) = 0;
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
};

// Everything a transfer procedure needs besides the FTP client.
struct TransferContext {
    std::filesystem::path root;  // the root folder
    BackupMonths months;
    bool convert = false;  // "DOWNCONV" 1
    int level = 0;         // "LEVELRVORWAV"
};

// Box messages of one remote box directory ("/rusuroku/0001") into the box
// folder `kind`/<box> of their month folders; one progress step per message.
// The results are the download procedures': Ok, SomeMissing, CommError,
// NoDirectory, Cancelled, NoSpace or a failed conversion.
DownloadResult BackupBox(CFtpMng& ftp, const TransferContext& context, std::u16string_view kind,
                         std::u16string_view remotePath);
// The system response messages into "outou" of the current month's folder.
DownloadResult BackupResponseMessages(CFtpMng& ftp, const TransferContext& context);
// Entries of a remote directory in `count`: Ok, NoDirectory or CommError.
DownloadResult CountFiles(CFtpMng& ftp, std::u16string_view remotePath, int& count);

// The run; `months` were computed just before.
RunResult RunBackup(BackupRunHost& host, RunSettings& settings, const BackupMonths& months, const RunOptions& options);

}  // namespace plova::backup
