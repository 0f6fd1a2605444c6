// plova-cli backup [--settings FILE]: one backup run now, as the window's
// schedule runs it, for cron or a timer while nobody has the window open on
// that settings file. It holds the settings file's lock, which the window
// holds while it runs, and the run holds the root folder's, so it never runs
// beside a window on the same settings or another backup into the same root;
// it logs in with the stored values and records the result in the settings
// file.
#include <csignal>
#include <set>

#include "app/BackupWatch.h"
#include "app/FtpMainUnitSession.h"
#include "backup/BackupRun.h"
#include "cli/Command.h"
#include "platform/AppPaths.h"
#include "platform/FileLock.h"
#include "platform/Text.h"

namespace plova::cli {
namespace {

constexpr const char* kName = "backup";

// Messages the run would show in a box go to stderr, one line each.
class StderrPrompt final : public Prompt {
public:
    explicit StderrPrompt(std::ostream& err) : err_(err) {}
    Answer Show(const std::u16string& text, const std::u16string& caption, Icon, Buttons buttons) override {
        Fail(err_, kName, ToUtf8(caption) + ": " + ToUtf8(text));
        return FirstButton(buttons);
    }

private:
    std::ostream& err_;
};

// The progress window, as lines on stderr: the number of messages, then
// every tenth of the way.
class StderrProgress final : public Progress {
public:
    explicit StderrProgress(std::ostream& err) : err_(err) {}
    bool open = false;
    WindowHandle Find(const std::u16string& caption) override {
        return open && caption == backup::kProgressCaption ? 1 : 0;
    }
    void Send(WindowHandle window, int message, std::intptr_t wparam, std::intptr_t) override {
        if (window == 0) return;
        if (message == backup::kProgressRange) {
            total_ = wparam;
            done_ = 0;
            err_ << "plova-cli: backup: " << total_ << " messages on the main unit\n";
        } else if (message == backup::kProgressStep && total_ > 0) {
            const std::intptr_t before = done_ * 10 / total_;
            done_ = std::min(done_ + 1, total_);
            if (done_ * 10 / total_ != before) err_ << "plova-cli: backup: " << done_ * 100 / total_ << "%\n";
        }
    }
    void Post(WindowHandle window, int message, std::intptr_t wparam, std::intptr_t lparam) override {
        Send(window, message, wparam, lparam);
    }

private:
    std::ostream& err_;
    std::intptr_t total_ = 0, done_ = 0;
};

class CliHost final : public backup::BackupRunHost {
public:
    CliHost(StderrProgress& progress, std::ostream& err) : session_(nullptr), progress_(progress), err_(err) {}
    ftp::LoginResult Login(const std::u16string& address, const std::u16string& user,
                           const std::u16string& password) override {
        return session_.Login(address, user, password);
    }
    void Logout() override { session_.Logout(); }
    CFtpMng* Ftp() override { return session_.Ftp(); }
    void EnableMainWindow(bool) override {}
    void OpenProgress() override {
        progress_.open = true;
        err_ << "plova-cli: backup: started\n";
    }
    void CloseProgress() override { progress_.open = false; }
    void ResetIdleCount() override {}

private:
    FtpMainUnitSession session_;
    StderrProgress& progress_;
    std::ostream& err_;
};

// Ctrl-C and a stopped timer unit cancel the run as its Cancel button does:
// the months stay open and the session ends properly.
CancelFlag* signalledFlag = nullptr;
extern "C" void OnStopSignal(int) {
    if (signalledFlag) signalledFlag->Set();
}

struct StopSignals {
    explicit StopSignals(CancelFlag& flag) {
        signalledFlag = &flag;
        previousInt = std::signal(SIGINT, OnStopSignal);
        previousTerm = std::signal(SIGTERM, OnStopSignal);
    }
    ~StopSignals() {
        std::signal(SIGINT, previousInt);
        std::signal(SIGTERM, previousTerm);
        signalledFlag = nullptr;
    }
    void (*previousInt)(int);
    void (*previousTerm)(int);
};

std::string withCause(const std::string& cause) {
    return cause.empty() ? std::string() : ": " + cause;
}

// A retry as it begins to wait, so that a run from cron or a terminal shows
// why it seems to stand still.
void tellRetry(std::ostream& err, const backup::RetryNotice& n) {
    std::string step;
    switch (n.step) {
    case backup::RunStep::LogIn: step = "logging in"; break;
    case backup::RunStep::ListBoxes: step = "listing the boxes"; break;
    case backup::RunStep::CountMessages: step = "counting the messages of " + ToUtf8(n.remote); break;
    case backup::RunStep::FetchMessages: step = "fetching " + ToUtf8(n.remote); break;
    }
    err << "plova-cli: backup: " << step << " failed (" << n.cause << "); retry " << n.retry << " of " << n.retries
        << " in " << n.waitSeconds << " s\n";
    err.flush();
}

// Why a run did not complete.
std::string shortfall(backup::RunResult result, const backup::LocalProblem& problem) {
    const std::string where = Utf8Of(problem.path) + " (" + problem.reason + ")";
    switch (result) {
    case backup::RunResult::Ok: break;
    case backup::RunResult::Cancelled: return "cancelled";
    case backup::RunResult::LoginFailed:
        return "cannot log in to the main unit with the stored values" + withCause(problem.cause);
    case backup::RunResult::CommError: return "communication error with the main unit" + withCause(problem.cause);
    case backup::RunResult::NoSpace: return "not enough free disk space under the root folder";
    case backup::RunResult::ConversionFailed: return "a WAV conversion failed";
    case backup::RunResult::NoRootFolder:
        return problem.path.empty() ? "no root folder" : "the root folder does not exist: " + where;
    case backup::RunResult::WriteFailed: return "cannot write " + where;
    case backup::RunResult::Busy: return "another backup is running into the root folder";
    }
    return "the backup failed";
}

// The result as the window's scheduled run records it, and nothing else of
// the file touched. A file that cannot be read now is not saved over: that
// would keep three keys of it.
bool recordResult(const std::filesystem::path& file, SettingsRecord& record, bool ok) {
    const LocalTime now = CurrentPorts().clock->Now();
    RecordBackupResult(record, ok, now);
    std::optional<IniDocument> ini = LoadForUpdate(file);
    if (!ini) return false;
    ini->Set(settings::kBackup, u"ZENKAIBI", record.zenkaibi);
    ini->SetInt(settings::kBackup, u"ZENKAIKA", record.zenkaika);
    if (record.hindo != backup::kNever) {
        ComputeNextDue(record, now);
        ini->Set(settings::kBackup, u"YOTEIBI", record.yoteibi);
    }
    // The password is kept in plain text: the file stays its owner's alone, as the window keeps it.
    return ini->Save(file, NewFileMode::OwnerOnly);
}

// --dry-run: what the run would fetch, by the stored login and the months
// the run would take. Neither the settings file nor its lock, the root folder
// nor anything in it is written.
int runDryRun(const std::filesystem::path& file, std::ostream& out, std::ostream& err) {
    const std::optional<IniDocument> ini = LoadForUpdate(file);
    if (!ini) return Fail(err, kName, "cannot read the settings file " + Utf8Of(file));
    SettingsRecord record;
    ReadAllSettings(*ini, record);
    if (record.check != 1 || record.ip.empty()) return Fail(err, kName, "no stored login values in " + Utf8Of(file));
    if (record.change == 1) record.folder = record.nextFolder;
    if (record.folder.empty()) return Fail(err, kName, "no root folder in " + Utf8Of(file));
    const std::filesystem::path root = PathOfText(record.folder);
    std::error_code ec;
    if (!std::filesystem::is_directory(root, ec))
        return Fail(err, kName, "the root folder does not exist: " + Utf8Of(root));

    const backup::BackupMonths months = backup::MonthsOfRun(root, record.zenkaibi, CurrentPorts().clock->Now());
    CFtpMng ftp;
    if (ftp.Login(record.ip, record.user, record.password) != ftp::LoginResult::Ok)
        return Fail(err, kName,
                    "cannot log in to the main unit with the stored values" + withCause(ftp.LoginFailure()));
    dl::Plan plan;
    const bool planned = backup::PlanRun(ftp, root, months, plan);
    ftp.Logout();
    if (!planned) return Fail(err, kName, "communication error while listing the main unit");
    out << "plova-cli: backup: dry run into " << PrintablePath(root) << ", months " << ToUtf8(months.baseMonth)
        << " to " << ToUtf8(months.currentMonth) << "; nothing is fetched or written\n";
    for (const std::string& line : dl::DescribePlan(plan)) out << Printable(line) << '\n';
    return kOk;
}

int runBackup(const Args& allArgs, std::ostream& out, std::ostream& err) {
    Args args;
    bool dryRun = false;
    for (const std::string& a : allArgs) {
        if (a == "--dry-run")
            dryRun = true;
        else
            args.push_back(a);
    }
    if (!(args.empty() || (args.size() == 2 && args[0] == "--settings")))
        return Fail(err, kName, "expects [--settings FILE] [--dry-run]", kUsage);

    // The settings file first (a link is used at its target): a wrong path is
    // a mistake to say at once, whatever else runs.
    const std::filesystem::path file = SettingsPath(args);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return Fail(err, kName, "no settings file at " + Utf8Of(file));
    if (dryRun) return runDryRun(file, out, err);
    const FileLock settingsLock = LockBeside(file);
    if (settingsLock.LockState() == FileLock::State::Busy)
        return Fail(err, kName,
                    "the program is running on " + Utf8Of(file) +
                        " (its window backs up on its own schedule), or another backup of it is; nothing was done",
                    kBusy);
    if (!settingsLock.Held())
        return Fail(err, kName, "cannot lock " + Utf8Of(settingsLock.File()) + ": " + settingsLock.Reason());

    const std::optional<IniDocument> ini = LoadForUpdate(file);
    if (!ini) return Fail(err, kName, "cannot read the settings file " + Utf8Of(file));
    SettingsRecord record;
    ReadAllSettings(*ini, record);
    if (record.check != 1 || record.ip.empty())
        return Fail(err, kName,
                    "no stored login values in " + Utf8Of(file) +
                        " (LOGIN CHECK is 0: tick the login dialog's remember box and leave the program once)");
    // The root folder the window would use at its next start.
    if (record.change == 1) record.folder = record.nextFolder;
    if (record.folder.empty()) return Fail(err, kName, "no root folder in " + Utf8Of(file));

    StderrPrompt prompt(err);
    StderrProgress progress(err);
    CancelFlag cancel;
    ScopedPorts scope(Ports{&prompt, &progress, nullptr, &cancel, nullptr, nullptr, nullptr});
    StopSignals signals(cancel);
    CliHost host(progress, err);

    const LocalTime started = CurrentPorts().clock->Now();
    const backup::BackupMonths months = backup::MonthsOfRun(PathOfText(record.folder), record.zenkaibi, started);
    backup::RunSettings run = RunSettingsOf(record);
    backup::RunOptions options;
    options.confirmed = true;  // someone reads stderr: every failure is said
    options.retrying = [&err](const backup::RetryNotice& notice) { tellRetry(err, notice); };
    backup::LocalProblem problem;
    const backup::RunResult result = backup::RunBackup(host, run, months, options, &problem);
    // Another backup into the root folder has the months in hand: this run did
    // nothing and records nothing.
    if (result == backup::RunResult::Busy)
        return Fail(err, kName, shortfall(result, problem) + "; nothing was done", kBusy);
    const bool ok = result == backup::RunResult::Ok;

    if (!recordResult(file, record, ok)) return Fail(err, kName, "the result could not be written to " + Utf8Of(file));
    if (!ok) return Fail(err, kName, shortfall(result, problem) + "; the months stay incomplete");
    err << "plova-cli: backup: complete\n";
    return kOk;
}

}  // namespace

extern const Command backupCommand;
const Command backupCommand{
    "backup", "[--settings FILE] [--dry-run]",
    "run one automatic backup now with the stored login, into BU_YYYYMM month folders under the root folder, "
    "each with a SHA256SUMS of its files when the run ends well; records ZENKAIBI/ZENKAIKA/YOTEIBI; --dry-run "
    "logs in, lists and prints what would be fetched (names, sizes, totals per box and in all) and writes "
    "nothing, not even the settings file (exit 75 while the program's window is open on the same settings file or "
    "another backup runs into the same root folder; a settings file given as a link is used at its target)",
    runBackup};

}  // namespace plova::cli
