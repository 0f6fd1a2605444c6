#include "backup/BackupRun.h"

#include <chrono>
#include <cstring>
#include <system_error>
#include <thread>

#include "backup/BackupManifest.h"
#include "backup/BackupSchedule.h"
#include "link/CFtpMng.h"
#include "link/FtpReply.h"
#include "link/RemoteListing.h"
#include "oplog/OperationLog.h"
#include "platform/File.h"
#include "platform/FileLock.h"
#include "platform/Text.h"
#include "store/CFileMng.h"
#include "store/Conversion.h"
#include "store/FileOps.h"

namespace plova::backup {
namespace {

namespace fs = std::filesystem;

constexpr int kOpeningPumps = 1001;
constexpr int kRangePumps = 12;
constexpr int kWaitStepCountMs = 15;  // each step of the wait counts this much ...
constexpr int kWaitStepSleepMs = 10;  // ... and sleeps this much
constexpr int kMillisPerSecond = 1000;
constexpr std::uint64_t kSpaceUnit = 4096;
constexpr std::uint64_t kWavPerVoiceUnit = 256;  // a WAV file needs 16 times its voice data
constexpr std::u16string_view kAnsweringRemote = u"/rusuroku/";
constexpr std::u16string_view kExtensionRemote = u"/naisen/";
constexpr std::u16string_view kResponseRemote = u"/outou/";
constexpr std::size_t kMonthChars = 6;

fs::path pathOf(std::u16string_view name) {
    return PathOfText(name);
}

std::uint64_t roundedUp(std::uint64_t bytes) {
    return (bytes / kSpaceUnit + 1) * kSpaceUnit;
}

bool enoughSpace(const fs::path& root, std::uint64_t needed) {
    return CurrentPorts().disk->FreeBytes(root) >= needed;
}

void stepProgress() {
    const WindowHandle window = CurrentPorts().progress->Find(std::u16string(kProgressCaption));
    CurrentPorts().progress->Send(window, kProgressStep, 0, 0);
}

// Why something failed here: the system's words for it, and whether the disk
// is full.
struct LocalCause {
    std::string reason;
    bool noSpace = false;
};

// The cause of a system error number (LastSystemError()); 0 where the file
// layer refused the name without a system error: something other than a
// regular file of ours stands there.
LocalCause causeOfSystemError(int error) {
    if (error == 0) return {"not a regular file"};
    return {SystemErrorText(error), FileErrorOf(error) == FileError::NoSpace};
}

LocalCause causeOf(const std::error_code& ec) {
    return {ec.message(), FileErrorOf(ec) == FileError::NoSpace};
}

LocalCause notAFolder() {
    return causeOf(std::make_error_code(std::errc::not_a_directory));
}

// A local failure: its path and reason for the caller, and the result that
// stops the run, since no retry mends it. A full disk is told apart.
BackupResult localFailure(const TransferContext& c, const fs::path& path, const LocalCause& cause) {
    if (cause.noSpace) return BackupResult::NoSpace;
    if (c.problem) *c.problem = LocalProblem{path, cause.reason};
    return BackupResult::WriteFailed;
}

// A file being backed up, received under its receiving name: room for its
// status record at the front and the data behind it, never more than the
// listing gave (a main unit that sends without end fills no disk), and the
// recording block it starts with kept aside for the record. The system's
// error is kept when the local side fails, so that a full disk or a path
// that cannot be written is not taken for the main unit's fault.
class ReceivingCopy final : public FTP_SESSION::RetrieveSink {
public:
    ReceivingCopy(fs::path path, std::int64_t listedSize) : path_(std::move(path)), listed_(listedSize) {}
    ~ReceivingCopy() override { Discard(); }
    ReceivingCopy(const ReceivingCopy&) = delete;
    ReceivingCopy& operator=(const ReceivingCopy&) = delete;

