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

#include "app/BackupHooks.h"
#include "app/MainUnitSession.h"
#include "app/SettingsRecord.h"
#include "app/backup/BackupRecord.h"

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

// Results of a run.
constexpr int kRunOk = 0;
constexpr int kRunFailed = 1;

// Results of the transfer procedures.
constexpr int kDone = 0;
constexpr int kDoneButMissing = 550;
constexpr int kCommFailure = -1;
constexpr int kNoDirectory = -2;
constexpr int kCancelledOrConvert = -3;
constexpr int kNoRoom = -4;

class BackupRunHost {
public:
    virtual ~BackupRunHost() = default;
    // The session the run logs in with; it is left logged out.
    virtual MainUnitSession& MainUnit() = 0;
    // The main window disabled (false) and enabled again (true).
    virtual void EnableMainWindow(bool enabled) = 0;
    // CPrgAbackUpDlg, modeless, and its end.
    virtual void OpenProgress() = 0;
    virtual void CloseProgress() = 0;
    // The idle timer's tick count back to 0 after the run's logout.
    virtual void ResetIdleCount() = 0;
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
int BackupBox(CFtpMng& ftp, const TransferContext& context, std::u16string_view kind, std::u16string_view remotePath);
// The system response messages into "outou" of the current month's folder.
int BackupResponseMessages(CFtpMng& ftp, const TransferContext& context);
// Entries of a remote directory; -2 when missing, -1 on other failures.
int CountFiles(CFtpMng& ftp, std::u16string_view remotePath);

// The run. kRunOk or kRunFailed (also after a cancel). `months` were computed
// just before; `record` gives the stored login values, the root folder and
// the retry settings and gets the logged-in flag.
int RunBackup(BackupRunHost& host, SettingsRecord& record, const BackupMonths& months, const RunOptions& options);

// The entry points the main window calls (app/BackupHooks.h): the due test,
// the next-due computation, and a run with the month folders and base month
// computed just before it, showing its messages when `flags.confirmed` is set.
BackupHooks MakeBackupHooks(BackupRunHost& host, const BackupFlags& flags, RunOptions options = {});

}  // namespace plova::backup