    bool Open() override {
        ClearSystemError();
        file_ = OpenForRewrite(path_);
        if (!file_) return failLocally();
        opened_ = true;
        const StatusRecordBytes room{};
        return file_.WriteAll(room.data(), room.size()) || failLocally();
    }
    bool Write(const char* bytes, std::size_t size) override {
        if (length_ + static_cast<std::int64_t>(size) > listed_) {
            tooLong_ = true;
            return false;
        }
        if (length_ < static_cast<std::int64_t>(block_.size())) {
            const std::size_t take = std::min(size, block_.size() - static_cast<std::size_t>(length_));
            std::memcpy(block_.data() + length_, bytes, take);
        }
        length_ += static_cast<std::int64_t>(size);
        ClearSystemError();
        return file_.WriteAll(bytes, size) || failLocally();
    }
    bool Close() override { return true; }  // the record is still to come

    [[nodiscard]] const fs::path& Path() const { return path_; }
    // The data arrived at exactly the listed length.
    [[nodiscard]] bool Whole() const { return !tooLong_ && length_ == listed_; }
    [[nodiscard]] bool HasBlock() const { return length_ >= static_cast<std::int64_t>(block_.size()); }
    [[nodiscard]] const BlockBytes& Block() const { return block_; }
    // A local open or write failed, and the cause of it.
    [[nodiscard]] bool FailedLocally() const { return localFailure_; }
    [[nodiscard]] LocalCause LocalError() const { return causeOfSystemError(localError_); }

    bool Finish(const FILESTS_INFO& record) {
        const StatusRecordBytes head = record.ToBytes();
        ClearSystemError();
        return (file_.WriteAllAt(0, head.data(), head.size()) && file_.CloseChecked()) || failLocally();
    }
    // Nothing of a file that is not kept stays behind.
    void Discard() {
        file_.Close();
        if (opened_) store::RemoveFile(path_);
        opened_ = false;
    }
    void Kept() { opened_ = false; }

private:
    bool failLocally() {
        localFailure_ = true;
        localError_ = LastSystemError();
        return false;
    }

    fs::path path_;
    std::int64_t listed_;
    FileHandle file_;
    BlockBytes block_{};
    std::int64_t length_ = 0;
    bool tooLong_ = false;
    bool localFailure_ = false;
    int localError_ = 0;
    bool opened_ = false;  // made by open(): removed again unless kept
};

// The folder of a box or of the system response messages inside a month
// folder. The month folder itself was made when the run began: one that has
// gone since (a disk unplugged) is not made again.
BackupResult makeFolder(const TransferContext& c, const fs::path& monthFolder, const fs::path& folder) {
    std::error_code ec;
    if (!fs::is_directory(monthFolder, ec)) return localFailure(c, monthFolder, notAFolder());
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder)) return localFailure(c, folder, ec ? causeOf(ec) : notAFolder());
    return BackupResult::Ok;
}

// Fetches one listed file into `folder` and gives it its status record. Ok,
// SomeSkipped (the main unit no longer has it, or it holds no recording
// block), CommError (also for a length other than listed), Cancelled, or a
// local failure; nothing of the file stays behind on failure, and an older
// file under its name stays until the new one is complete.
BackupResult fetch(CFtpMng& ftp, const TransferContext& c, const fs::path& folder, const listing::Entry& e,
                   bool responseMessage) {
    const fs::path file = folder / pathOf(e.name);
    ReceivingCopy copy(DownloadMng::ReceivingName(file), e.size);
    ftp::TransferResult r = ftp::TransferResult::Failed;
    {
        CFtpMng::TransferScope scope(ftp, folder);
        if (FTP_SESSION* session = scope.Session()) r = session->RetrieveTo(e.name, copy, true, false, e.size);
    }
    if (copy.FailedLocally()) return localFailure(c, copy.Path(), copy.LocalError());
    if (r == ftp::TransferResult::Unavailable) return BackupResult::SomeSkipped;
    if (r == ftp::TransferResult::Cancelled) return BackupResult::Cancelled;
    // A connection that ends early looks like the end of the file, and the
    // main unit may say 226 all the same: only the listed length tells.
    if (r != ftp::TransferResult::Done || !copy.Whole()) return BackupResult::CommError;
    FILESTS_INFO status;
    const bool built = copy.HasBlock() && (responseMessage ? CFileMng::BuildResponseRecord(copy.Block(), status)
                                                           : CFileMng::BuildStatusRecord(copy.Block(), file, status));
    // Not a message file (too short for its recording block, say): it cannot
    // be backed up, and the run goes on without it, as a download does.
    if (!built) return BackupResult::SomeSkipped;
    if (!copy.Finish(status)) return localFailure(c, copy.Path(), copy.LocalError());
    std::error_code ec;
    fs::rename(copy.Path(), file, ec);
    if (ec) return localFailure(c, file, causeOf(ec));
    copy.Kept();
    return BackupResult::Ok;
}

// The WAV file of a backed-up voice file, when "DOWNCONV" asks for it and it
// is not there yet. Ok, NoSpace, or the failed conversion of a fresh or an
// existing file.
BackupResult convertIfAsked(const TransferContext& c, const fs::path& voiceFile, bool fetchedNow) {
    if (!c.convert) return BackupResult::Ok;
    fs::path wav = voiceFile;
    wav.replace_extension(".wav");
    std::error_code ec;
    if (fs::exists(wav, ec)) return BackupResult::Ok;
    const std::uint64_t length = fs::file_size(voiceFile, ec);
    if (ec) return BackupResult::CommError;
    if (!enoughSpace(c.root, (length / kWavPerVoiceUnit + 1) * kSpaceUnit)) return BackupResult::NoSpace;
    if (store::ConvertToWav(voiceFile, c.level)) return BackupResult::Ok;
    // A fresh file that cannot be converted goes again, as a download's does.
    if (fetchedNow) {
        store::RemoveFile(voiceFile);
        return BackupResult::FreshConversionFailed;
    }
    return BackupResult::ExistingConversionFailed;
}

// What became of a file the run set out to fetch, for the operations log;
// the path is told from the root folder on, so the month shows.
void logFile(const TransferContext& c, const fs::path& file, BackupResult r) {
    if (!c.log || r == BackupResult::Cancelled) return;
    const std::string where = Utf8Of(file.lexically_relative(c.root).parent_path());
    switch (r) {
    case BackupResult::Ok: c.log->Add(file, oplog::Outcome::Done, where); break;
    case BackupResult::SomeSkipped:
        c.log->Add(file, oplog::Outcome::Skipped, where + ": gone from the main unit or not a message");
        break;
    default: c.log->Add(file, oplog::Outcome::Failed, where); break;
    }
}

// One listed file into `folder` of `monthFolder`: fetched unless it is backed
// up already, then converted when asked. Ok, SomeSkipped, or the failure.
BackupResult backupFile(CFtpMng& ftp, const TransferContext& c, const fs::path& monthFolder, const fs::path& folder,
                        const listing::Entry& e, bool responseMessage) {
    const fs::path file = folder / pathOf(e.name);
    // The file is kept with its status record in front of it.
    const auto size = static_cast<std::uint64_t>(e.size) + store::kBlockOffset;
    if (!enoughSpace(c.root, roundedUp(size))) return BackupResult::NoSpace;
    bool fetchedNow = false;
    if (!store::IsCompleteMessage(file, e.size)) {
        if (const BackupResult r = makeFolder(c, monthFolder, folder); r != BackupResult::Ok) return r;
        const BackupResult r = fetch(ftp, c, folder, e, responseMessage);
        logFile(c, file, r);
        if (r != BackupResult::Ok) return r;
        fetchedNow = true;
    }
    if (!e.name.ends_with(store::kVmdat)) return BackupResult::Ok;
    return convertIfAsked(c, file, fetchedNow);
}

BackupResult listRemote(CFtpMng& ftp, std::u16string_view remotePath, const fs::path& root, std::u16string& listing) {
    long length = 0;
    const ftp::ListResult listed = ftp.ListBoxLong(remotePath, ftp::kListAll, listing, length, root);
    if (listed == ftp::ListResult::NoSuchDirectory) return BackupResult::NoDirectory;
    if (listed != ftp::ListResult::Listed) return BackupResult::CommError;
    return CancelRequested() ? BackupResult::Cancelled : BackupResult::Ok;
}

// What a killed earlier run left under receiving names in the folders this
// procedure fills; the receiving files of a run still going stay.
void sweepReceivingFiles(const std::vector<fs::path>& folders) {
    for (const fs::path& f : folders) {
        std::error_code ec;
        if (fs::is_directory(f, ec)) DownloadMng::SweepReceivingFiles(f);
    }
}

std::u16string lastComponent(std::u16string_view remotePath) {
    while (!remotePath.empty() && remotePath.back() == u'/') remotePath.remove_suffix(1);
    const std::size_t slash = remotePath.rfind(u'/');
    return std::u16string(slash == std::u16string_view::npos ? remotePath : remotePath.substr(slash + 1));
}

}  // namespace

// ------------------------------------------------------- transfer procedures

BackupResult CountFiles(CFtpMng& ftp, std::u16string_view remotePath, DirectoryCount& count) {
    count = {};
    std::u16string listing;
    const ftp::ListResult listed = ftp.ListBox(remotePath, ftp::kListAll, listing);
    if (listed == ftp::ListResult::NoSuchDirectory) return BackupResult::NoDirectory;
    if (listed != ftp::ListResult::Listed) return BackupResult::CommError;
    count.entries = static_cast<int>(listing::CleanLines(listing).size());
    // The progress window steps once per message: after a box message's
    // recording information, after a system response message's one file.
    const bool responses = remotePath == kResponseRemote;
    const auto form = responses ? listing::NameForm::ResponseMessage : listing::NameForm::BoxMessage;
    const std::u16string_view counted = responses ? store::kVmdat : store::kVminf;
    for (const std::u16string& name : listing::MessageNames(listing, form)) count.messages += name.ends_with(counted);
    return BackupResult::Ok;
}

BackupResult BackupBox(CFtpMng& ftp, const TransferContext& c, std::u16string_view kind,
                       std::u16string_view remotePath) {
    std::u16string listing;
    if (const BackupResult r = listRemote(ftp, remotePath, c.root, listing); r != BackupResult::Ok) return r;
    const std::u16string box = lastComponent(remotePath);
    if (!listing::IsSafeName(box)) return BackupResult::NoDirectory;
    std::vector<fs::path> boxFolders;
    for (const std::u16string& month : FoldersOfRun(c.months))
        boxFolders.push_back(c.root / pathOf(month) / pathOf(kind) / pathOf(box));
    sweepReceivingFiles(boxFolders);

    bool skipped = false;
    for (const listing::Entry& e : listing::MessageEntries(listing, listing::NameForm::BoxMessage)) {
        if (CancelRequested()) return BackupResult::Cancelled;
        const std::u16string month = e.name.substr(0, kMonthChars);
        if (month < c.months.baseMonth || month > c.months.currentMonth) continue;
        const std::u16string monthFolder = MonthFolderName(month);
        const fs::path monthPath = c.root / pathOf(monthFolder);
        const fs::path folder = monthPath / pathOf(kind) / pathOf(box);
        const bool isInfo = e.name.ends_with(store::kVminf);

        if (const BackupResult r = backupFile(ftp, c, monthPath, folder, e, false); r != BackupResult::Ok) {
            if (r != BackupResult::SomeSkipped) return r;
            skipped = true;
            continue;
        }
        // The month stays open until the whole run has ended well.
        WriteRecord(c.root, monthFolder, TimeStamp(CurrentPorts().clock->Now()), kStatusIncomplete, kKindBoxes);
        if (isInfo) stepProgress();
    }
    return skipped ? BackupResult::SomeSkipped : BackupResult::Ok;
}

BackupResult BackupResponseMessages(CFtpMng& ftp, const TransferContext& c) {
    std::u16string listing;
    if (const BackupResult r = listRemote(ftp, kResponseRemote, c.root, listing); r != BackupResult::Ok) return r;
    const fs::path monthPath = c.root / pathOf(c.months.current);
    const fs::path folder = monthPath / pathOf(store::kResponseFolder);
    sweepReceivingFiles({folder});

    bool skipped = false;
    for (const listing::Entry& e : listing::MessageEntries(listing, listing::NameForm::ResponseMessage)) {
        if (CancelRequested()) return BackupResult::Cancelled;
        if (!e.name.ends_with(store::kVmdat)) continue;
        if (const BackupResult r = backupFile(ftp, c, monthPath, folder, e, true); r != BackupResult::Ok) {
            if (r != BackupResult::SomeSkipped) return r;
            skipped = true;
            continue;
        }
        WriteRecord(c.root, c.months.current, TimeStamp(CurrentPorts().clock->Now()), kStatusIncomplete,
                    kKindResponses);
        stepProgress();
    }
    return skipped ? BackupResult::SomeSkipped : BackupResult::Ok;
}

// ------------------------------------------------------------------- the run

namespace {

std::u16string withPath(std::u16string_view text, const fs::path& path) {
    return std::u16string(text) + u"\n" + NameText(path);
}

// Why a month's record could not be written, for the message.
LocalProblem recordProblem(const fs::path& record) {
    std::error_code ec;
    if (!fs::is_directory(record.parent_path(), ec)) return {record.parent_path(), "not a folder"};
    if (fs::is_directory(record, ec)) return {record, "a folder stands at its name"};
    return {record, "cannot be written"};
}

class Run {
public:
    Run(BackupRunHost& host, RunSettings& settings, const BackupMonths& months, const RunOptions& options,
        LocalProblem& problem, oplog::Operation& log)
        : host_(host), settings_(settings), months_(months), options_(options), problem_(problem) {
        context_.log = &log;
        context_.root = settings.root;
        context_.months = months;
        context_.convert = settings.convert;
        context_.level = settings.level;
        context_.problem = &problem_;
        if (!options_.sleep)
            options_.sleep = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    }

    RunResult Go();

private:
    enum class Attempt { Done, Again, Stop };
    enum class Outcome { Done, Failed, Cancelled };

    CFtpMng* ftpManager() { return host_.Ftp(); }
    bool Login();
    void Logout();
    bool wait();
    Outcome withRetries(RunStep step, std::u16string_view remote, const std::function<Attempt()>& attempt,
                        bool freshLogin);
    [[nodiscard]] std::string causeOf(RunStep step) const;
    RunResult endWithCommError(RunResult why);
    bool markAll(int status);
    void removeManifests();
    bool writeManifests();
    RunResult finish(bool failed);
    BackupResult countAll(DirectoryCount& total);
    Attempt transfer(const std::function<BackupResult(CFtpMng&)>& procedure);

    BackupRunHost& host_;
    RunSettings& settings_;
    const BackupMonths& months_;
    RunOptions options_;
    LocalProblem& problem_;
    TransferContext context_;
    std::vector<std::u16string> answering_, extension_;
    BackupResult lastResult_ = BackupResult::Ok;
};

bool Run::Login() {
    settings_.loggedIn = host_.Login(settings_.address, settings_.user, settings_.password) == ftp::LoginResult::Ok;
    return settings_.loggedIn;
}

void Run::Logout() {
    host_.Logout();
    settings_.loggedIn = false;
}

bool Run::wait() {
    for (int left = settings_.retryWait - kWaitStepCountMs; left > 0 && !CancelRequested(); left -= kWaitStepCountMs) {
        PumpOne();
        options_.sleep(kWaitStepSleepMs);
    }
    return !CancelRequested();
}

// Why an attempt at `step` failed, for a person: what the login was told,
// or what the transfer found.
std::string Run::causeOf(RunStep step) const {
    if (step == RunStep::LogIn) {
        const CFtpMng* ftp = host_.Ftp();
        return ftp && !ftp->LoginFailure().empty() ? ftp->LoginFailure() : "the login failed";
    }
    if (step == RunStep::FetchMessages) {
        switch (lastResult_) {
        case BackupResult::NoDirectory: return "the folder is gone from the main unit";
        case BackupResult::ExistingConversionFailed: return "a voice file already backed up would not convert";
        default: return "the link failed or a file arrived at another length than listed";
        }
    }
    return host_.Ftp() && host_.Ftp()->HasSession() ? "the main unit did not answer as expected"
                                                    : "no session with the main unit";
}

Run::Outcome Run::withRetries(RunStep step, std::u16string_view remote, const std::function<Attempt()>& attempt,
                              bool freshLogin) {
    Attempt a = attempt();
    for (int retry = 0; a == Attempt::Again && retry < settings_.retryCount; ++retry) {
        problem_.cause = causeOf(step);
        if (options_.retrying)
            options_.retrying({step, std::u16string(remote), retry + 1, settings_.retryCount,
                               settings_.retryWait / kMillisPerSecond, problem_.cause});
        if (!wait()) return Outcome::Cancelled;
        if (freshLogin) {
            Logout();
            Login();  // a failed login makes the attempt fail in its turn
        }
        a = attempt();
    }
    if (a == Attempt::Done) return Outcome::Done;
    if (a == Attempt::Again) problem_.cause = causeOf(step);
    return CancelRequested() ? Outcome::Cancelled : Outcome::Failed;
}

RunResult Run::endWithCommError(RunResult why) {
    host_.CloseProgress();
    if (options_.confirmed) ShowPrompt(std::u16string(kCommError), std::u16string(kErrorCaption), Icon::Exclamation);
    Logout();
    MarkMonths(context_.root, months_, kStatusIncomplete, CurrentPorts().clock->Now());
    host_.ResetIdleCount();
    host_.EnableMainWindow(true);
    return why;
}

// Both flags of every month of the run; a record that cannot be written
// (a folder at its name, a file where the month folder should be) makes the
// run fail with its path rather than pass for complete.
bool Run::markAll(int status) {
    fs::path failed;
    if (MarkMonths(context_.root, months_, status, CurrentPorts().clock->Now(), &failed)) return true;
    problem_ = recordProblem(failed);
    lastResult_ = BackupResult::WriteFailed;
    return false;
}

// The months of the run are being filled again: their manifests no longer
// say what they hold.
void Run::removeManifests() {
    for (const std::u16string& month : FoldersOfRun(months_)) RemoveManifest(context_.root / PathOfText(month));
}

// Every month of a run that ended well gets the manifest of what it holds.
bool Run::writeManifests() {
    for (const std::u16string& month : FoldersOfRun(months_)) {
        const fs::path folder = context_.root / PathOfText(month);
        std::error_code ec;
        if (!fs::is_directory(folder, ec)) continue;
        std::string why;
        if (WriteManifest(folder, &why)) continue;
        problem_ = {folder / std::string(kManifestFile), why};
        lastResult_ = BackupResult::WriteFailed;
        return false;
    }
    return true;
}

RunResult Run::finish(bool failed) {
    host_.CloseProgress();
    const bool cancelled = CancelRequested();
    if (cancelled) failed = true;
    if (!failed && !markAll(kStatusComplete)) failed = true;
    if (!failed && !writeManifests()) failed = true;
    if (failed && !cancelled) {
        // What the user must mend is always said; the main unit's failure
        // only to a person who agreed to the run.
        if (lastResult_ == BackupResult::NoSpace)
            ShowPrompt(std::u16string(kNoSpace), std::u16string(kErrorCaption), Icon::Exclamation);
        else if (lastResult_ == BackupResult::WriteFailed)
            ShowPrompt(withPath(kCannotWrite, problem_.path), std::u16string(kErrorCaption), Icon::Exclamation);
        else if (options_.confirmed)
            ShowPrompt(std::u16string(kCommError), std::u16string(kErrorCaption), Icon::Exclamation);
    }
    if (failed) MarkMonths(context_.root, months_, kStatusIncomplete, CurrentPorts().clock->Now());
    Logout();
    host_.ResetIdleCount();
    host_.EnableMainWindow(true);
    if (!failed) return RunResult::Ok;
    if (cancelled) return RunResult::Cancelled;
    switch (lastResult_) {
    case BackupResult::NoSpace: return RunResult::NoSpace;
    case BackupResult::WriteFailed: return RunResult::WriteFailed;
    case BackupResult::ExistingConversionFailed:
    case BackupResult::FreshConversionFailed: return RunResult::ConversionFailed;
    default: return RunResult::CommError;
    }
}

BackupResult Run::countAll(DirectoryCount& total) {
    std::vector<std::u16string> folders;
    for (const auto& b : answering_) folders.push_back(std::u16string(kAnsweringRemote) + b);
    for (const auto& b : extension_) folders.push_back(std::u16string(kExtensionRemote) + b);
    folders.push_back(std::u16string(kResponseRemote));
    total = {};
    for (const std::u16string& folder : folders) {
        DirectoryCount count;
        const Outcome o = withRetries(
            RunStep::CountMessages, folder,
            [&] {
                CFtpMng* ftp = ftpManager();
                // A directory gone since the box listing has nothing to count.
                const BackupResult r = ftp ? CountFiles(*ftp, folder, count) : BackupResult::CommError;
                return r != BackupResult::CommError ? Attempt::Done : Attempt::Again;
            },
            true);
        if (o != Outcome::Done) return o == Outcome::Cancelled ? BackupResult::Cancelled : BackupResult::CommError;
        total.entries += count.entries;
        total.messages += count.messages;
        PumpOne();
    }
    return BackupResult::Ok;
}

Run::Attempt Run::transfer(const std::function<BackupResult(CFtpMng&)>& procedure) {
    CFtpMng* ftp = ftpManager();
    lastResult_ = ftp ? procedure(*ftp) : BackupResult::CommError;
    switch (lastResult_) {
    // A message that vanished from the main unit while the run fetched it,
    // or that is no message at all, has nothing left to back up.
    case BackupResult::Ok:
    case BackupResult::SomeSkipped: return Attempt::Done;
    // No retry mends a full disk, a path that cannot be written or a cancel.
    case BackupResult::NoSpace:
    case BackupResult::WriteFailed:
    case BackupResult::Cancelled:
    case BackupResult::FreshConversionFailed: return Attempt::Stop;
    // A box gone since the listing, a failed link or a file of the wrong
    // length, and a voice file already here that would not convert are
    // tried again.
    case BackupResult::NoDirectory:
    case BackupResult::CommError:
    case BackupResult::ExistingConversionFailed: return Attempt::Again;
    }
    return Attempt::Again;
}

RunResult Run::Go() {
    CurrentPorts().cancel->Clear();
    host_.EnableMainWindow(false);
    host_.OpenProgress();
    for (int i = 0; i < kOpeningPumps; ++i) PumpOne();

    // Every month of the run is open from now on: a run that dies half way
    // leaves them so, and the next run fetches them again. A run that cannot
    // keep its records stops here, before it fetches anything.
    if (!markAll(kStatusIncomplete)) return finish(true);
    removeManifests();

    if (!settings_.loggedIn) {
        const Outcome o = withRetries(
            RunStep::LogIn, {}, [&] { return Login() ? Attempt::Done : Attempt::Again; }, false);
        if (o == Outcome::Cancelled) return finish(true);
        if (o == Outcome::Failed) return endWithCommError(RunResult::LoginFailed);
    }

    const Outcome listed = withRetries(
        RunStep::ListBoxes, {},
        [&] {
            CFtpMng* ftp = ftpManager();
            std::u16string root, answering, extension;
            if (!ftp || ftp->ListFolders(root, answering, extension) != ftp::ListResult::Listed) return Attempt::Again;
            answering_ = listing::BoxNames(answering);
            extension_ = listing::BoxNames(extension);
            return Attempt::Done;
        },
        true);
    if (listed == Outcome::Cancelled) return finish(true);
    if (listed == Outcome::Failed) return endWithCommError(RunResult::CommError);

    DirectoryCount total;
    if (const BackupResult counted = countAll(total); counted != BackupResult::Ok)
        return counted == BackupResult::Cancelled ? finish(true) : endWithCommError(RunResult::CommError);

    if (total.entries < 1) {
        // Nothing on the main unit: the months are as complete as they can be.
        return finish(false);
    }

    // The bar counts messages; a system response message is one file.
    const WindowHandle window = CurrentPorts().progress->Find(std::u16string(kProgressCaption));
    CurrentPorts().progress->Send(window, kProgressRange, total.messages, 0);
    if (total.messages != 0) CurrentPorts().progress->Send(window, kProgressStep, 0, 0);
    for (int i = 0; i < kRangePumps; ++i) PumpOne();

    auto transferAll = [&](const std::vector<std::u16string>& boxes, std::u16string_view kind,
                           std::u16string_view remoteBase) {
        for (const std::u16string& box : boxes) {
            if (CancelRequested()) return Outcome::Cancelled;
            const std::u16string remote = std::u16string(remoteBase) + box;
            const Outcome o = withRetries(
                RunStep::FetchMessages, remote,
                [&] { return transfer([&](CFtpMng& ftp) { return BackupBox(ftp, context_, kind, remote); }); }, true);
            if (o != Outcome::Done) return o;
        }
        return Outcome::Done;
    };
    Outcome o = transferAll(answering_, store::kAnsweringFolder, kAnsweringRemote);
    if (o == Outcome::Done) o = transferAll(extension_, store::kExtensionFolder, kExtensionRemote);
    if (o == Outcome::Done && !CancelRequested())
        o = withRetries(
            RunStep::FetchMessages, kResponseRemote,
            [&] { return transfer([&](CFtpMng& ftp) { return BackupResponseMessages(ftp, context_); }); }, true);
    return finish(o != Outcome::Done);
}

}  // namespace

bool PlanRun(CFtpMng& ftp, const fs::path& root, const BackupMonths& months, dl::Plan& plan) {
    std::vector<std::u16string> remotes;
    if (!dl::ListBoxDirectories(ftp, remotes)) return false;
    for (const std::u16string& remote : remotes) {
        // "/rusuroku/0001" goes to "BU_YYYYMM/rusuroku/0001" by each message's month.
        const fs::path box = pathOf(std::u16string_view(remote).substr(1));
        const auto wanted = [&](const listing::Entry& e) {
            const std::u16string month = e.name.substr(0, kMonthChars);
            if (month < months.baseMonth || month > months.currentMonth) return false;
            return !store::IsCompleteMessage(root / pathOf(MonthFolderName(month)) / box / pathOf(e.name), e.size);
        };
        if (!dl::PlanBox(ftp, remote, listing::NameForm::BoxMessage, wanted, plan)) return false;
    }
    const fs::path outou = root / pathOf(months.current) / pathOf(store::kResponseFolder);
    const auto wanted = [&](const listing::Entry& e) {
        return e.name.ends_with(store::kVmdat) && !store::IsCompleteMessage(outou / pathOf(e.name), e.size);
    };
    return dl::PlanBox(ftp, kResponseRemote, listing::NameForm::ResponseMessage, wanted, plan);
}

namespace {

// A run that ends before it starts ends logged out all the same.
RunResult endBeforeStart(BackupRunHost& host, RunSettings& settings, RunResult why) {
    if (settings.loggedIn) {
        host.Logout();
        settings.loggedIn = false;
        host.ResetIdleCount();
    }
    return why;
}

void showProblem(std::u16string_view text, const fs::path& path) {
    ShowPrompt(withPath(text, path), std::u16string(kErrorCaption), Icon::Exclamation);
}

}  // namespace

RunResult RunBackup(BackupRunHost& host, RunSettings& settings, const BackupMonths& months, const RunOptions& options,
                    LocalProblem* problem) {
    LocalProblem unused;
    LocalProblem& p = problem ? *problem : unused;
    // Without a root folder the month folders would land wherever the program was started.
    if (settings.root.empty()) return endBeforeStart(host, settings, RunResult::NoRootFolder);
    // Nor are they made where the root folder should be: a backup disk that
    // is not mounted is said so, not replaced by the disk beneath it.
    std::error_code ec;
    if (!fs::is_directory(settings.root, ec)) {
        p = {settings.root, "no such folder"};
        showProblem(kNoRootFolder, settings.root);
        return endBeforeStart(host, settings, RunResult::NoRootFolder);
    }
    // One run at a time into a root folder, whichever program or settings
    // file started it: two at once would tear each other's files.
    const FileLock lock = LockFolder(settings.root, kBackupRootLockName);
    if (lock.LockState() == FileLock::State::Busy) {
        p = {settings.root, "another backup is running into it"};
        if (options.confirmed) showProblem(kBackupBusy, settings.root);
        return endBeforeStart(host, settings, RunResult::Busy);
    }
    if (!lock.Held()) {
        p = {lock.File(), lock.Reason()};
        showProblem(kCannotWrite, lock.File());
        return endBeforeStart(host, settings, RunResult::WriteFailed);
    }
    oplog::Operation log("backup", settings.root);
    const std::vector<std::u16string> folders = FoldersOfRun(months);
    if (!folders.empty()) log.SetDetail(ToUtf8(folders.front()) + " to " + ToUtf8(folders.back()));
    const RunResult result = Run(host, settings, months, options, p, log).Go();
    log.Finish(result == RunResult::Ok          ? oplog::Result::Ok
               : result == RunResult::Cancelled ? oplog::Result::Cancelled
                                                : oplog::Result::Failed);
    return result;
}

}  // namespace plova::backup
